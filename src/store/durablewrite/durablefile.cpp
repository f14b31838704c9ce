#include "store/durablewrite/durablefile.h"
#include "store/durablewrite/keptfilename.h"
#include "store/durablewrite/savenames.h"
#include "store/durablewrite/swaptrial.h"

#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

namespace {

[[noreturn]] void Fail(int errorNumber)
{
    throw StoreError(SystemReason::Of(errorNumber));
}

// Tries tags until create makes a name of the form nameFor gives that did not exist; false, with
// errno set, when create fails for another reason.
bool CreateBeside(QByteArray *tag, QByteArray *name, const std::function<QByteArray(const QByteArray &)> &nameFor,
    const std::function<bool(const QByteArray &)> &create)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tag = SaveNames::NewTag();
        *name = nameFor(*tag);
        if (create(*name))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The system's words for a file system that cannot do what a flag of renameat2 asks.
bool Unsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

QByteArray ResolvedLink(const QByteArray &path)
{
    struct stat link
    {
    };
    if (lstat(path.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char *resolved = realpath(path.constData(), nullptr);
    if (resolved == nullptr)
        Fail(errno);
    QByteArray target(resolved);
    std::free(resolved);
    return target;
}

}

DurableFile::DurableFile(const QString &path)
    : DurableFile(path, Kind::Shared)
{
}

DurableFile DurableFile::Private(const QString &path)
{
    return DurableFile(path, Kind::Private);
}

DurableFile::DurableFile(const QString &path, Kind kind)
    : m_kind(kind)
    , m_target(kind == Kind::Private ? QFile::encodeName(path) : ResolvedLink(QFile::encodeName(path)))
{
    if (m_kind == Kind::Private) {
        CreatePrivateTemporary();
        return;
    }
    if (stat(m_target.constData(), &m_old) == 0) {
        m_hasOld = true;
        if (S_ISDIR(m_old.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(m_old.st_mode))
            throw StoreError(QStringLiteral("月のファイルの場所にあるのは、ふつうのファイルではありません。"));
        // A month file the user made read-only stays as it is, unless the user is root.
        if (faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0)
            Fail(errno);
    } else if (errno != ENOENT) {
        Fail(errno);
    }
    // Private until it holds the new bytes, so that another account cannot open it on the way; a
    // new month keeps that mode, and a replaced one's is given only once the bytes are written.
    const bool created = CreateBeside(
        &m_tag, &m_temporary, [this](const QByteArray &tag) { return SaveNames::Temporary(m_target, tag); },
        [this](const QByteArray &name) {
            m_fd = open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            return m_fd >= 0;
        });
    if (!created) {
        m_temporary.clear();
        Fail(errno);
    }
}

void DurableFile::CreatePrivateTemporary()
{
    // Whatever stands at the temporary name is removed and the file made anew, so that nothing
    // there (a named pipe, a link) can hold the program or lead elsewhere.
    const QByteArray temporary = m_target + ".tmp";
    if (unlink(temporary.constData()) != 0 && errno != ENOENT)
        Fail(errno);
    m_fd = open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0)
        Fail(errno);
    m_temporary = temporary;
}

DurableFile::~DurableFile()
{
    if (m_fd >= 0)
        close(m_fd);
    if (!m_temporary.isEmpty())
        unlink(m_temporary.constData());
}

void DurableFile::Write(const QByteArray &bytes)
{
    // A private file is its owner's alone, whatever the umask.
    if (m_kind == Kind::Private && fchmod(m_fd, 0600) != 0)
        Fail(errno);
    WriteAll(m_fd, bytes);
    if (m_hasOld)
        TakeOverOwnerAndMode(m_fd);
    if (fsync(m_fd) != 0)
        Fail(errno);
    m_written = bytes;
}

void DurableFile::WriteAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            Fail(written < 0 ? errno : EIO);
        data += written;
        left -= written;
    }
}

bool DurableFile::HoldsExactly(int fd, const QByteArray &bytes)
{
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0)
        Fail(errno);
    if (info.st_size != bytes.size())
        return false;
    char piece[65536];
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t got = pread(fd, piece, sizeof piece, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(errno);
        if (got == 0 || std::memcmp(piece, bytes.constData() + done, size_t(got)) != 0)
            return false;
        done += got;
    }
    return true;
}

