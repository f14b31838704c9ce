#pragma once

#include "store/journalcontent.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class JournalWriter;

// Keeps the journal of the window's unsaved work up to date, so that a crash, a kill or a power cut
// loses nothing typed: soon after typing stops, at least every few seconds while it goes on, and at
// once when asked. The bytes go to disk on the writer's own thread, so typing never waits for the
// disk. It never writes a month file.
class WorkJournal : public QObject
{
    Q_OBJECT
public:
    // The window's unsaved work, or none when there is nothing to keep.
    using Snapshot = std::function<std::optional<JournalContent>()>;

    WorkJournal(const QString &path, Snapshot snapshot, QObject *parent = nullptr);

    // The journal at path holds work that the window has taken back.
    void Adopt() { m_exists = true; }
    // The user typed: the journal follows when typing pauses, and meanwhile at least every 10 s.
    void Typed();
    // Brings the journal up to date now: the work as it stands, or no journal when nothing is unsaved.
    void Now();
    // The work was saved: the journal goes; later work is kept again.
    void Saved();
    // The user chose to drop the work: the journal goes, and nothing is kept any more.
    void Dropped();
    // Waits until the disk holds what was handed over.
    void Flush();

signals:
    // Once until a write succeeds again, in Japanese for the user.
    void Failed(const QString &reason);

private:
    void Remove();

    Snapshot m_snapshot;
    JournalWriter *m_writer = nullptr;
    QTimer m_pause;
    QTimer m_longest;
    bool m_exists = false;
    bool m_dropped = false;
};
