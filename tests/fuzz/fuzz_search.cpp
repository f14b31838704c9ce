#include "search/matchplaces.h"
#include "search/monthindex.h"
#include "search/searchquery.h"
#include "search/textfold.h"

#include <cstdint>
#include <cstdlib>

// The input in UTF-8: the typed words, then the entries of a day, each after a line feed. The
// month's scan finds exactly the entries that hold every folded word, as a plain comparison entry
// by entry does, within the date typed, and the places marked in each lie within its text as the
// editor shows it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList parts
        = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QLatin1Char('\n'));
    const SearchQuery query(parts.front());
    std::vector<MonthRow> rows;
    for (qsizetype at = 1; at < parts.size(); ++at)
        rows.push_back({ QStringLiteral("7"), 7, int(at - 1), parts[at] });
    const MonthIndex month(2026, 12, {}, rows);
    std::vector<int> found;
    month.Search(query, found);
    std::vector<int> expected;
    for (const MonthRow &row : rows) {
        const bool inDate
            = !query.Date() || (query.Date()->CoversMonth(2026, 12) && query.Date()->CoversDay(2026, 12, 7));
        if (!query.IsEmpty() && inDate && query.Matches(TextFold::Folded(row.text)))
            expected.push_back(row.position);
    }
    std::vector<int> positions;
    for (const int hit : found)
        positions.push_back(month.Position(hit));
    if (positions != expected)
        std::abort();
    for (const int hit : found) {
        const QString shown = QString(month.Text(hit)).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        const std::vector<MatchPlaces::Place> places = MatchPlaces::Of(month.Text(hit), query);
        if (places.empty() != query.Words().isEmpty())
            std::abort();
        for (const MatchPlaces::Place &place : places) {
            if (place.begin < 0 || place.length <= 0 || place.begin + place.length > shown.size())
                std::abort();
        }
    }
    return 0;
}
