#pragma once

#include <optional>
#include <set>
#include <vector>

class XmlDocument;

// Puts this program's work into a month that another program (a sync tool, a text editor on
// another computer) changed on disk since this program loaded it, entry by entry, so that neither
// side's entries are lost.
namespace MonthMerge {

// disk becomes the merged month. Every day in changedDays is merged three ways against base, the
// month as this program loaded it (null when there was no file): entries added on either side are
// all kept, an entry changed or deleted on one side only takes that change, and the disk's entries
// that stay keep their place and markup. Every other day keeps the disk's version untouched.
// Returns the days where an entry was changed differently on both sides, or changed on one and
// deleted on the other: mine's version of that place stands, and the caller keeps the disk's
// version elsewhere.
std::vector<int> Merge(
    XmlDocument &disk, const XmlDocument *base, const XmlDocument &mine, const std::set<int> &changedDays);

// Puts into month the entries of copy, another version of it whose base is unknown (a sync tool's
// copy), that month lacks, each where copy has it. Returns the days that got entries, or none and
// leaves month untouched when a day of the two differs otherwise than by entries one of them lacks.
std::optional<std::vector<int>> TakeInCopy(XmlDocument &month, const XmlDocument &copy);

// The days whose entries differ between two versions of a month, as the merge compares days.
std::vector<int> DifferingDays(const XmlDocument &one, const XmlDocument &other);

}
