#pragma once

#include "store/folder/diaryfolder.h"
#include "store/merge/followedversion.h"
#include "store/month/onscreen.h"
#include "store/monthfile/monthfile.h"
#include "store/xml/xmldom.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <set>

class DaySource;
struct JournalContent;

// The loaded month behind DiaryMonth's face: which month of which folder it is, its document with the
// selected day, what is on screen, and the file's version that a save merges against. Every change
// it makes to the document marks the month as unsaved; loading and a successful save clear the mark.
// Only DiaryMonth and the save it runs reach it; it emits nothing, the face does.
class DiaryMonthPrivate
{
public:
    explicit DiaryMonthPrivate(DiaryFolder folder);

    QString FilePath() const;
    // The month's file into the document, or an empty month (declaration and empty DIARY) when there
    // is none or it cannot be read; no day is selected afterwards. The result tells whether an
    // unreadable file was kept aside. Throws StoreError; the month held is then that one, not loaded.
    MonthFile::ReadResult Load();
    // Takes the month's file as it is now in place of the loaded month, as Load does, and tells where
    // the entry open on screen now stands and what text the month lost; returns none and leaves
    // everything as it was when the file is what this program last read or wrote, or is missing or
    // unreadable (another program may be half-way through writing it, so nothing is kept aside and a
    // later save without unsaved work leaves the file alone), or when the new version does not tell
    // where the open entry stands: that version waits until the window leaves the entry. Text the new
    // version lacks is first made sure of in a file beside the month. Throws StoreError, in words for
    // the user, when something other than a month file stands at its place or that text cannot be kept.
    std::optional<FollowedVersion> Reload();
    // Takes the month and its state from a journal: the work is unsaved again, no day is selected, and
    // a save merges it with the file as it is by then. Throws StoreError when its month does not load.
    void Restore(const JournalContent &content);

    // The first ARTICLE of that day becomes xmlDay, or none when there is none (or no day).
    void SelectDay(std::optional<int> day);
    std::optional<int> SelectedDay() const;
    // Entry position of xmlDay, or a null node when there is no such entry.
    XmlNode EntryAt(int position) const;
    // Appends an ARTICLE for the calendar's day to the root element and makes it xmlDay.
    void AddArticle(const DaySource &calendar);
    // Appends an empty entry to xmlDay, first adding an ARTICLE for the calendar's day when there is none.
    void AppendEntry(const DaySource &calendar);
    // Stores text as the entry's text; an unchanged text leaves the document and the mark alone and
    // gives false.
    bool SetEntryText(XmlNode entry, const QString &text);
    // Removes an entry of xmlDay; its handle is no longer valid afterwards.
    void RemoveEntry(const XmlNode &entry);
    // Removes the blank entries, as a save does first.
    void DropBlankEntries();

    // The file's version that a save compares the file on disk with.
    MonthFile::OnDisk Base() const;
    // The file as this program just read or wrote it; no day is changed since.
    void RememberBase(bool exists, const QByteArray &bytes);

    // The design's shared state: the month's document, the ARTICLE of the selected day (or none) and
    // the position of the entry shown in the editor.
    struct PublicMod
    {
        XmlDocument xmlDoc;
        XmlNode xmlDay;
        qint32 curText = 0;
    } publicMod;

    const DiaryFolder folder;
    QString year;
    QString month;
    OnScreen screen;
    // Whether the loaded month holds work its file does not, so that closing the window can ask
    // before that work is lost.
    bool unsavedChanges = false;
    // The file as this program last read or wrote it: a save compares the file on disk with it, so
    // that a change made elsewhere (a sync tool, another computer) is merged, never overwritten.
    bool baseExists = false;
    QByteArray baseBytes;
    // The days whose entries this program changed since then; a merge takes exactly these from here.
    std::set<int> changedDays;

private:
    void MarkChanged();
};
