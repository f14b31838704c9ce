#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

// Writes one journal on a worker thread of its own, so that typing never waits for the disk.
// Only the newest state matters: a post replaces one that has not started yet. It never reads a
// journal and never touches a month file.
class JournalWriter : public QObject
{
    Q_OBJECT

public:
    explicit JournalWriter(QString path, QObject *parent = nullptr);
    // Flushes, then ends the worker.
    ~JournalWriter() override;
    JournalWriter(const JournalWriter &) = delete;
    JournalWriter &operator=(const JournalWriter &) = delete;

    // Hands the bytes over and returns at once.
    void Post(QByteArray bytes);
    // Deletes the journal once whatever was posted before has been dealt with.
    void Remove();
    // Blocks until everything posted so far is on disk (or removed); false when the last of it
    // failed. Not for a signal handler: it waits on a mutex.
    bool Flush();

signals:
    // Once per run of failures, queued to the thread that created the writer; the reason is in
    // Japanese for the user. A success rearms it.
    void Failed(const QString &reason);

private:
    struct Operation
    {
        std::uint64_t number = 0;
        bool remove = false;
        QByteArray bytes;
    };

    void Hand(Operation operation);
    void Run();
    void Report(const QString &failure);

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_finished;
    std::optional<Operation> m_pending;
    std::uint64_t m_handed = 0;
    std::uint64_t m_done = 0;
    bool m_lastSucceeded = true;
    bool m_stopping = false;
    bool m_reported = false; // the worker's alone
    std::thread m_worker;
};
