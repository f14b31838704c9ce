#include "store/durablewrite/keptfilename.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace KeptFileName {

QString NameFor(const QString &path, const QString &kind)
{
    const QString base = path + kind + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++number)
        candidate = base + u'-' + QString::number(number);
    return candidate;
}

QString MoveAside(const QString &file, const QString &path, const QString &kind)
{
    const QByteArray from = QFile::encodeName(file);
    for (;;) {
        QString aside = NameFor(path, kind);
        const QByteArray to = QFile::encodeName(aside);
        if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return aside;
        // A name taken since it was chosen: the next one. A file system that does not know the flag
        // gets the name just found free.
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return {};
        return std::rename(from.constData(), to.constData()) == 0 ? aside : QString();
    }
}

bool Replace(const QString &file, const QString &kept)
{
    const QByteArray from = QFile::encodeName(file), to = QFile::encodeName(kept);
    if (std::rename(from.constData(), to.constData()) == 0)
        return true;
    if (errno != EEXIST || (unlink(to.constData()) != 0 && errno != ENOENT))
        return false;
    return std::rename(from.constData(), to.constData()) == 0;
}

}
