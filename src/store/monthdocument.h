#pragma once

#include "store/diaryfolder.h"
#include "store/monthfile.h"

#include <QString>
#include <optional>

struct PublicMod;
class DaySource;
class XmlNode;

// The operations of the diary store on the shared month document. They take the diary's folder
// as a parameter so that tests run them in a temporary directory; messages name that folder. Every change they
// make to the document marks the month as unsaved; loading and a successful save clear the mark.
namespace MonthDocument {

// The month's file into state.xmlDoc, or an empty month (declaration and empty DIARY) when
// there is none or it cannot be read; xmlDay becomes none. The result tells whether an
// unreadable file was kept aside.
MonthFile::ReadResult LoadMonth(PublicMod &state, const DiaryFolder &folder, const QString &year,
                                const QString &month);

// Drops blank entries, then writes the whole document to the month's file, once the folder has
// been found still in its place. Throws StoreError.
MonthFile::WriteResult SaveMonth(PublicMod &state, const DiaryFolder &folder, const QString &year,
                                 const QString &month);

// Appends an ARTICLE for the calendar's selected day to the root element and makes it xmlDay.
void AddArticle(PublicMod &state, const DaySource &calendar);

// Appends an empty entry to xmlDay, first adding the day's ARTICLE when there is none.
void AppendEntry(PublicMod &state, const DaySource &calendar);

// Stores text as the entry's text; an unchanged text leaves the document and the mark alone.
void SetEntryText(PublicMod &state, XmlNode entry, const QString &text);

// Removes an entry of xmlDay; its handle is no longer valid afterwards.
void RemoveEntry(PublicMod &state, const XmlNode &entry);

// An ARTICLE's DATE as a day number, or none when it is missing, not a number or no day of a
// month (1 to 31). Surrounding spaces and leading zeros are accepted, as other tools write them.
std::optional<int> ArticleDay(const XmlNode &article);

// Entries made only of spaces (U+0020, tab, U+3000) are blank and dropped when saving.
bool IsBlank(const QString &text);

}