void DurableFile::VerifyWritten() const
{
    // Read through a descriptor of its own: a FAT driver through FUSE answers zeros to the one that
    // wrote until it is closed.
    const int fd = open(m_temporary.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        Fail(errno);
    bool same = false;
    try {
        same = HoldsExactly(fd, m_written);
    } catch (const StoreError &) {
        close(fd);
        throw;
    }
    close(fd);
    if (!same)
        throw StoreError(QStringLiteral("書き込んだ内容をディスクから読み返すと違っていました。"));
}

DurableFile::Committed DurableFile::Commit(const std::function<bool(int)> &isExpected)
{
    struct stat made
    {
    };
    if (m_kind == Kind::Shared && fstat(m_fd, &made) != 0)
        Fail(errno);
    if (close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        Fail(errno);
    if (m_kind == Kind::Private) {
        if (rename(m_temporary.constData(), m_target.constData()) != 0)
            Fail(errno);
        return Done();
    }
    // The swap leaves what stood at the path under the temporary name; a name that records the new
    // file's inode tells the next start's clean-up that a file of another inode there is not ours.
    const QByteArray marked = SaveNames::Marked(m_target, m_tag, made.st_ino);
    if (rename(m_temporary.constData(), marked.constData()) != 0)
        Fail(errno);
    m_temporary = marked;
    // A check before a plain rename would leave a gap in which another program's version could be
    // renamed over the path and then replaced unseen; the swap hands that version over instead.
    if (!SwapTrial::Works(m_target))
        return CommitBySettingAside(isExpected);
    if (renameat2(AT_FDCWD, m_temporary.constData(), AT_FDCWD, m_target.constData(), RENAME_EXCHANGE) == 0)
        return AfterExchange(isExpected);
    const int error = errno;
    if (error == ENOENT)
        return CommitNew(isExpected);
    if (Unsupported(error))
        return CommitBySettingAside(isExpected);
    Fail(error);
}

QString DurableFile::Stranded() const
{
    return QFile::decodeName(m_stranded);
}

DurableFile::Committed DurableFile::CommitNew(const std::function<bool(int)> &isExpected)
{
    if (isExpected && !isExpected(-1))
        return Committed::Refused;
    // The new file takes the name only if nothing has taken it since.
    if (renameat2(AT_FDCWD, m_temporary.constData(), AT_FDCWD, m_target.constData(), RENAME_NOREPLACE) == 0)
        return Done();
    const int error = errno;
    if (error == EEXIST && isExpected)
        return Committed::Refused;
    if (Unsupported(error) && WriteAtFreeName())
        return DoneWithoutTemporary();
    if (Unsupported(error) && isExpected)
        return Committed::Refused;
    if (error != EEXIST && !Unsupported(error))
        Fail(error);
    if (rename(m_temporary.constData(), m_target.constData()) != 0)
        Fail(errno);
    return Done();
}

DurableFile::Committed DurableFile::AfterExchange(const std::function<bool(int)> &isExpected)
{
    // The temporary name now holds what stood at the path.
    bool sameBytes = false;
    if (Judge(m_temporary, isExpected, &sameBytes)) {
        KeepAsBackup(m_temporary, sameBytes);
        return Done();
    }
    // Not putting another program's version back: a reader may already have seen the new file and
    // built on it. That version stays whole for the caller to keep and merge.
    m_stranded = std::exchange(m_temporary, {});
    return Committed::ReplacedOther;
}

DurableFile::Committed DurableFile::CommitBySettingAside(const std::function<bool(int)> &isExpected)
{
    // Without the swap (a FAT or exFAT memory stick, NTFS), the file at the path moves to a name of
    // this save's own, and the new bytes go at once into a file created at the freed name only if
    // nothing took it, which every file system tells in one step; the old file is judged only then,
    // as after the swap, so that the path stands empty for the shortest time. A cut-off save leaves
    // names that the next start reads by their tag.
    const QByteArray aside = SaveNames::SetAside(m_target, m_tag);
    if (rename(m_target.constData(), aside.constData()) != 0) {
        if (errno == ENOENT)
            return CommitNew(isExpected);
        Fail(errno);
    }
    bool written = false;
    try {
        written = WriteAtFreeName();
    } catch (const StoreError &) {
        struct stat taken
        {
        };
        if (lstat(m_target.constData(), &taken) != 0)
            rename(aside.constData(), m_target.constData());
        throw;
    }
    bool sameBytes = false;
    if (written && Judge(aside, isExpected, &sameBytes)) {
        KeepAsBackup(aside, sameBytes);
        return DoneWithoutTemporary();
    }
    // As after the swap, the version set aside waits for the caller to keep and merge. Also when
    // another program's version took the path meanwhile: made while the path stood empty, it may lack
    // what the one set aside holds.
    m_stranded = aside;
    DoneWithoutTemporary();
    return Committed::ReplacedOther;
}

bool DurableFile::WriteAtFreeName()
{
    const int fd = open(m_target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST)
        return false;
    if (fd < 0)
        Fail(errno);
    try {
        // The bytes first: a reader that opens the new file finds it empty only for that one call.
        WriteAll(fd, m_written);
        if (m_hasOld)
            TakeOverOwnerAndMode(fd);
        if (fsync(fd) != 0)
            Fail(errno);
    } catch (const StoreError &) {
        // Only the file made here is removed, never one another program renamed over it since.
        struct stat made
        {
        }, named {};
        if (fstat(fd, &made) == 0 && lstat(m_target.constData(), &named) == 0 && made.st_ino == named.st_ino
            && made.st_dev == named.st_dev)
            unlink(m_target.constData());
        close(fd);
        throw;
    }
    if (close(fd) != 0 && errno != EINTR)
        Fail(errno);
    return true;
}

bool DurableFile::Judge(const QByteArray &name, const std::function<bool(int)> &isExpected, bool *sameBytes) const
{
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    bool expected = false;
    try {
        expected = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (!isExpected || isExpected(fd));
        *sameBytes = HoldsExactly(fd, m_written);
    } catch (const StoreError &) {
        // A file that cannot be read is not the one expected: it stays whole for the caller to keep.
        expected = false;
        *sameBytes = false;
    }
    close(fd);
    return expected;
}

void DurableFile::KeepAsBackup(const QByteArray &old, bool sameBytes)
{
    // Unchanged bytes leave the .bak of the version before. The rename replaces the previous .bak in
    // one step, so a .bak is always a whole file.
    if (!sameBytes && KeptFileName::Replace(QFile::decodeName(old), QFile::decodeName(m_target + ".bak")))
        return;
    if (!sameBytes)
        m_backupSkipped = SystemReason::Of(errno);
    unlink(old.constData());
}

void DurableFile::TakeOverOwnerAndMode(int fd) const
{
    // Only root may give a file away; anyone else keeps the file as their own. A FAT stick through
    // FUSE keeps neither owners nor modes and says so with ENOSYS: its files are all alike.
    if (fchown(fd, m_old.st_uid, m_old.st_gid) != 0 && errno != EPERM && !Unsupported(errno))
        Fail(errno);
    if (fchmod(fd, m_old.st_mode & 07777) != 0 && !Unsupported(errno))
        Fail(errno);
}

DurableFile::Committed DurableFile::Done()
{
    m_temporary.clear();
    SyncFolderOf(m_target);
    return Committed::Replaced;
}

DurableFile::Committed DurableFile::DoneWithoutTemporary()
{
    // Removed only now: until the path holds the new bytes and the replaced file has its name, the
    // temporary file tells the next start how far a cut-off save came.
    unlink(m_temporary.constData());
    return Done();
}

QByteArray DurableFile::FolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

void DurableFile::SyncFolderOf(const QByteArray &path)
{
    const int directory = open(FolderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        Fail(errno);
    const int synced = fsync(directory);
    const int error = errno;
    close(directory);
    // Some file systems cannot sync a folder and say so with EINVAL; there is nothing more to do.
    if (synced != 0 && error != EINVAL)
        Fail(error);
}
