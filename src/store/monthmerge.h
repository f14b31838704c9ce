#pragma once

#include <set>
#include <vector>

class XmlDocument;

// Puts this program's work into a month that another program (a sync tool, a text editor on
// another computer) changed on disk since this program loaded it, day by day, so that neither
// side's entries are lost.
namespace MonthMerge {

// disk becomes the merged month: every day in changedDays that mine holds otherwise than base gets
// mine's version of that day, in the place of the disk's ARTICLEs of that day (at the end when the
// disk has none); every other day keeps the disk's version untouched. base is the month as this
// program loaded it, or null when there was no file. Returns the days that the other side changed
// too, and differently: mine's version stands there, and the caller keeps the disk's version
// elsewhere.
std::vector<int> Merge(
    XmlDocument &disk, const XmlDocument *base, const XmlDocument &mine, const std::set<int> &changedDays);

// The days whose entries differ between two versions of a month, as the merge compares days.
std::vector<int> DifferingDays(const XmlDocument &one, const XmlDocument &other);

}
