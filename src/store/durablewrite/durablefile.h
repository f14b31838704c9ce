#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include <sys/stat.h>

// Replaces one file so that at every moment it holds either all of its old bytes or all of the new
// ones, and the new ones survive a power cut once Commit returns: they go to a temporary file
// beside it, which is synced, and only then swapped with it in one step, and the folder is synced
// after that. The swap hands over the file it replaced, so that a version another program put
// there at the last moment is seen and kept instead of being lost. A file system without the swap
// (FAT, exFAT, NTFS through FUSE) gets the same by moving the old file aside first and creating the
// new one at the freed name only if nothing took it; the name is empty for those moments, and a
// kill then is put right at the next start (SaveLeftovers). The replaced file's mode carries over,
// and so do its owner and group where the process may set them; a new file is private to its owner.
// When the bytes change, the replaced file stays as <name>.bak (one generation) where it can; the
// previous version is a convenience, and what stands in its way never stops the save.
// Throws StoreError with the reason in Japanese; on any failure the old file stays as it was.
// The one durable write of every file that must survive a crash: month files and the journal.
class DurableFile
{
public:
    // Creates the temporary file. A symbolic link at path is followed: the file it names is replaced.
    explicit DurableFile(const QString &path);
    // A file of this program's own that no other program writes (the journal): a link at path is
    // not followed but replaced, the file is always private to its owner, no .bak is kept, and a
    // plain rename replaces whatever stands at path. Its temporary file has the one name
    // <name>.tmp, so that writes cut off leave no pile of them.
    static DurableFile Private(const QString &path);
    // Removes the temporary file unless it was committed.
    ~DurableFile();
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    // Writes all of bytes and waits until the disk holds them.
    void Write(const QByteArray &bytes);
    // Reads the temporary file back; throws unless it holds exactly the bytes written.
    void VerifyWritten() const;
    // Writes all of bytes to fd, in as many writes as the system takes. Throws StoreError.
    static void WriteAll(int fd, const QByteArray &bytes);
    // Whether the file behind fd holds exactly bytes; read in pieces, so that no second copy of a big
    // month is made. Throws StoreError when the file cannot be read.
    static bool HoldsExactly(int fd, const QByteArray &bytes);
    // The folder that holds path, in the system's bytes.
    static QByteArray FolderOf(const QByteArray &path);
    // Syncs the folder that holds path, so that a rename or removal in it survives a power cut.
    // Throws StoreError.
    static void SyncFolderOf(const QByteArray &path);

    enum class Committed
    {
        Replaced,
        // What stood at the path was not what the caller expected; it stays, and the new file goes.
        Refused,
        // The new file replaced what the caller did not expect, which waits at Stranded(). Without the
        // swap, also: another program's version took the path while the old file was set aside; it
        // stays, and the old file waits at Stranded().
        ReplacedOther
    };
    // isExpected judges what the new file replaces: the open file, or -1 when there is none.
    Committed Commit(const std::function<bool(int fd)> &isExpected = {});
    // After Commit: why the replaced file could not stay as <name>.bak, in words for the user;
    // empty when it did or when nothing was replaced.
    QString BackupSkipped() const { return m_backupSkipped; }
    // After ReplacedOther: where the file that the new one replaced waits, under a name that the
    // start's clean-up never removes; the caller must keep it.
    QString Stranded() const;

private:
    enum class Kind
    {
        Shared,
        Private
    };
    DurableFile(const QString &path, Kind kind);
    void CreatePrivateTemporary();
    void TakeOverOwnerAndMode(int fd) const;
    Committed CommitNew(const std::function<bool(int)> &isExpected);
    Committed AfterExchange(const std::function<bool(int)> &isExpected);
    Committed CommitBySettingAside(const std::function<bool(int)> &isExpected);
    bool WriteAtFreeName();
    bool Judge(const QByteArray &name, const std::function<bool(int)> &isExpected, bool *sameBytes) const;
    void KeepAsBackup(const QByteArray &old, bool sameBytes);
    Committed Done();
    Committed DoneWithoutTemporary();

    Kind m_kind = Kind::Shared;
    QByteArray m_target;
    QByteArray m_tag;
    QByteArray m_temporary;
    QByteArray m_stranded;
    QByteArray m_written;
    QString m_backupSkipped;
    struct stat m_old
    {
    };
    bool m_hasOld = false;
    int m_fd = -1;
};
