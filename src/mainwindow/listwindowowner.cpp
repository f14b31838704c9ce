#include "mainwindow/listwindowowner.h"

#include "calendar/caldiary.h"
#include "mainwindow/dayview.h"
#include "mainwindow/savepoints.h"
#include "mainwindow/windownotices.h"
#include "store/diarymonth.h"
#include "store/yearmonth.h"

ListWindowOwner::ListWindowOwner(
    DiaryMonth &month, CalDiary &calendar, DayView &dayView, SavePoints &savePoints, WindowNotices &notices)
    : m_month(month)
    , m_calendar(calendar)
    , m_dayView(dayView)
    , m_savePoints(savePoints)
    , m_notices(notices)
{
}

std::vector<MonthRow> ListWindowOwner::LoadedRows() const
{
    return m_month.Rows();
}

QString ListWindowOwner::LoadedYear() const
{
    return m_month.Year();
}

QString ListWindowOwner::LoadedMonth() const
{
    return m_month.Month();
}

void ListWindowOwner::ShowDate(const QDate &date)
{
    Guard([this, date] {
        if (YearMonth::IsSameMonth(date, m_month.Year(), m_month.Month())) {
            m_calendar.SetDay(date.day());
        } else {
            m_calendar.SetValue(date);
            if (!m_savePoints.SwitchMonth(m_calendar.Value()))
                return;
        }
        m_dayView.ShowCalendarDay();
    });
}

void ListWindowOwner::Guard(const std::function<void()> &handling)
{
    m_notices.Guard(handling);
}
