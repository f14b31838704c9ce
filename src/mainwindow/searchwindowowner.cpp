#include "mainwindow/searchwindowowner.h"

#include "calendar/calendarrange.h"
#include "mainwindow/dayview.h"
#include "mainwindow/savepoints.h"
#include "mainwindow/windownotices.h"
#include "store/month/diarymonth.h"
#include "store/text/yearmonth.h"

#include <QRect>
#include <QWidget>

SearchWindowOwner::SearchWindowOwner(
    DiaryMonth &month, DayView &dayView, SavePoints &savePoints, WindowNotices &notices, QWidget &editor)
    : m_month(month)
    , m_dayView(dayView)
    , m_savePoints(savePoints)
    , m_notices(notices)
    , m_editor(editor)
{
}

std::optional<ShownMonth> SearchWindowOwner::SearchedMonth() const
{
    if (!m_month.IsLoaded())
        return std::nullopt;
    return ShownMonth { m_month.Year().toInt(), m_month.Month().toInt(), m_month.Entries() };
}

bool SearchWindowOwner::OpenEntry(const QDate &date, int position, int matchBegin, int matchLength)
{
    if (!CalendarRange::Contains(date))
        return false;
    m_dayView.WriteBack();
    Guard([this, date] { m_savePoints.MoveToDate(date); });
    if (m_dayView.ShownDate() != date || !YearMonth::IsSameMonth(date, m_month.Year(), m_month.Month()))
        return false;
    if (!m_dayView.SelectMatch(position, matchBegin, matchLength))
        return false;
    // The search window stays open beside; the user reads and types on in the entry.
    m_editor.window()->raise();
    m_editor.window()->activateWindow();
    m_editor.setFocus(Qt::OtherFocusReason);
    return true;
}

QRect SearchWindowOwner::EditorArea() const
{
    return QRect(m_editor.mapToGlobal(QPoint(0, 0)), m_editor.size());
}

void SearchWindowOwner::Guard(const std::function<void()> &handling)
{
    m_notices.Guard(handling);
}
