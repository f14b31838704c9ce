#pragma once

#include <QString>

#include <optional>

// One entry of a month, wherever it is read from (the loaded month, a month file being searched):
// the day it stands under, its place there, and its text in stored form. Who shows a title makes it
// from the text.
struct MonthRow
{
    // DATE exactly as stored; empty when the ARTICLE has none.
    QString dayText;
    // The day DATE names, 1 to 31; none when it is missing, no number or out of that range.
    std::optional<int> day;
    // Its place among the entries of its ARTICLE, as the title list of that day shows them.
    int position = 0;
    QString text;
};
