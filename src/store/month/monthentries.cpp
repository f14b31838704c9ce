#include "store/month/monthentries.h"

#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/xml/xmldom.h"
#include "usermessages/systemreason.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

namespace MonthEntries {

namespace {

// The size above which the program refuses to load a month; a search does not read more either.
constexpr qint64 LargestMonthFile = qint64(256) * 1024 * 1024;

FileStamp StampFrom(const struct stat &status)
{
    FileStamp stamp;
    stamp.device = qint64(status.st_dev);
    stamp.inode = qint64(status.st_ino);
    stamp.size = qint64(status.st_size);
    stamp.modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.changed = qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
    return stamp;
}

MonthRead Unreadable(const QString &reason)
{
    MonthRead read;
    read.status = MonthRead::Status::Unreadable;
    read.reason = reason;
    return read;
}

QString Refusal(const struct stat &status)
{
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("ふつうのファイルではありません。");
    if (status.st_size > LargestMonthFile)
        return QStringLiteral("月のファイルとしては大きすぎます。");
    return {};
}

MonthRead ReadOpen(int descriptor)
{
    struct stat status;
    if (::fstat(descriptor, &status) != 0)
        return Unreadable(SystemReason::Of(errno));
    if (const QString refusal = Refusal(status); !refusal.isEmpty())
        return Unreadable(refusal);
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return Unreadable(SystemReason::Of(errno));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Unreadable(SystemReason::Of(errno));
    XmlDocument doc;
    QString reason;
    if (!doc.loadXml(bytes, &reason))
        return Unreadable(reason);
    MonthRead read;
    read.status = MonthRead::Status::Read;
    read.stamp = StampFrom(status);
    read.entries = Of(doc);
    return read;
}

}

std::vector<MonthRow> Of(const XmlDocument &doc)
{
    std::vector<MonthRow> rows;
    std::set<int> seen;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        const std::optional<int> day = MonthRules::ArticleDay(article);
        if (!day || !seen.insert(*day).second)
            continue;
        int position = 0;
        for (const XmlNode &entry : article.childNodes())
            rows.push_back({ article.getAttribute(DiaryNames::Date), day, position++, entry.text() });
    }
    return rows;
}

MonthRead Read(const QString &path)
{
    // Without waiting: a named pipe with a month's name must not hold the search.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT ? MonthRead() : Unreadable(SystemReason::Of(errno));
    MonthRead read = ReadOpen(descriptor);
    ::close(descriptor);
    return read;
}

bool StampOf(const QString &path, FileStamp &stamp)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    stamp = StampFrom(status);
    return true;
}

}
