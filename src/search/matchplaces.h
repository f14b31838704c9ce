#pragma once

#include <QStringView>

#include <vector>

class SearchQuery;

// Where a query's words stand in an entry as the editor shows it, where a line break is one
// character: for marking them in a result and selecting the first in the editor.
namespace MatchPlaces {

struct Place
{
    int begin = 0;
    int length = 0;
};

// Every occurrence of every word in the stored text, in display positions, by where it begins;
// overlapping ones are joined.
std::vector<Place> Of(QStringView stored, const SearchQuery &query);

}
