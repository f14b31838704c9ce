#include "store/diaryid.h"

#include "base/storeerror.h"
#include "base/systemreason.h"
#include "base/words.h"
#include "store/durablefile.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace DiaryId {

namespace {

constexpr qsizetype IdLength = 32;

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

// A file that holds no id is what a crash left before its id was synced. Only a regular file is
// taken away.
bool RemoveCutOff(const QByteArray &folderPath)
{
    struct stat info
    {
    };
    const QByteArray file = FileOf(folderPath);
    return lstat(file.constData(), &info) == 0 && S_ISREG(info.st_mode) && Read(folderPath).isEmpty()
        && unlink(file.constData()) == 0;
}

}

QByteArray Read(const QByteArray &folderPath)
{
    // Without following a link or waiting on a named pipe: the id must be the folder's own file.
    const int fd = open(FileOf(folderPath).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info
    {
    };
    char bytes[IdLength + 2] = {};
    const ssize_t got = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? read(fd, bytes, sizeof bytes) : -1;
    close(fd);
    const QByteArray text = got > 0 ? QByteArray(bytes, got).trimmed() : QByteArray();
    return IsId(text) ? text : QByteArray();
}

QByteArray Make(const QByteArray &folderPath)
{
    for (int attempt = 0;; ++attempt) {
        if (const QByteArray id = Read(folderPath); !id.isEmpty())
            return id;
        const QByteArray id = NewId();
        if (WriteNew(folderPath, id))
            return id;
        if (attempt > 0 || !RemoveCutOff(folderPath))
            Fail(EEXIST);
    }
}

}
