#pragma once

#include "store/folder/diaryfolder.h"
#include "store/journalfiles/journalsnapshot.h"
#include "store/merge/followedversion.h"
#include "store/month/monthentries.h"
#include "store/month/monthrow.h"
#include "store/month/saveoutcome.h"
#include "store/month/shownwork.h"
#include "store/monthfile/monthfile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct JournalContent;
struct PublicMod;
class DaySource;

// One entry of the selected day: its text in stored form and the title the title list shows.
struct DayEntry
{
    QString text;
    QString title;
};

// The loaded month of one diary folder in the diary's own terms: which month it is, its days,
// entries, titles and the edits on them, and its file. Windows speak to the month through it and
// never see the XML document, which stays the one source of truth: nothing here is a copy. A month
// goes into its own file only: whoever holds it never names the month again. Who must hear of its
// unsaved work (the journal) listens to UnsavedStateChanged. It is a QObject so that tests reach it
// through the window's object tree.
class DiaryMonth : public QObject
{
    Q_OBJECT
public:
    explicit DiaryMonth(DiaryFolder folder, QObject *parent = nullptr);
    ~DiaryMonth() override;

    // Makes that month of the folder the one held: its file, or an empty month when there is none or
    // it cannot be read; no day is selected afterwards. Throws StoreError when the file can neither be
    // read nor kept aside: the month held is then that one, not loaded.
    MonthFile::ReadResult Load(const QString &year, const QString &month);
    // Takes the month and its state from a journal: the work is unsaved again, no day is selected, and
    // a save merges it with the file as it is by then. Throws StoreError when its month does not load.
    void Restore(const JournalContent &content);
    // The month's file as it is now, once another program changed it, when it took its place: where
    // the entry open in shown stands now and what text the month lost. A missing or unreadable file
    // changes nothing and is left where it is; a version that does not tell where the open entry
    // stands waits until the window leaves it. The text lost is kept beside the month first, unless a
    // copy there holds it. Throws StoreError.
    std::optional<FollowedVersion> Reload(const ShownWork &shown);
    // Drops blank entries, then writes the month to its file, merged with another program's changes
    // to the file since it was loaded; a month with nothing unsaved whose file exists is left as it
    // is. Throws StoreError, whose message names every file the save kept beside the month.
    SaveOutcome Save();
    // Whether another program changed the month's file since this one last read or wrote it.
    bool ChangedOnDisk() const;

    const DiaryFolder &Folder() const;
    QString Year() const;
    QString Month() const;
    QString FilePath() const;
    // False only after a load that failed outright: such a month must be neither edited nor saved.
    bool IsLoaded() const;
    // Whether closing now would lose work: the month's own changes, or an editor text that differs
    // from its entry. An editor whose entry a save dropped as blank holds nothing to write back.
    bool HasUnsavedWork(const ShownWork &shown) const;
    // What the journal keeps: the unsaved state of the month and of the window, or none.
    std::optional<JournalSnapshot> UnsavedWork(const ShownWork &shown) const;
    // The whole month as its file would hold it, blank entries included.
    QByteArray Bytes() const;
    // Whether the month's file in folder already holds all of a journal's work as a save writes it:
    // the save was done and only the journal's removal was cut off.
    static bool AlreadySaved(const JournalContent &work, const DiaryFolder &folder);

    // Makes the first ARTICLE of that day the selected day, or none when the day has no ARTICLE.
    void SelectDay(int day);
    bool HasSelectedDay() const;
    std::vector<DayEntry> DayEntries() const;
    // The stored text of the selected day's entry at position, or none when there is no such entry.
    std::optional<QString> EntryText(int position) const;
    // Appends an empty entry to the selected day, first adding the day's ARTICLE for the
    // calendar's day when there is none; returns its position.
    int AppendEntry(const DaySource &calendar);
    // Stores text (stored form) as the entry's text; false when there is no such entry.
    bool SetEntryText(int position, const QString &text);
    void RemoveEntry(int position);
    // Position of the entry shown in the editor.
    qint32 CurText() const;
    void SetCurText(qint32 position);

    // The days of the month that have at least one entry, each once.
    QList<int> DaysWithEntries() const;
    // Every entry of the month, ARTICLE by ARTICLE in document order.
    std::vector<MonthRow> Rows() const;
    // Every entry the title list can show, as it stands now, unsaved edits included.
    std::vector<MonthEntries::EntryRow> Entries() const;

signals:
    // The month's unsaved work may have changed: an edit, a load, a reload, a restore, a save that
    // succeeded or failed.
    void UnsavedStateChanged();
    // The month's file now holds all of its work.
    void Saved();
    // A month, or its file afresh, took the place of the one held.
    void Loaded();

private:
    DiaryFolder m_folder;
    QString m_year;
    QString m_month;
    std::unique_ptr<PublicMod> m_state;
};
