#include "store/journal/journalmark.h"

#include "store/durablewrite/durablefile.h"
#include "store/folder/runtimelock.h"
#include "usermessages/storeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace JournalMark {

namespace {

QStringList Places(const QString &journalPath)
{
    QStringList places { journalPath + QStringLiteral(".unfinished") };
    try {
        places.append(RuntimeLock::Folder() + u'/' + QFileInfo(journalPath).fileName() + QStringLiteral(".unfinished"));
    } catch (const StoreError &) {
        // Without a runtime folder of the user's own, the journal's folder is the only place.
    }
    return places;
}

}

void Leave(const QString &journalPath)
{
    for (const QString &place : Places(journalPath)) {
        const int fd = open(QFile::encodeName(place).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        close(fd);
        try {
            DurableFile::SyncFolderOf(QFile::encodeName(place));
        } catch (const StoreError &) {
            // Made all the same: only a power cut now could take it away.
        }
        return;
    }
    qWarning("Noterra: the last journal write failed, and no sign of it could be left for the next start");
}

bool FirstTold(const QString &journalPath)
{
    const int fd = open(QFile::encodeName(journalPath + QStringLiteral(".told")).constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        close(fd);
    return fd >= 0 || errno != EEXIST;
}

bool Take(const QString &journalPath)
{
    bool left = false;
    for (const QString &place : Places(journalPath))
        left = unlink(QFile::encodeName(place).constData()) == 0 || left;
    return left;
}

}
