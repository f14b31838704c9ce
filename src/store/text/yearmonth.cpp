#include "store/text/yearmonth.h"

namespace YearMonth {

QString YearText(int year)
{
    return QString::number(year);
}

QString MonthText(int month)
{
    return QString::number(month);
}

bool IsSameMonth(const QDate &date, const QString &year, const QString &month)
{
    return YearText(date.year()) == year && MonthText(date.month()) == month;
}

}
