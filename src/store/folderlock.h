#pragma once

#include <QLockFile>
#include <QString>

// Makes this program the only one that reads and writes a folder's month files while it runs: two
// programs on one folder would each save over the other's entries. The lock is a hidden file in
// the folder, removed when the lock is destroyed; one left by a program that ended without
// removing it (killed, crashed, a power cut) is taken over.
class FolderLock
{
public:
    // Throws StoreError, in words for the user, when another running program holds the folder or
    // the lock cannot be made there.
    explicit FolderLock(const QString &directory);

    static QString FileName();

private:
    bool TakeOverUnwritten();

    QLockFile m_lock;
};
