#include "store/journal/workjournal.h"

#include "store/journal/journalmark.h"
#include "store/journal/journalwriter.h"
#include "store/month/diarymonth.h"

namespace {
constexpr int PauseMilliseconds = 2000;
constexpr int LongestMilliseconds = 10000;
}

WorkJournal::WorkJournal(const DiaryMonth &month, Shown shown, QObject *parent)
    : QObject(parent)
    , m_month(month)
    , m_shown(std::move(shown))
    , m_place(std::make_shared<JournalPlace>(month.Folder()))
    , m_writer(new JournalWriter([place = m_place] { return place->Path(); }, this))
{
    connect(m_writer, &JournalWriter::Failed, this, &WorkJournal::Failed);
    connect(&month, &DiaryMonth::UnsavedStateChanged, this, &WorkJournal::Follow);
    connect(&month, &DiaryMonth::Saved, this, &WorkJournal::Empty);
    for (QTimer *timer : { &m_soon, &m_pause, &m_longest }) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &WorkJournal::Now);
    }
    m_soon.setInterval(0);
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

void WorkJournal::Follow()
{
    m_soon.start();
}

void WorkJournal::Typed()
{
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

std::optional<JournalSnapshot> WorkJournal::Work() const
{
    return m_month.UnsavedWork(m_shown());
}

void WorkJournal::Now()
{
    for (QTimer *timer : { &m_soon, &m_pause, &m_longest })
        timer->stop();
    std::optional<JournalSnapshot> work = Work();
    if (!work) {
        Remove();
        return;
    }
    if (m_dropped && work->SameWork(*m_dropped))
        return;
    m_dropped.reset();
    // The month is written out into bytes on the writer's thread, not here.
    m_writer->Post([place = m_place, work = std::move(*work)] {
        return work.Encode(place->Id(), place->FolderPath(), place->FolderIdentity());
    });
    m_exists = true;
}

void WorkJournal::Empty()
{
    for (QTimer *timer : { &m_soon, &m_pause, &m_longest })
        timer->stop();
    m_dropped.reset();
    Remove();
}

void WorkJournal::Dropped()
{
    Empty();
    m_dropped = Work();
}

bool WorkJournal::Flush()
{
    if (m_writer->Flush())
        return true;
    JournalMark::Leave(m_place->Path());
    return false;
}

void WorkJournal::Remove()
{
    if (std::exchange(m_exists, false))
        m_writer->Remove();
}
