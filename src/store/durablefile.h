#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include <sys/stat.h>

// Replaces one file so that at every moment it holds either all of its old bytes or all of the new
// ones, and the new ones survive a power cut once Commit returns: they go to a temporary file
// beside it, which is synced, and only then renamed over it, and the folder is synced after that.
// The replaced file's mode carries over, and so do its owner and group where the process may set
// them; a new file is private to its owner. When the bytes change, the replaced file stays as
// <name>.bak (one generation) where it can; the previous version is a convenience, and what stands
// in its way never stops the save. Throws StoreError with the reason in Japanese; on any failure
// the old file stays as it was.
class DurableFile
{
public:
    // Creates the temporary file. A symbolic link at path is followed: the file it names is replaced.
    explicit DurableFile(const QString &path);
    // Removes the temporary file unless it was committed.
    ~DurableFile();
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    // Writes all of bytes and waits until the disk holds them.
    void Write(const QByteArray &bytes);
    // Reads the temporary file back; throws unless it holds exactly the bytes written.
    void VerifyWritten() const;
    // stillExpected runs just before the new file replaces the old one; it throws to leave the old
    // file in place, say when another program has changed it meanwhile.
    void Commit(const std::function<void()> &stillExpected = {});
    // After Commit: why the replaced file could not stay as <name>.bak, in words for the user;
    // empty when it did or when nothing was replaced.
    QString BackupSkipped() const { return m_backupSkipped; }

private:
    void TakeOverOwnerAndMode();
    bool OldBytesDiffer() const;
    void KeepOldAsBackup();
    void SyncDirectory() const;

    QByteArray m_target;
    QByteArray m_temporary;
    QByteArray m_written;
    QString m_backupSkipped;
    struct stat m_old
    {
    };
    bool m_hasOld = false;
    int m_fd = -1;
};
