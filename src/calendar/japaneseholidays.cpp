#include "calendar/japaneseholidays.h"

namespace {

using Holidays = QMap<QDate, QString>;

constexpr int LastYear = 2099;
// The day the holiday law took effect; the autumnal equinox of 1948 was its first holiday.
const QDate LawInForce(1948, 7, 20);
// Substitute days exist for holidays on a Sunday from this day on, not for the whole of 1973:
// 11 February 1973 was a Sunday and had none.
const QDate SubstitutesFrom(1973, 4, 12);
// The amendment that made a day between two holidays a holiday itself took effect this day.
const QDate BetweenDaysFrom(1985, 12, 27);
// From 2007 a substitute day moves past any holidays that follow the Sunday, and a Sunday
// between two holidays counts as a day off like any other.
constexpr int PresentRulesFrom = 2007;

QDate NthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    return first.addDays((8 - first.dayOfWeek()) % 7 + 7 * (n - 1));
}

// The approximation the announced equinox days follow from 1900 to 2099. The integer division
// truncates towards zero on purpose: before 1983 that is what matches the announced days.
int EquinoxDay(int year, double before1980, double from1980)
{
    const double drift = 0.242194 * (year - 1980);
    if (year < 1980)
        return int(before1980 + drift - (year - 1983) / 4); // NOLINT(bugprone-integer-division): on purpose
    return int(from1980 + drift - (year - 1980) / 4); // NOLINT(bugprone-integer-division): on purpose
}

void AddFixedDays(int year, Holidays &days)
{
    days.insert(QDate(year, 1, 1), QStringLiteral("元日"));
    days.insert(QDate(year, 5, 3), QStringLiteral("憲法記念日"));
    days.insert(QDate(year, 5, 5), QStringLiteral("こどもの日"));
    days.insert(QDate(year, 11, 3), QStringLiteral("文化の日"));
    days.insert(QDate(year, 11, 23), QStringLiteral("勤労感謝の日"));
    days.insert(QDate(year, 3, EquinoxDay(year, 20.8357, 20.8431)), QStringLiteral("春分の日"));
    days.insert(QDate(year, 9, EquinoxDay(year, 23.2588, 23.2488)), QStringLiteral("秋分の日"));
    if (year >= 1967)
        days.insert(QDate(year, 2, 11), QStringLiteral("建国記念の日"));
    if (year >= 2016 && year != 2020 && year != 2021)
        days.insert(QDate(year, 8, 11), QStringLiteral("山の日"));
}

// The late-April holiday and the emperor's birthday changed with each reign and in 2007.
void AddReignDays(int year, Holidays &days)
{
    if (year <= 1988)
        days.insert(QDate(year, 4, 29), QStringLiteral("天皇誕生日"));
    else if (year <= 2018)
        days.insert(QDate(year, 12, 23), QStringLiteral("天皇誕生日"));
    else if (year >= 2020)
        days.insert(QDate(year, 2, 23), QStringLiteral("天皇誕生日"));
    if (year >= 1989 && year < PresentRulesFrom) {
        days.insert(QDate(year, 4, 29), QStringLiteral("みどりの日"));
    } else if (year >= PresentRulesFrom) {
        days.insert(QDate(year, 4, 29), QStringLiteral("昭和の日"));
        days.insert(QDate(year, 5, 4), QStringLiteral("みどりの日"));
    }
}

// Holidays that moved to a Monday (2000 and 2003), and three that moved in 2020 and 2021 to lie
// around the opening and closing of the Olympic Games.
void AddMovedDays(int year, Holidays &days)
{
    days.insert(year < 2000 ? QDate(year, 1, 15) : NthMonday(year, 1, 2), QStringLiteral("成人の日"));
    if (year >= 1966)
        days.insert(year < 2003 ? QDate(year, 9, 15) : NthMonday(year, 9, 3), QStringLiteral("敬老の日"));
    if (year >= 1966 && year < 2000)
        days.insert(QDate(year, 10, 10), QStringLiteral("体育の日"));
    else if (year >= 2000 && year < 2020)
        days.insert(NthMonday(year, 10, 2), QStringLiteral("体育の日"));
    if (year >= 1996 && year < 2003)
        days.insert(QDate(year, 7, 20), QStringLiteral("海の日"));
    if (year == 2020) {
        days.insert(QDate(2020, 7, 23), QStringLiteral("海の日"));
        days.insert(QDate(2020, 7, 24), QStringLiteral("スポーツの日"));
        days.insert(QDate(2020, 8, 10), QStringLiteral("山の日"));
    } else if (year == 2021) {
        days.insert(QDate(2021, 7, 22), QStringLiteral("海の日"));
        days.insert(QDate(2021, 7, 23), QStringLiteral("スポーツの日"));
        days.insert(QDate(2021, 8, 8), QStringLiteral("山の日"));
    } else if (year >= 2003) {
        days.insert(NthMonday(year, 7, 3), QStringLiteral("海の日"));
        if (year >= 2020)
            days.insert(NthMonday(year, 10, 2), QStringLiteral("スポーツの日"));
    }
}

