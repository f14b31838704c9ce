#include "mainwindow/workjournal.h"

#include "store/journalformat.h"
#include "store/journalwriter.h"

namespace {
constexpr int PauseMilliseconds = 2000;
constexpr int LongestMilliseconds = 10000;
}

WorkJournal::WorkJournal(const QString &path, Snapshot snapshot, QObject *parent)
    : QObject(parent)
    , m_snapshot(std::move(snapshot))
    , m_writer(new JournalWriter(path, this))
{
    connect(m_writer, &JournalWriter::Failed, this, &WorkJournal::Failed);
    for (QTimer *timer : { &m_pause, &m_longest }) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &WorkJournal::Now);
    }
    m_pause.setInterval(PauseMilliseconds);
    m_longest.setInterval(LongestMilliseconds);
}

void WorkJournal::Typed()
{
    if (m_dropped)
        return;
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void WorkJournal::Now()
{
    m_pause.stop();
    m_longest.stop();
    if (m_dropped)
        return;
    const std::optional<JournalContent> work = m_snapshot();
    if (!work) {
        Remove();
        return;
    }
    m_writer->Post(JournalFormat::Encode(*work));
    m_exists = true;
}

void WorkJournal::Saved()
{
    m_pause.stop();
    m_longest.stop();
    Remove();
}

void WorkJournal::Dropped()
{
    Saved();
    m_dropped = true;
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
