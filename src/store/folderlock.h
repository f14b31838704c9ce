#pragma once

#include <QLockFile>
#include <QString>

class DiaryFolder;

// Makes this program the only one that reads and writes a folder's month files while it runs: two
// programs on one folder would each save over the other's entries. The lock is a hidden file in
// the folder, removed when the lock is destroyed; one left by a program that ended without
// removing it (killed, crashed, a power cut) is taken over. So is one that a sync tool brought from
// another computer: that program cannot be asked whether it still runs, and a diary kept in sync
// would otherwise stay closed here until the user deleted the lock by hand.
class FolderLock
{
public:
    // Throws StoreError, in words for the user, when another running program on this computer holds
    // the folder or the lock cannot be made there.
    explicit FolderLock(const DiaryFolder &folder);

    // What the user is to be told once the window shows: the other computer whose lock was taken
    // over. Empty when there is nothing to tell.
    QString Notice() const { return m_notice; }

    static QString FileName();

private:
    bool TakeOverUnwritten();
    bool TakeOverFromAnotherComputer();

    QLockFile m_lock;
    QString m_notice;
};
