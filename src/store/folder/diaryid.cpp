#include "store/folder/diaryid.h"

#include "store/durablewrite/durablefile.h"
#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace DiaryId {

namespace {

constexpr qsizetype IdLength = 32;
// Room for an id with a byte order mark, a line break and some blanks; a longer file is no id.
constexpr qsizetype LargestFile = 256;

QByteArray FileOf(const QByteArray &folderPath)
{
    return folderPath + "/.noterra.id";
}

bool IsId(const QByteArray &text)
{
    return text.size() == IdLength && std::all_of(text.cbegin(), text.cend(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

QString IdNotWritten()
{
    return QStringLiteral(
        "日記のフォルダーに、この日記を見分けるための小さなファイル「.noterra.id」を書けませんでした。");
}

[[noreturn]] void Fail(int errorNumber)
{
    throw StoreError(Words::WithDetail(IdNotWritten(), SystemReason::Of(errorNumber)));
}

QByteArray NewId()
{
    quint64 parts[2];
    QRandomGenerator::system()->fillRange(parts);
    return QByteArray(reinterpret_cast<const char *>(parts), sizeof parts).toHex();
}

QByteArray ReadFile(const QByteArray &file)
{
    // Without following a link or waiting on a named pipe: the id must be the folder's own file.
    const int fd = open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info
    {
    };
    char bytes[LargestFile + 1] = {};
    const ssize_t got = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? read(fd, bytes, sizeof bytes) : -1;
    close(fd);
    if (got <= 0 || got > LargestFile)
        return {};
    QByteArray text(bytes, got);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text = text.trimmed().toLower();
    return IsId(text) ? text : QByteArray();
}

// Written in one go and synced with its folder, so that the id survives a power cut once it is used.
// False when a file of that name is there already. Throws StoreError.
bool WriteNew(const QByteArray &folderPath, const QByteArray &id)
{
    const QByteArray file = FileOf(folderPath);
    const int fd = open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST)
        return false;
    if (fd < 0)
        Fail(errno);
    try {
        DurableFile::WriteAll(fd, id + '\n');
        if (fsync(fd) != 0)
            throw StoreError(SystemReason::Of(errno));
        close(fd);
    } catch (const StoreError &error) {
        // Made by this call a moment ago and holding no id yet: the one file it may take away.
        close(fd);
        unlink(file.constData());
        throw StoreError(Words::WithDetail(IdNotWritten(), error.message()));
    }
    try {
        DurableFile::SyncFolderOf(file);
    } catch (const StoreError &error) {
        throw StoreError(Words::WithDetail(IdNotWritten(), error.message()));
    }
    return true;
}

bool IsCopyName(const QString &name)
{
    static const QRegularExpression copy(
        QStringLiteral("^\\.noterra(\\.sync-conflict-[^/]+| \\([^/)]*conflicted copy[^/)]*\\)|_conflict-[^/]+)\\.id$"));
    return name.startsWith(QStringLiteral(".noterra")) && name.endsWith(QStringLiteral(".id"))
        && copy.match(name).hasMatch();
}

}

QByteArray Read(const QByteArray &folderPath)
{
    return ReadFile(FileOf(folderPath));
}

QByteArrayList Copies(const QByteArray &folderPath)
{
    QByteArrayList ids;
    for (QDirIterator entry(QFile::decodeName(folderPath), QDir::Files | QDir::Hidden | QDir::System);
         entry.hasNext();) {
        const QString path = entry.next();
        if (!IsCopyName(entry.fileName()))
            continue;
        if (const QByteArray id = ReadFile(QFile::encodeName(path)); !id.isEmpty() && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

QByteArray Make(const QByteArray &folderPath)
{
    if (QByteArray id = Read(folderPath); !id.isEmpty())
        return id;
    QByteArray id = NewId();
    if (WriteNew(folderPath, id))
        return id;
    // Another program's id written meanwhile is taken; whatever else stands there stays as it is.
    if (QByteArray other = Read(folderPath); !other.isEmpty())
        return other;
    Fail(EEXIST);
}

}
