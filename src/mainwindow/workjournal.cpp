#include "mainwindow/workjournal.h"

#include "store/diaryfolder.h"
#include "store/journalwriter.h"

namespace {
constexpr int PauseMilliseconds = 2000;
constexpr int LongestMilliseconds = 10000;
}

WorkJournal::WorkJournal(const DiaryFolder &folder, Snapshot snapshot, QObject *parent)
    : QObject(parent)
    , m_place(std::make_shared<JournalPlace>(folder))
    , m_snapshot(std::move(snapshot))
    , m_writer(new JournalWriter([place = m_place] { return place->Path(); }, this))
{
    connect(m_writer, &JournalWriter::Failed, this, &WorkJournal::Failed);
    for (QTimer *timer : { &m_pause, &m_longest }) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &WorkJournal::Now);
    }
    m_pause.setInterval(PauseMilliseconds);
    m_longest.setInterval(LongestMilliseconds);
}

JournalPlace::Found WorkJournal::Find()
{
    JournalPlace::Found found = m_place->Find();
    if (found.folderUnusable)
        m_writer->FailureTold();
    return found;
}

void WorkJournal::Adopt(const QString &path)
{
    m_exists = true;
    m_writer->Retire(path);
}

void WorkJournal::Typed()
{
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void WorkJournal::Now()
{
    m_pause.stop();
    m_longest.stop();
    std::optional<JournalSnapshot> work = m_snapshot();
    if (!work) {
        Remove();
        return;
    }
    if (m_dropped && work->SameWork(*m_dropped))
        return;
    m_dropped.reset();
    // The month is written out into bytes on the writer's thread, not here.
    m_writer->Post(
        [place = m_place, work = std::move(*work)] { return work.Encode(place->Id(), place->FolderPath()); });
    m_exists = true;
}

void WorkJournal::Saved()
{
    m_pause.stop();
    m_longest.stop();
    m_dropped.reset();
    Remove();
}

void WorkJournal::Dropped()
{
    Saved();
    m_dropped = m_snapshot();
}

void WorkJournal::Flush()
{
    m_writer->Flush();
}

void WorkJournal::Remove()
{
    if (std::exchange(m_exists, false))
        m_writer->Remove();
}
