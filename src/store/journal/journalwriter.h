#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Writes one journal on a worker thread of its own, so that typing never waits for the disk: the
// bytes are made there as well. Only the newest state matters: a post replaces one that has not
// started yet. It never reads a journal and never touches a month file.
class JournalWriter : public QObject
{
    Q_OBJECT

public:
    // path is asked on the worker, before each write or removal.
    explicit JournalWriter(std::function<QString()> path, QObject *parent = nullptr);
    explicit JournalWriter(const QString &path, QObject *parent = nullptr);
    // Flushes, then ends the worker.
    ~JournalWriter() override;
    JournalWriter(const JournalWriter &) = delete;
    JournalWriter &operator=(const JournalWriter &) = delete;

    // Hands the bytes over and returns at once.
    void Post(QByteArray bytes);
    // Hands over what makes the bytes, run on the worker; a StoreError it throws is a failure.
    void Post(std::function<QByteArray()> makeBytes);
    // Deletes the journal once whatever was posted before has been dealt with.
    void Remove();
    // The journal at path, brought back from elsewhere, is deleted once the next write or removal
    // of this one has succeeded: the work is then in this journal or saved.
    void Retire(const QString &path);
    // The user has been told already why the journal cannot be written; the failures until the next
    // success are not told again.
    void FailureTold() { m_told = true; }
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
        std::function<QByteArray()> bytes;
    };

    void Hand(Operation operation);
    void Run();
    void Carry(const Operation &operation);
    void Report(const QString &failure);

    const std::function<QString()> m_path;
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_finished;
    std::optional<Operation> m_pending;
    QString m_retired;
    std::uint64_t m_handed = 0;
    std::uint64_t m_done = 0;
    bool m_lastSucceeded = true;
    bool m_stopping = false;
    bool m_reported = false; // the worker's alone
    std::atomic<bool> m_told = false;
    std::thread m_worker;
};
