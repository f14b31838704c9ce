#pragma once

#include "store/folder/runtimelock.h"
#include "usermessages/storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class DiaryFolder;

// Makes this program the only one that reads and writes a folder's month files while it runs: two
// programs on one folder would each save over the other's entries, and share one journal. This
// computer's programs are kept apart by a lock outside the folder, named for the folder itself, so
// that nothing a sync tool does to the folder can free it. The hidden file in the folder is a sign
// for the other computers that share it that the diary is open here, and for a program of this
// computer that runs with another runtime folder; it goes when the lock is destroyed, but only
// while it is still the one this program wrote. A folder that cannot take it (read-only, full)
// opens without it.
class FolderLock
{
public:
    // Another program of this computer has the diary open: news for the user, not a failure.
    class AlreadyOpen : public StoreError
    {
    public:
        using StoreError::StoreError;
    };

    // Throws StoreError, in words for the user, when another running program on this computer holds
    // the folder or the lock cannot be made.
    explicit FolderLock(const DiaryFolder &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // What the user is to be told once the window shows: the other computer whose lock was found.
    // Empty when there is nothing to tell.
    QString Notice() const { return m_notice; }

    static QString FileName();
    // Removes the copies that sync tools make of the lock file (".noterra.sync-conflict-….lock",
    // ".noterra (… conflicted copy ….).lock"), which hold nothing of the user's; only names that
    // can be nothing else are touched. Returns what could not be removed, with the reason.
    static QStringList RemoveConflictCopies(const QString &directory);

private:
    void WriteSign(const DiaryFolder &folder);

    RuntimeLock m_runtime;
    QString m_path;
    QByteArray m_sign;
    QString m_notice;
};
