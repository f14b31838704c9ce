#include "store/journalwriter.h"

#include "base/storeerror.h"
#include "store/journalfile.h"

#include <exception>
#include <utility>

JournalWriter::JournalWriter(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
    , m_worker([this] { Run(); })
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
    Hand(Operation { 0, false, std::move(bytes) });
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
    QByteArray replaced;
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
            if (operation.remove)
                JournalFile::Remove(m_path);
            else
                JournalFile::Write(m_path, operation.bytes);
        } catch (const StoreError &error) {
            failure = error.message();
        } catch (const std::exception &error) {
            failure = QStringLiteral("作業中の内容の復元用の記録を更新できませんでした。（%1）")
                          .arg(QString::fromLocal8Bit(error.what()));
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

void JournalWriter::Report(const QString &failure)
{
    if (failure.isEmpty()) {
        m_reported = false;
        return;
    }
    if (std::exchange(m_reported, true))
        return;
    // Queued to this object, so the signal comes from the thread that created the writer; a writer
    // destroyed before then takes the queued call with it.
    QMetaObject::invokeMethod(
        this, [this, failure] { emit Failed(failure); }, Qt::QueuedConnection);
}
