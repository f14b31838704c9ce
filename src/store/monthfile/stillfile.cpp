#include "store/monthfile/stillfile.h"

#include "store/folder/folderwatcher.h"
#include "store/monthfile/monthfile.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>

#include <tuple>

namespace StillFile {

namespace {

// A sync tool or an editor is done with a month within this; one that goes on is no longer a writer
// to wait for but something to tell the user of.
constexpr int LongestWaitMilliseconds = 10000;
constexpr int LookEveryMilliseconds = 50;

// What changes while a file is written: its size, its times, and the file itself when renamed over.
using Look = std::tuple<bool, dev_t, ino_t, off_t, long, long, long, long>;

Look LookAt(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return { true, status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec,
        status.st_ctim.tv_sec, status.st_ctim.tv_nsec };
}

void WaitUntilStill(const QString &path)
{
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer still;
    still.start();
    Look last = LookAt(path);
    while (still.elapsed() < FolderWatcher::QuietMilliseconds) {
        if (waited.elapsed() > LongestWaitMilliseconds)
            throw StoreError(QStringLiteral("ほかのプログラムが「%1」を書き続けています。同期ソフトなどの動きが"
                                            "止まってから、もう一度この月を開いてください。")
                                 .arg(QFileInfo(path).fileName()));
        QThread::msleep(LookEveryMilliseconds);
        if (const Look now = LookAt(path); now != last) {
            last = now;
            still.restart();
        }
    }
}

}

MonthFile::ReadResult Read(XmlDocument &doc, const QString &path)
{
    MonthFile::OnDisk now;
    try {
        now = MonthFile::Peek(path);
    } catch (const StoreError &) {
        // Something that is no month file, or a file the system cannot read: the read says which.
        return MonthFile::Read(doc, path);
    }
    if (now.exists && doc.loadXml(now.bytes, nullptr)) {
        MonthFile::ReadResult loaded;
        loaded.status = MonthFile::ReadResult::Status::Loaded;
        loaded.bytes = now.bytes;
        return loaded;
    }
    if (now.exists)
        WaitUntilStill(path);
    return MonthFile::Read(doc, path);
}

}
