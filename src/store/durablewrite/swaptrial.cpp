#include "store/durablewrite/swaptrial.h"
#include "store/durablewrite/durablefile.h"
#include "store/durablewrite/savenames.h"

#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace SwapTrial {

namespace {

// An empty file of the trial at a name of the save's own form, which a start after a kill removes.
ino_t MakeEmpty(const QByteArray &name)
{
    const int fd = open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat made
    {
    };
    if (fd < 0 || fstat(fd, &made) != 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        throw StoreError(SystemReason::Of(error));
    }
    close(fd);
    return made.st_ino;
}

ino_t InodeAt(const QByteArray &name)
{
    struct stat info
    {
    };
    return lstat(name.constData(), &info) == 0 ? info.st_ino : 0;
}

bool Try(const QByteArray &target)
{
    const QByteArray one = SaveNames::Temporary(target, SaveNames::NewTag());
    const QByteArray other = SaveNames::Temporary(target, SaveNames::NewTag());
    const ino_t first = MakeEmpty(one);
    ino_t second = 0;
    try {
        second = MakeEmpty(other);
    } catch (const StoreError &) {
        unlink(one.constData());
        throw;
    }
    const bool swapped = renameat2(AT_FDCWD, one.constData(), AT_FDCWD, other.constData(), RENAME_EXCHANGE) == 0
        && InodeAt(one) == second && InodeAt(other) == first;
    unlink(one.constData());
    unlink(other.constData());
    return swapped;
}

}

bool Works(const QByteArray &target)
{
    static std::mutex mutex;
    static std::map<dev_t, bool> known;
    struct stat folder
    {
    };
    if (stat(DurableFile::FolderOf(target).constData(), &folder) != 0)
        throw StoreError(SystemReason::Of(errno));
    const std::lock_guard lock(mutex);
    const auto found = known.find(folder.st_dev);
    if (found != known.end())
        return found->second;
    return known[folder.st_dev] = Try(target);
}

}
