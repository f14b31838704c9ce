#pragma once

#include <QDate>
#include <QString>

// Years and months travel as plain decimal text: no sign, no leading zero (January is "1").
// Month file names are built from these texts, so every caller must form them alike.
namespace YearMonth {
QString YearText(int year);
QString MonthText(int month);
// True when date lies in the month named by the two texts.
bool IsSameMonth(const QDate &date, const QString &year, const QString &month);
}
