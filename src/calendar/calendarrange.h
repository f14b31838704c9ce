#pragma once

#include <QDate>

// The dates the month calendar lets the user select, and where a month's days fall in its grid
// of six weeks that start on Sunday. Every selectable date has a four-digit year, which month
// file names rely on.
namespace CalendarRange {

constexpr int CellCount = 42;
constexpr int ColumnCount = 7;

QDate MinDate();
QDate MaxDate();
bool Contains(const QDate &date);
// The nearest selectable date; date must be valid.
QDate Clamp(const QDate &date);
// The date in the grid's top-left cell when the month of date is shown: the Sunday on or
// before its 1st, so the 1st always stands in the first row.
QDate FirstCell(const QDate &date);

}
