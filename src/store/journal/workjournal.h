#pragma once

#include "store/journal/journalplace.h"
#include "store/journalfiles/journalsnapshot.h"
#include "store/month/shownwork.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class DiaryMonth;
class JournalWriter;

// Keeps the journal of the loaded month's unsaved work up to date, so that a crash, a kill or a power
// cut loses nothing typed. It follows the month's unsaved state as it changes, soon after typing
// stops and at least every few seconds while it goes on, and at once when asked. The bytes go to
// disk on the writer's own thread, so typing never waits for the disk. It never writes a month file.
class WorkJournal : public QObject
{
    Q_OBJECT
public:
    // What the window shows of the month beyond its document, asked at each write.
    using Shown = std::function<ShownWork()>;

    WorkJournal(const DiaryMonth &month, Shown shown, QObject *parent = nullptr);

    // The journal of the work that a run of this diary left unsaved, if any, and what the user must
    // hear of. Throws StoreError.
    JournalPlace::Found Find();
    // The journal at path holds work that the month has taken back; it goes once this diary's own
    // journal holds the work or the work is saved.
    void Adopt(const QString &path);
    // The work may have changed: the journal follows once the handling under way is done, so that it
    // records the window as that handling leaves it.
    void Follow();
    // The user typed: the journal follows when typing pauses, and meanwhile at least every 10 s.
    void Typed();
    // Brings the journal up to date now: the work as it stands, or no journal when nothing is unsaved.
    void Now();
    // The user chose to drop the work as it stands: the journal goes, and that work is not kept again;
    // work done after the answer is (the desktop may call its logout off).
    void Dropped();
    // Waits until the disk holds what was handed over; the program is ending. False when the last of
    // it failed: the journal before it stays whole, and a sign tells the next start.
    bool Flush();

signals:
    // Once until a write succeeds again, in Japanese for the user.
    void Failed(const QString &reason);

private:
    std::optional<JournalSnapshot> Work() const;
    // The work is saved, or dropped: no journal, and no timer that would bring one back.
    void Empty();
    void Remove();

    const DiaryMonth &m_month;
    Shown m_shown;
    std::shared_ptr<JournalPlace> m_place;
    JournalWriter *m_writer = nullptr;
    QTimer m_soon;
    QTimer m_pause;
    QTimer m_longest;
    bool m_exists = false;
    std::optional<JournalSnapshot> m_dropped;
};
