#include "store/merge/entrymerge.h"

#include <algorithm>

namespace EntryMerge {

namespace {

// For each base entry, the position of the same entry in side, or -1 when side no longer has it.
std::vector<int> Align(const QStringList &base, const QStringList &side)
{
    const int baseSize = int(base.size());
    const int sideSize = int(side.size());
    std::vector<int> match(baseSize, -1);
    // A day is mostly the same on both sides: the common ends cost no table.
    int head = 0;
    for (; head < baseSize && head < sideSize && base[head] == side[head]; ++head)
        match[head] = head;
    int tail = 0;
    for (; tail < baseSize - head && tail < sideSize - head && base[baseSize - 1 - tail] == side[sideSize - 1 - tail];
         ++tail)
        match[baseSize - 1 - tail] = sideSize - 1 - tail;
    const int rows = baseSize - head - tail;
    const int columns = sideSize - head - tail;
    // The longest common subsequence of what lies between, from the end.
    std::vector<int> length(size_t(rows + 1) * size_t(columns + 1), 0);
    const auto at = [columns](int row, int column) { return row * (columns + 1) + column; };
    for (int row = rows - 1; row >= 0; --row) {
        for (int column = columns - 1; column >= 0; --column)
            length[at(row, column)] = base[head + row] == side[head + column]
                ? length[at(row + 1, column + 1)] + 1
                : std::max(length[at(row + 1, column)], length[at(row, column + 1)]);
    }
    for (int row = 0, column = 0; row < rows && column < columns;) {
        if (base[head + row] == side[head + column])
            match[head + row++] = head + column++;
        else if (length[at(row + 1, column)] >= length[at(row, column + 1)])
            ++row;
        else
            ++column;
    }
    return match;
}

// One side's change between two entries it kept from base: the base entries it no longer has and
// the entries it has there instead, either range possibly empty.
struct Hunk
{
    int baseBegin;
    int baseEnd;
    int sideBegin;
    int sideEnd;
    bool chosen = true;

    bool Replaces() const { return baseBegin < baseEnd && sideBegin < sideEnd; }
    bool Covers(int entry) const { return baseBegin <= entry && entry < baseEnd; }
    bool Shares(const Hunk &other) const { return baseBegin < other.baseEnd && other.baseBegin < baseEnd; }
};

std::vector<Hunk> HunksOf(const std::vector<int> &match, int sideSize)
{
    std::vector<Hunk> hunks;
    int base = 0;
    int side = 0;
    for (int entry = 0; entry <= int(match.size()); ++entry) {
        if (entry < int(match.size()) && match[entry] < 0)
            continue;
        const int sideAt = entry < int(match.size()) ? match[entry] : sideSize;
        if (base < entry || side < sideAt)
            hunks.push_back({ base, entry, side, sideAt });
        base = entry + 1;
        side = sideAt + 1;
    }
    return hunks;
}

bool SameChange(const Hunk &one, const QStringList &oneSide, const Hunk &other, const QStringList &otherSide)
{
    return one.baseBegin == other.baseBegin && one.baseEnd == other.baseEnd
        && oneSide.mid(one.sideBegin, one.sideEnd - one.sideBegin)
        == otherSide.mid(other.sideBegin, other.sideEnd - other.sideBegin);
}

bool Covered(int entry, const std::vector<Hunk> &hunks)
{
    return std::any_of(hunks.cbegin(), hunks.cend(), [entry](const Hunk &h) { return h.chosen && h.Covers(entry); });
}

void PickInserted(int gap, const std::vector<Hunk> &hunks, Pick::Side side, std::vector<Pick> &picks)
{
    for (const Hunk &hunk : hunks) {
        if (!hunk.chosen || hunk.baseBegin != gap)
            continue;
        for (int index = hunk.sideBegin; index < hunk.sideEnd; ++index)
            picks.push_back({ side, index });
    }
}

}

Result Merge(const QStringList &base, const QStringList &there, const QStringList &here)
{
    const std::vector<int> thereMatch = Align(base, there);
    const std::vector<int> hereMatch = Align(base, here);
    std::vector<Hunk> thereHunks = HunksOf(thereMatch, int(there.size()));
    std::vector<Hunk> hereHunks = HunksOf(hereMatch, int(here.size()));
    Result result;
    for (Hunk &thereHunk : thereHunks) {
        for (Hunk &hereHunk : hereHunks) {
            if (SameChange(thereHunk, there, hereHunk, here)) {
                hereHunk.chosen = false;
            } else if (thereHunk.Shares(hereHunk) && (thereHunk.Replaces() || hereHunk.Replaces())) {
                // Here's version of the place stands; the caller keeps There's whole elsewhere.
                thereHunk.chosen = false;
                result.conflict = true;
            }
        }
    }
    for (int gap = 0; gap <= int(base.size()); ++gap) {
        PickInserted(gap, thereHunks, Pick::Side::There, result.picks);
        PickInserted(gap, hereHunks, Pick::Side::Here, result.picks);
        if (gap == int(base.size()) || Covered(gap, thereHunks) || Covered(gap, hereHunks))
            continue;
        // Kept on both sides, or There's change of it was set aside for Here's, which kept it.
        result.picks.push_back(thereMatch[gap] >= 0 ? Pick { Pick::Side::There, thereMatch[gap] }
                                                    : Pick { Pick::Side::Here, hereMatch[gap] });
    }
    return result;
}

std::optional<std::vector<Pick>> Union(const QStringList &there, const QStringList &here)
{
    const std::vector<Hunk> hunks = HunksOf(Align(there, here), int(here.size()));
    if (std::any_of(hunks.cbegin(), hunks.cend(), [](const Hunk &hunk) { return hunk.Replaces(); }))
        return std::nullopt;
    std::vector<Pick> picks;
    for (int gap = 0; gap <= int(there.size()); ++gap) {
        PickInserted(gap, hunks, Pick::Side::Here, picks);
        if (gap < int(there.size()))
            picks.push_back({ Pick::Side::There, gap });
    }
    return picks;
}

}
