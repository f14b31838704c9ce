#include "mainwindow/searchwindowowner.h"

#include "calendar/caldiary.h"
#include "calendar/calendarrange.h"
#include "mainwindow/dayview.h"
#include "mainwindow/savepoints.h"
#include "mainwindow/windownotices.h"
#include "store/month/diarymonth.h"
#include "store/text/textcodec.h"
#include "store/text/yearmonth.h"

SearchWindowOwner::SearchWindowOwner(
    DiaryMonth &month, CalDiary &calendar, DayView &dayView, SavePoints &savePoints, WindowNotices &notices)
    : m_month(month)
    , m_calendar(calendar)
    , m_dayView(dayView)
    , m_savePoints(savePoints)
    , m_notices(notices)
{
}

std::optional<ShownMonth> SearchWindowOwner::SearchedMonth() const
{
    if (!m_month.IsLoaded())
        return std::nullopt;
    ShownMonth shown { m_month.Year().toInt(), m_month.Month().toInt(), m_month.Entries() };
    // The editor's text counts before it is written back, as the user sees it.
    const ShownWork work = m_dayView.Shown();
    if (work.openEntry < 0 || !m_month.HasSelectedDay())
        return shown;
    for (MonthEntries::EntryRow &entry : shown.entries) {
        if (entry.day == m_calendar.Day() && entry.position == work.openEntry)
            entry.text = TextCodec::EncodeText(work.editorText);
    }
    return shown;
}

bool SearchWindowOwner::OpenEntry(const QDate &date, int position, int matchBegin, int matchLength)
{
    if (!CalendarRange::Contains(date))
        return false;
    m_dayView.WriteBack();
    Guard([this, date] { m_savePoints.MoveToDate(date); });
    if (m_dayView.ShownDate() != date || !YearMonth::IsSameMonth(date, m_month.Year(), m_month.Month()))
        return false;
    return m_dayView.SelectMatch(position, matchBegin, matchLength);
}

void SearchWindowOwner::Guard(const std::function<void()> &handling)
{
    m_notices.Guard(handling);
}
