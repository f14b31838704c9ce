#include "store/journalfile.h"

#include "base/storeerror.h"
#include "base/systemreason.h"
#include "store/journalformat.h"
#include "store/writeall.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace JournalFile {

namespace {

// A journal holds a month twice (as held and as loaded) and a month file is at most 256 MB;
// anything larger is no journal, and reading it whole could take all memory.
constexpr qint64 LargestJournal = qint64(600) * 1024 * 1024;

[[noreturn]] void Fail(const QString &path, int errorNumber)
{
    throw StoreError(QStringLiteral("作業中の内容の復元用の記録「%1」を更新できませんでした。"
                                    "月のファイルへの保存はこれまでどおり行われます。"
                                    "ディスクの空きと書き込み権限を確かめてください。\n%2")
                         .arg(QDir::toNativeSeparators(path), SystemReason::Of(errorNumber)));
}

QByteArray DirectoryOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Missing folders on the way are made 0700, as the user's state folders should be; the journal's
// own folder is narrowed to 0700 even when something else made it wider.
void MakePrivateFolder(const QString &path, const QByteArray &folder)
{
    for (qsizetype slash = folder.indexOf('/', 1); slash >= 0; slash = folder.indexOf('/', slash + 1)) {
        if (mkdir(folder.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            Fail(path, errno);
    }
    if (mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        Fail(path, errno);
    struct stat info
    {
    };
    if (stat(folder.constData(), &info) != 0)
        Fail(path, errno);
    if (!S_ISDIR(info.st_mode))
        Fail(path, ENOTDIR);
    if ((info.st_mode & 077) != 0 && chmod(folder.constData(), 0700) != 0)
        Fail(path, errno);
}

void SyncFolder(const QString &path, const QByteArray &folder)
{
    const int fd = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail(path, errno);
    const int synced = fsync(fd);
    const int error = errno;
    close(fd);
    // Some file systems cannot sync a folder and say so with EINVAL; there is nothing more to do.
    if (synced != 0 && error != EINVAL)
        Fail(path, error);
}

// A name beside the journal that says what the file is and is not taken yet.
QString KeptAsideName(const QString &path)
{
    const QString base
        = path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++number)
        candidate = base + u'-' + QString::number(number);
    return candidate;
}

Found KeepAside(const QString &path, const QString &reason)
{
    QFile file(path);
    const QString aside = KeptAsideName(path);
    if (!file.rename(aside))
        throw StoreError(
            QStringLiteral("復元用の記録「%1」を読み込めず、別の名前にして残すこともできませんでした。"
                           "記録はそのまま残っています。フォルダーに書き込めるか確かめてください。\n%2\n（%3）")
                .arg(QDir::toNativeSeparators(path), reason, file.errorString()));
    return Found { std::nullopt, aside, reason };
}

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}

QString Folder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/noterra");
}

QString PathFor(const QByteArray &diaryFolderPath)
{
    const QByteArray digest = QCryptographicHash::hash(diaryFolderPath, QCryptographicHash::Sha256).toHex();
    return Folder() + u'/' + QString::fromLatin1(digest) + QStringLiteral(".journal");
}

Found Read(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // Without waiting: a named pipe put in its place must not hold the program.
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT && !QFileInfo(path).isSymLink())
            return Found();
        return KeepAside(path, SystemText(error));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return KeepAside(path, file.errorString());
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0)
        return KeepAside(path, SystemText(errno));
    if (!S_ISREG(info.st_mode) || info.st_size > LargestJournal)
        return KeepAside(path, QStringLiteral("復元用の記録としては大きすぎるか、ふつうのファイルではありません。"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return KeepAside(path, file.errorString());
    file.close();
    Found found;
    found.content = JournalFormat::Decode(bytes, &found.reason);
    if (!found.content)
        return KeepAside(path, found.reason);
    return found;
}

void Write(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = DirectoryOf(target);
    MakePrivateFolder(path, folder);
    // One fixed name: the folder lock keeps one writer per diary folder, and a write that was cut
    // off leaves no pile of temporary files, only this one, which the next write reuses.
    const QByteArray temporary = target + ".tmp";
    const int fd = open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        Fail(path, errno);
    try {
        // A leftover of a cut-off write keeps its mode through O_CREAT; the journal is the user's alone.
        if (fchmod(fd, 0600) != 0)
            Fail(path, errno);
        if (const int error = WriteAll(fd, bytes))
            Fail(path, error);
        if (fsync(fd) != 0)
            Fail(path, errno);
    } catch (...) {
        close(fd);
        unlink(temporary.constData());
        throw;
    }
    if ((close(fd) != 0 && errno != EINTR) || rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        unlink(temporary.constData());
        Fail(path, error);
    }
    SyncFolder(path, folder);
}

void Remove(const QString &path)
{
    const QByteArray target = QFile::encodeName(path);
    for (const QByteArray &name : { target, target + ".tmp" }) {
        if (unlink(name.constData()) != 0 && errno != ENOENT)
            Fail(path, errno);
    }
    struct stat info
    {
    };
    const QByteArray folder = DirectoryOf(target);
    if (stat(folder.constData(), &info) == 0)
        SyncFolder(path, folder);
}

}
