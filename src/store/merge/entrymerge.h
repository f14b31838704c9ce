#pragma once

#include <QStringList>

#include <optional>
#include <vector>

// Merges two versions of one day's entries that both started from the same base, entry by entry,
// in the texts alone: where each merged entry comes from, never how it is stored.
namespace EntryMerge {

struct Pick
{
    enum class Side
    {
        There,
        Here
    };
    Side side;
    // The entry's position in that side's list.
    int index;
};

struct Result
{
    // The merged day, in order; the entries of There that it takes keep their order.
    std::vector<Pick> picks;
    // Whether an entry was changed differently on both sides, or changed on one and deleted on the
    // other: Here's version of that place stands.
    bool conflict = false;
};

// Entries added on either side are all kept (There's before Here's at the same place), an entry
// changed or deleted on one side only takes that side's change, and the same change made on both
// sides is made once. Entries have no identity beyond their text: each side is aligned with base
// by its longest common subsequence.
Result Merge(const QStringList &base, const QStringList &there, const QStringList &here);

// Two versions of a day with no base known: there's entries with here's that there lacks put in
// where here has them. None when at some place each holds entries the other lacks (an entry changed
// on one side, most likely), which only the user can resolve.
std::optional<std::vector<Pick>> Union(const QStringList &there, const QStringList &here);

}
