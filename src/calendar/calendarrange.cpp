#include "calendar/calendarrange.h"

#include <algorithm>

namespace CalendarRange {

QDate MinDate()
{
    return QDate(1753, 1, 1);
}

QDate MaxDate()
{
    return QDate(9999, 12, 31);
}

bool Contains(const QDate &date)
{
    return date.isValid() && date >= MinDate() && date <= MaxDate();
}

QDate Clamp(const QDate &date)
{
    return std::clamp(date, MinDate(), MaxDate());
}

QDate FirstCell(const QDate &date)
{
    const QDate first(date.year(), date.month(), 1);
    // dayOfWeek counts Monday as 1 and Sunday as 7; Sunday opens the week here.
    return first.addDays(-(first.dayOfWeek() % ColumnCount));
}

}
