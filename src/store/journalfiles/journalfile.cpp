#include "store/journalfiles/journalfile.h"

#include "store/durablewrite/durablefile.h"
#include "store/durablewrite/keptfilename.h"
#include "store/journalfiles/journalformat.h"
#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace JournalFile {

namespace {

// A journal holds a month twice (as held and as loaded) and a month file is at most 256 MB;
// anything larger is no journal, and reading it whole could take all memory.
constexpr qint64 LargestJournal = qint64(600) * 1024 * 1024;

[[noreturn]] void Fail(const QString &path, const QString &reason)
{
    // The journal's own name says nothing to the user; its folder is where to look for room or rights.
    throw StoreError(
        QStringLiteral("フォルダー「%1」: %2").arg(QDir::toNativeSeparators(QFileInfo(path).path()), reason));
}

[[noreturn]] void Fail(const QString &path, int errorNumber)
{
    Fail(path, SystemReason::Of(errorNumber));
}

QString SymbolicLinkReason()
{
    return QStringLiteral("このフォルダーはほかの場所を指すシンボリックリンクで、ほかのアカウントと分け合う"
                          "場所かもしれないため、使いません。");
}

// Missing folders on the way are made 0700, as the user's state folders should be; the journal's
// own folder is narrowed to 0700 even when something else made it wider. A link in its place is
// never followed: narrowing its target could close a folder that others share.
void MakePrivateFolder(const QString &path, const QByteArray &folder)
{
    for (qsizetype slash = folder.indexOf('/', 1); slash >= 0; slash = folder.indexOf('/', slash + 1)) {
        if (mkdir(folder.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            Fail(path, errno);
    }
    if (mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        Fail(path, errno);
    const int fd = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info
    {
    };
    if (fd < 0 && lstat(folder.constData(), &info) == 0 && S_ISLNK(info.st_mode))
        throw StoreError(QStringLiteral("フォルダー「%1」: %2")
                             .arg(QDir::toNativeSeparators(QFile::decodeName(folder)), SymbolicLinkReason()));
    if (fd < 0)
        Fail(path, errno);
    const int error = fstat(fd, &info) != 0 ? errno : (info.st_mode & 077) != 0 && fchmod(fd, 0700) != 0 ? errno : 0;
    close(fd);
    if (error != 0)
        Fail(path, error);
}

Found KeepAside(const QString &path, const QString &reason)
{
    const QString aside = KeptFileName::MoveAside(path, path, QStringLiteral(".damaged-"));
    if (aside.isEmpty()) {
        const int error = errno;
        throw StoreError(Words::WithDetail(QStringLiteral("前回の%1を読み込めず、別の名前にして残すこともできないため、"
                                                          "そのままにしてあります。フォルダー「%2」に書き込めるか"
                                                          "確かめてください。")
                                               .arg(Words::Journal, QDir::toNativeSeparators(QFileInfo(path).path())),
            reason + SystemReason::Of(error)));
    }
    return Found { std::nullopt, aside, reason };
}

QString HomeFolder()
{
    QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    // Started without HOME (a service, a cleared environment): the account's own entry says.
    std::vector<char> buffer(4096);
    passwd entry {};
    passwd *found = nullptr;
    int error = 0;
    while ((error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (error != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return QString();
    return QFile::decodeName(found->pw_dir);
}

}

QString Folder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (QDir::isAbsolutePath(state))
        return QDir::cleanPath(state) + QStringLiteral("/noterra");
    const QString home = HomeFolder();
    return home.isEmpty() ? QString() : QDir::cleanPath(home) + QStringLiteral("/.local/state/noterra");
}

QString FolderProblem()
{
    const QString folder = Folder();
    const auto unusable = [&folder](const QString &reason) {
        return Words::WithDetail(QStringLiteral("%1をフォルダー「%2」に置けません。直すまでは、プログラムが急に"
                                                "終わると、%3していない内容が失われます。%3はいつもどおりできます。")
                                     .arg(Words::Journal, QDir::toNativeSeparators(folder), Words::Save),
            reason);
    };
    if (folder.isEmpty())
        return unusable(QStringLiteral("ホームフォルダーがわかりません。"));
    const QByteArray name = QFile::encodeName(folder);
    struct stat info
    {
    };
    if (lstat(name.constData(), &info) != 0)
        return errno == ENOENT ? QString() : unusable(SystemReason::Of(errno));
    if (S_ISLNK(info.st_mode))
        return unusable(SymbolicLinkReason());
    if (!S_ISDIR(info.st_mode))
        return unusable(SystemReason::Of(ENOTDIR));
    if (access(name.constData(), R_OK | W_OK | X_OK) != 0)
        return unusable(SystemReason::Of(errno));
    return QString();
}

QString PathFor(const QByteArray &diaryFolderPath)
{
    const QByteArray digest = QCryptographicHash::hash(diaryFolderPath, QCryptographicHash::Sha256).toHex();
    return Folder() + u'/' + QString::fromLatin1(digest) + QStringLiteral(".journal");
}

QString PathFor(const QByteArray &diaryId, const QByteArray &diaryFolderPath)
{
    const QByteArray digest = QCryptographicHash::hash(diaryFolderPath, QCryptographicHash::Sha256).toHex();
    return Folder() + u'/' + QString::fromLatin1(diaryId + '-' + digest) + QStringLiteral(".journal");
}

namespace {

// The journal's bytes, or why they cannot be read; nothing at all when there is no journal.
struct Bytes
{
    bool absent = false;
    QByteArray bytes;
    QString reason;
};

Bytes ReadBytes(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // Without waiting: a named pipe put in its place must not hold the program. A link is not
    // followed: it could lead to another diary's journal.
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return Bytes { true, {}, {} };
        return Bytes { false, {},
            error == ELOOP ? QStringLiteral("%1の場所にシンボリックリンクがあります。").arg(Words::Journal)
                           : SystemReason::Of(error) };
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int error = errno;
        close(fd);
        return Bytes { false, {}, SystemReason::Of(error) };
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0)
        return Bytes { false, {}, SystemReason::Of(errno) };
    if (!S_ISREG(info.st_mode) || info.st_size > LargestJournal)
        return Bytes { false, {},
            QStringLiteral("%1としては大きすぎるか、ふつうのファイルではありません。").arg(Words::Journal) };
    Bytes read { false, file.readAll(), {} };
    if (file.error() != QFileDevice::NoError)
        return Bytes { false, {}, SystemReason::Of(errno) };
    return read;
}

}

Found Read(const QString &path)
{
    const Bytes read = ReadBytes(path);
    if (read.absent)
        return Found();
    if (!read.reason.isEmpty())
        return KeepAside(path, read.reason);
    Found found;
    found.content = JournalFormat::Decode(read.bytes, &found.reason);
    if (!found.content)
        return KeepAside(path, found.reason);
    return found;
}

std::optional<JournalContent> Peek(const QString &path)
{
    const Bytes read = ReadBytes(path);
    QString reason;
    return read.reason.isEmpty() && !read.absent ? JournalFormat::Decode(read.bytes, &reason) : std::nullopt;
}

QStringList All()
{
    const QDir folder(Folder());
    QStringList paths;
    // The newest first: the work of the last run.
    for (const QString &name :
        folder.entryList({ QStringLiteral("*.journal") }, QDir::Files | QDir::System | QDir::Hidden, QDir::Time))
        paths.append(folder.filePath(name));
    return paths;
}

void Write(const QString &path, const QByteArray &bytes)
{
    if (!QDir::isAbsolutePath(path))
        Fail(path, ENOENT);
    const QByteArray target = QFile::encodeName(path);
    MakePrivateFolder(path, DurableFile::FolderOf(target));
    // The folder lock keeps one writer per diary folder, so the journal's own temporary name is enough.
    try {
        DurableFile file = DurableFile::Private(path);
        file.Write(bytes);
        file.Commit();
    } catch (const StoreError &error) {
        Fail(path, error.message());
    }
}

void Remove(const QString &path)
{
    const QByteArray target = QFile::encodeName(path);
    for (const QByteArray &name : { target, target + ".tmp", target + ".told" }) {
        if (unlink(name.constData()) != 0 && errno != ENOENT)
            Fail(path, errno);
    }
    struct stat info
    {
    };
    if (stat(DurableFile::FolderOf(target).constData(), &info) != 0)
        return;
    try {
        DurableFile::SyncFolderOf(target);
    } catch (const StoreError &error) {
        Fail(path, error.message());
    }
}

}
