#include "search/matchplaces.h"

#include "search/searchquery.h"
#include "search/textfold.h"

#include <algorithm>

namespace MatchPlaces {

namespace {

// The display position of each stored position, one past the end included; both characters of a
// stored line break stand for its one line break.
std::vector<int> DisplayPositions(QStringView stored)
{
    std::vector<int> display(size_t(stored.size()) + 1);
    int shown = 0;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        display[size_t(i)] = shown;
        if (stored[i] == u'\\' && i + 1 < stored.size() && stored[i + 1] == u'n')
            display[size_t(++i)] = shown;
        ++shown;
    }
    display.back() = shown;
    return display;
}

std::vector<Place> Joined(std::vector<Place> places)
{
    std::sort(places.begin(), places.end(), [](const Place &a, const Place &b) { return a.begin < b.begin; });
    std::vector<Place> joined;
    for (const Place &place : places) {
        if (!joined.empty() && place.begin <= joined.back().begin + joined.back().length)
            joined.back().length = std::max(joined.back().length, place.begin + place.length - joined.back().begin);
        else
            joined.push_back(place);
    }
    return joined;
}

}

std::vector<Place> Of(QStringView stored, const SearchQuery &query)
{
    const TextFold::Placed placed = TextFold::FoldedWithPlaces(stored);
    const std::vector<int> display = DisplayPositions(stored);
    std::vector<Place> places;
    for (const QString &word : query.Words()) {
        for (qsizetype at = placed.folded.indexOf(word); at >= 0; at = placed.folded.indexOf(word, at + 1)) {
            const int begin = display[size_t(placed.begins[size_t(at)])];
            const int end = display[size_t(placed.ends[size_t(at + word.size() - 1)])];
            places.push_back({ begin, end - begin });
        }
    }
    return Joined(std::move(places));
}

}
