#include "store/folderlock.h"

#include "base/storeerror.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

// Seconds after which a lock that names no holder was left by a program that ended while making it.
constexpr qint64 UnwrittenLockAge = 10;

}

FolderLock::FolderLock(const QString &directory)
    : m_lock(directory + u'/' + FileName())
{
    // A diary stays open for hours: the lock's age says nothing. Only a holder that no longer runs
    // (or a machine started anew since) makes the lock stale.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0) || TakeOverUnwritten())
        return;
    if (m_lock.error() == QLockFile::LockFailedError) {
        qint64 holder = 0;
        m_lock.getLockInfo(&holder, nullptr, nullptr);
        throw StoreError(QStringLiteral("この日記は、ほかに起動しているプログラムですでに開いています。"
                                        "同じ日記を二つで開くと書いた内容が失われるため、こちらは何もせずに終了します。"
                                        "開いている方をお使いください。\n"
                                        "ほかに開いているものがないのにこの知らせが出るときは、"
                                        "フォルダーの「%1」を消してから起動し直してください。\n（プロセス番号 %2）")
                             .arg(FileName())
                             .arg(holder));
    }
    // QLockFile keeps no system error text; the path tells the user where to look.
    throw StoreError(QStringLiteral("日記のフォルダーに「%1」を作れないため、日記を開けません。"
                                    "どのファイルにも手を付けずに終了します。"
                                    "フォルダーに書き込めるか確かめてから、起動し直してください。\n（%2）")
                         .arg(FileName(), QDir::toNativeSeparators(m_lock.fileName())));
}

bool FolderLock::TakeOverUnwritten()
{
    // A power cut soon after a start can leave the lock empty, naming no holder to ask about. A
    // holder that runs still keeps the file locked, which removing a stale lock respects.
    if (m_lock.error() != QLockFile::LockFailedError || m_lock.getLockInfo(nullptr, nullptr, nullptr))
        return false;
    const qint64 age = QFileInfo(m_lock.fileName()).lastModified().secsTo(QDateTime::currentDateTime());
    return qAbs(age) > UnwrittenLockAge && m_lock.removeStaleLockFile() && m_lock.tryLock(0);
}

QString FolderLock::FileName()
{
    return QStringLiteral(".noterra.lock");
}
