#include "store/journal/journalwriter.h"

#include "store/journalfiles/journalfile.h"
#include "usermessages/storeerror.h"

#include <exception>
#include <utility>

JournalWriter::JournalWriter(std::function<QString()> path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
    , m_worker([this] { Run(); })
{
}

JournalWriter::JournalWriter(const QString &path, QObject *parent)
    : JournalWriter([path] { return path; }, parent)
{
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_work.notify_one();
    m_worker.join();
}

void JournalWriter::Post(QByteArray bytes)
{
    Post([bytes = std::move(bytes)] { return bytes; });
}

void JournalWriter::Post(std::function<QByteArray()> makeBytes)
{
    Hand(Operation { 0, false, std::move(makeBytes) });
}

void JournalWriter::Retire(const QString &path)
{
    const std::lock_guard lock(m_mutex);
    m_retired = path;
}

void JournalWriter::Remove()
{
    Hand(Operation { 0, true, {} });
}

bool JournalWriter::Flush()
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t wanted = m_handed;
    m_finished.wait(lock, [&] { return m_done >= wanted; });
    return m_lastSucceeded;
}

void JournalWriter::Hand(Operation operation)
{
    std::function<QByteArray()> replaced;
    {
        const std::lock_guard lock(m_mutex);
        operation.number = ++m_handed;
        if (m_pending)
            replaced = std::move(m_pending->bytes);
        // Writing and then removing ends as removing, and removing and then writing as writing:
        // whatever comes last decides, so one waiting operation is all there ever is.
        m_pending = std::move(operation);
    }
    m_work.notify_one();
    // replaced is freed here, outside the lock, so that the worker never waits for a large free.
}

void JournalWriter::Run()
{
    for (;;) {
        Operation operation;
        {
            std::unique_lock lock(m_mutex);
            m_work.wait(lock, [this] { return m_pending || m_stopping; });
            if (!m_pending)
                return;
            operation = std::move(*m_pending);
            m_pending.reset();
        }
        QString failure;
        try {
            Carry(operation);
        } catch (const StoreError &error) {
            failure = error.message();
        } catch (const std::exception &error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        {
            const std::lock_guard lock(m_mutex);
            m_done = operation.number;
            m_lastSucceeded = failure.isEmpty();
        }
        m_finished.notify_all();
        Report(failure);
    }
}

void JournalWriter::Carry(const Operation &operation)
{
    const QString path = m_path();
    if (operation.remove)
        JournalFile::Remove(path);
    else
        JournalFile::Write(path, operation.bytes());
    QString retired;
    {
        const std::lock_guard lock(m_mutex);
        retired = std::exchange(m_retired, QString());
    }
    if (retired.isEmpty() || retired == path)
        return;
    try {
        JournalFile::Remove(retired);
    } catch (...) {
        // Tried again after the next operation: a journal left there could bring saved work back.
        const std::lock_guard lock(m_mutex);
        if (m_retired.isEmpty())
            m_retired = retired;
        throw;
    }
}

void JournalWriter::Report(const QString &failure)
{
    const bool told = m_told.exchange(false);
    if (failure.isEmpty()) {
        m_reported = false;
        return;
    }
    if (std::exchange(m_reported, true) || told)
        return;
    // Queued to this object, so the signal comes from the thread that created the writer; a writer
    // destroyed before then takes the queued call with it.
    QMetaObject::invokeMethod(
        this, [this, failure] { emit Failed(failure); }, Qt::QueuedConnection);
}
