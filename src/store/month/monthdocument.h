#pragma once

#include "store/merge/followedversion.h"
#include "store/month/saveoutcome.h"
#include "store/monthfile/monthfile.h"

#include <QString>
#include <optional>
#include <vector>

struct PublicMod;
class DaySource;
class DiaryFolder;
class XmlNode;

// The store's own operations on a month's document and state, in XML nodes; DiaryMonth alone calls
// them, with the folder, year and month it holds. Every change they make to the document marks the
// month as unsaved; loading and a successful save clear the mark.
namespace MonthDocument {

// The month's file into state.xmlDoc, or an empty month (declaration and empty DIARY) when
// there is none or it cannot be read; xmlDay becomes none. The result tells whether an
// unreadable file was kept aside.
MonthFile::ReadResult LoadMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month);

// Drops blank entries, then writes the whole document to the month's file; a month with nothing
// unsaved whose file exists is left as it is. When another program changed the file since it was
// loaded, this program's changed days are merged into the file's version, which becomes the
// document once it is written. The folder must still be in its place. Throws StoreError, which
// names every file the save kept beside the month.
SaveOutcome SaveMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month);

// Takes the month's file as it is now in place of the loaded month, as LoadMonth does, and tells
// where the entry open at position of day (or -1) now stands and what text the month lost; returns
// none and leaves everything as it was when the file is what this program last read or wrote, or is
// missing or unreadable (another program may be half-way through writing it, so nothing is kept aside
// and a later save without unsaved work leaves the file alone), or when the new version does not tell
// where the open entry stands: that version waits until the window leaves the entry. Text the new
// version lacks is first made sure of in a file beside the month. Throws StoreError, in words for the
// user, when something other than a month file stands at its place or that text cannot be kept.
std::optional<FollowedVersion> ReloadMonth(
    PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month, int day, int position);

// Whether the month's file now differs from what this program last read or wrote.
bool ChangedOnDisk(const PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month);

// Appends an ARTICLE for the calendar's selected day to the root element and makes it xmlDay.
void AddArticle(PublicMod &state, const DaySource &calendar);

// Appends an empty entry to xmlDay, first adding the day's ARTICLE when there is none.
void AppendEntry(PublicMod &state, const DaySource &calendar);

// Stores text as the entry's text; an unchanged text leaves the document and the mark alone and
// gives false.
bool SetEntryText(PublicMod &state, XmlNode entry, const QString &text);

// Entry position of xmlDay, or a null node when there is no such entry.
XmlNode EntryAt(const PublicMod &state, int position);

// Removes an entry of xmlDay; its handle is no longer valid afterwards.
void RemoveEntry(PublicMod &state, const XmlNode &entry);

// Removes the blank entries, as a save does first.
void DropBlankEntries(PublicMod &state);

}
