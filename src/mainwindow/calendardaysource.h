#pragma once

#include "calendar/caldiary.h"
#include "store/month/daysource.h"

// The calendar's selected day as the store asks for it: the calendar knows nothing of the diary,
// so the window that ties the two together lends it to the store.
class CalendarDaySource : public DaySource
{
public:
    explicit CalendarDaySource(const CalDiary &calendar)
        : m_calendar(calendar)
    {
    }
    int Day() const override { return m_calendar.Day(); }

private:
    const CalDiary &m_calendar;
};
