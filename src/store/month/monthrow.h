#pragma once

#include <QString>

#include <optional>

// One entry of the month as the list window lists it.
struct MonthRow
{
    // DATE exactly as stored; empty when the ARTICLE has none.
    QString dayText;
    // The day DATE names, 1 to 31; none when it is missing, no number or out of that range.
    std::optional<int> day;
    QString title;
};
