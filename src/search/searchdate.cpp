#include "search/searchdate.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace {

struct Era
{
    const char16_t *name;
    QDate first;
    QDate last;
};

const Era Eras[] = { { u"令和", QDate(2019, 5, 1), QDate() }, { u"平成", QDate(1989, 1, 8), QDate(2019, 4, 30) },
    { u"昭和", QDate(1926, 12, 25), QDate(1989, 1, 7) } };

std::optional<SearchDate> Checked(SearchDate date)
{
    if (date.year == 0 && date.month == 0)
        return std::nullopt;
    if (date.month < 0 || date.month > 12 || date.day < 0 || date.day > 31 || (date.day > 0 && date.month == 0))
        return std::nullopt;
    return date;
}

}

std::optional<SearchDate> SearchDate::Read(QStringView word)
{
    static const QRegularExpression slashed(QStringLiteral(R"(^(\d{4})/(\d{1,2})(?:/(\d{1,2}))?$)"));
    static const QRegularExpression written(
        QStringLiteral(R"(^(?:(\d{4})年|(令和|平成|昭和)(元|\d{1,2})年)?(?:(\d{1,2})月(?:(\d{1,2})日)?)?$)"));
    if (const QRegularExpressionMatch match = slashed.match(word.toString()); match.hasMatch())
        return Checked({ match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt(),
            QDate(), QDate() });
    const QRegularExpressionMatch match = written.match(word.toString());
    if (!match.hasMatch())
        return std::nullopt;
    SearchDate date { match.capturedView(1).toInt(), match.capturedView(4).toInt(), match.capturedView(5).toInt(),
        QDate(), QDate() };
    if (match.hasCaptured(2)) {
        const Era &era = *std::find_if(
            std::begin(Eras), std::end(Eras), [&match](const Era &e) { return match.capturedView(2) == e.name; });
        const int inEra = match.capturedView(3) == u"元" ? 1 : match.capturedView(3).toInt();
        date.year = inEra > 0 ? era.first.year() - 1 + inEra : 0;
        date.eraFirst = era.first;
        date.eraLast = era.last;
    }
    return Checked(date);
}

bool SearchDate::CoversDay(int entryYear, int entryMonth, int entryDay) const
{
    if (day != 0 && day != entryDay)
        return false;
    const QDate entry(entryYear, entryMonth, entryDay);
    return (!eraFirst.isValid() || entry >= eraFirst) && (!eraLast.isValid() || entry <= eraLast);
}

bool SearchDate::CoversMonth(int entryYear, int entryMonth) const
{
    const QDate first(entryYear, entryMonth, 1);
    return (year == 0 || year == entryYear) && (month == 0 || month == entryMonth)
        && (!eraFirst.isValid() || first.addMonths(1) > eraFirst) && (!eraLast.isValid() || first <= eraLast);
}
