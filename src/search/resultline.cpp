#include "search/resultline.h"

#include "search/matchplaces.h"
#include "store/text/textcodec.h"

namespace ResultLine {

namespace {

// Enough of what comes before the first word for the reader to see where it stands.
constexpr int LeadingCharacters = 12;
// More than the widest row shows; the row cuts the line where it ends.
constexpr int LineCharacters = 160;
const QString Ellipsis = QStringLiteral("…");

}

Line Around(const QString &stored, const SearchQuery &query)
{
    const std::vector<MatchPlaces::Place> places = MatchPlaces::Of(stored, query);
    const QString shown = TextCodec::DecodeText(stored);
    const int first = places.empty() ? 0 : places.front().begin;
    int start = qMax(0, first - LeadingCharacters);
    // A character outside the BMP is two units of the text; the line never begins or ends between them.
    if (start > 0 && start < shown.size() && shown.at(start).isLowSurrogate())
        --start;
    Line line;
    line.text = shown.mid(start, LineCharacters);
    if (!line.text.isEmpty() && line.text.back().isHighSurrogate())
        line.text.chop(1);
    // The line is one line; a phrase found across a line break reads on across a space.
    line.text.replace(u'\n', u' ');
    const int shift = start > 0 ? int(Ellipsis.size()) - start : -start;
    if (start > 0)
        line.text.prepend(Ellipsis);
    for (const MatchPlaces::Place &place : places) {
        if (place.begin + shift < line.text.size())
            line.marks.append(QPoint(place.begin + shift, place.length));
    }
    return line;
}

}