// Days off by laws of their own. They count as holidays for the days around them: 30 April and
// 2 May 2019 were days off for lying between two of them.
void AddSingleDays(int year, Holidays &days)
{
    static const struct
    {
        QDate date;
        const char16_t *name;
    } singles[] = {
        { QDate(1959, 4, 10), u"結婚の儀" },
        { QDate(1989, 2, 24), u"昭和天皇の大喪の礼" },
        { QDate(1990, 11, 12), u"即位礼正殿の儀" },
        { QDate(1993, 6, 9), u"結婚の儀" },
        { QDate(2019, 5, 1), u"天皇の即位の日" },
        { QDate(2019, 10, 22), u"即位礼正殿の儀" },
    };
    for (const auto &single : singles) {
        if (single.date.year() == year)
            days.insert(single.date, QString::fromUtf16(single.name));
    }
}

// A holiday on a Sunday gives the next day off; from 2007 the first day after it that is no
// holiday, so a Sunday 3 May gives 6 May.
Holidays SubstituteDays(const Holidays &holidays)
{
    Holidays substitutes;
    for (auto it = holidays.cbegin(); it != holidays.cend(); ++it) {
        if (it.key().dayOfWeek() != Qt::Sunday || it.key() < SubstitutesFrom)
            continue;
        QDate day = it.key().addDays(1);
        while (it.key().year() >= PresentRulesFrom && holidays.contains(day))
            day = day.addDays(1);
        if (!holidays.contains(day))
            substitutes.insert(day, QStringLiteral("振替休日"));
    }
    return substitutes;
}

// A day between two holidays is a day off too, unless it is one already as a substitute day;
// before 2007 not when it is a Sunday.
Holidays BetweenDays(const Holidays &holidays, const Holidays &substitutes)
{
    Holidays between;
    for (auto it = holidays.cbegin(); it != holidays.cend(); ++it) {
        const QDate day = it.key().addDays(1);
        if (day < BetweenDaysFrom || holidays.contains(day) || !holidays.contains(day.addDays(1))
            || substitutes.contains(day))
            continue;
        if (day.year() < PresentRulesFrom && day.dayOfWeek() == Qt::Sunday)
            continue;
        between.insert(day, QStringLiteral("国民の休日"));
    }
    return between;
}

Holidays OfYear(int year)
{
    if (year < LawInForce.year() || year > LastYear)
        return {};
    Holidays days;
    AddFixedDays(year, days);
    AddReignDays(year, days);
    AddMovedDays(year, days);
    AddSingleDays(year, days);
    if (year == LawInForce.year())
        days.removeIf([](const auto &day) { return day.key() < LawInForce; });
    const Holidays substitutes = SubstituteDays(days);
    const Holidays between = BetweenDays(days, substitutes);
    days.insert(substitutes);
    days.insert(between);
    return days;
}

}

namespace JapaneseHolidays {

QString Name(const QDate &date)
{
    return date.isValid() ? OfYear(date.year()).value(date) : QString();
}

QMap<QDate, QString> Between(const QDate &first, const QDate &last)
{
    QMap<QDate, QString> found;
    if (!first.isValid() || !last.isValid())
        return found;
    for (int year = first.year(); year <= last.year(); ++year) {
        const Holidays days = OfYear(year);
        for (auto it = days.lowerBound(first); it != days.cend() && it.key() <= last; ++it)
            found.insert(it.key(), it.value());
    }
    return found;
}

}
