#pragma once

#include <QDate>
#include <QMap>
#include <QString>

// The public holidays of Japan from the holiday law of 20 July 1948 to the end of 2099, computed
// from the law as it stands rather than read from a list, so nothing is loaded or kept on disk.
// The vernal and autumnal equinox days are fixed each February by an announcement; past 2099
// the approximation they are computed by drifts, so later years have no holidays. Knows nothing
// of the widget that shows them.
namespace JapaneseHolidays {

// The name of the holiday on date ("文化の日", "振替休日", "国民の休日"); empty on any other
// day.
QString Name(const QDate &date);
// Every holiday from first to last, both included, by date.
QMap<QDate, QString> Between(const QDate &first, const QDate &last);

}
