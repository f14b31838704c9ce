#pragma once

#include "store/monthdocument.h"
#include "store/monthentries.h"
#include "store/monthfile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct JournalContent;
class JournalSnapshot;
struct PublicMod;
class DaySource;
class DiaryFolder;

// One entry of the selected day: its text in stored form and the title the title list shows.
struct DayEntry
{
    QString text;
    QString title;
};

// One entry of the month as the list window lists it.
struct MonthRow
{
    // DATE exactly as stored; empty when the ARTICLE has none.
    QString dayText;
    // The day DATE names, 1 to 31; none when it is missing, no number or out of that range.
    std::optional<int> day;
    QString title;
};

// The loaded month in the diary's own terms: days, entries, titles and the edits on them. Windows
// speak to the month through it and never see the XML document, which stays the one source of
// truth: nothing here is a copy. It is a QObject so that tests reach it through the window's
// object tree.
class DiaryMonth : public QObject
{
    Q_OBJECT
public:
    explicit DiaryMonth(QObject *parent = nullptr);
    ~DiaryMonth() override;

    // The month's file, or an empty month when there is none or it cannot be read; no day is
    // selected afterwards. Throws StoreError when the file can neither be read nor kept aside.
    MonthFile::ReadResult LoadMonth(const DiaryFolder &folder, const QString &year, const QString &month);
    // The month's file as it is now, once another program changed it; true when it took its place.
    // A missing or unreadable file changes nothing and is left where it is. Throws StoreError.
    bool Reload(const DiaryFolder &folder, const QString &year, const QString &month);
    // Drops blank entries, then writes the month to its file, merged with another program's changes
    // to the file since it was loaded; a month with nothing unsaved whose file exists is left as
    // it is. Throws StoreError, whose message names every file the save kept beside the month.
    MonthDocument::SaveOutcome SaveMonth(const DiaryFolder &folder, const QString &year, const QString &month);
    // Whether another program changed the month's file since this one last read or wrote it.
    bool ChangedOnDisk(const DiaryFolder &folder, const QString &year, const QString &month) const;
    // False only after a load that failed outright: such a month must be neither edited nor saved.
    bool IsLoaded() const;
    bool HasUnsavedChanges() const;
    // The whole month as its file would hold it, blank entries included.
    QByteArray Bytes() const;
    // content with the month's unsaved state added: a copy of the document, the file it started from
    // and the days changed since.
    JournalSnapshot Snapshot(JournalContent content) const;
    // Takes the month's state from a journal: the work is unsaved again, no day is selected, and a
    // save merges it with the file as it is by then. Throws StoreError when its month does not load.
    void Restore(const JournalContent &content);
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

private:
    std::unique_ptr<PublicMod> m_state;
};
