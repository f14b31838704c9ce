#pragma once

#include <QDate>
#include <QStringView>

#include <optional>

// A date among the searched words, which narrows the results to a year, a month or a day:
// 2024年, 2024年3月, 2024年3月5日, 3月5日 (of every year), 2024/3/5, 2024/3, and the same with the
// era names 令和, 平成 and 昭和 (令和6年3月, 平成31年4月30日, 令和元年). Parts not given are any.
struct SearchDate
{
    int year = 0;
    int month = 0;
    int day = 0;
    // The era's own days, when one is named: 平成31年 ends on 30 April, 令和元年 begins on 1 May.
    QDate eraFirst;
    QDate eraLast;

    // The date a folded word names, or none when it is a word to look for.
    static std::optional<SearchDate> Read(QStringView word);
    bool CoversMonth(int entryYear, int entryMonth) const;
    bool CoversDay(int entryYear, int entryMonth, int entryDay) const;
};
