#include "store/folderlock.h"

#include "base/storeerror.h"
#include "store/diaryfolder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>

namespace {

// Seconds after which a lock that names no holder was left by a program that ended while making it.
constexpr qint64 UnwrittenLockAge = 10;

}

FolderLock::FolderLock(const DiaryFolder &folder)
    : m_lock(folder.Path() + u'/' + FileName())
{
    // A diary stays open for hours: the lock's age says nothing. Only a holder that no longer runs
    // (or a machine started anew since) makes the lock stale.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(0) || TakeOverUnwritten() || TakeOverFromAnotherComputer())
        return;
    if (m_lock.error() == QLockFile::LockFailedError) {
        qint64 holder = 0;
        m_lock.getLockInfo(&holder, nullptr, nullptr);
        const QString process = holder > 0 ? QStringLiteral("\n（プロセス番号 %1）").arg(holder) : QString();
        throw StoreError(QStringLiteral("フォルダー「%1」の日記は、ほかに起動しているプログラムですでに開いています。"
                                        "同じ日記を二つで開くと書いた内容が失われるため、こちらは何もせずに終了します。"
                                        "開いている方をお使いください。\n"
                                        "ほかに開いているものがないのにこの知らせが出るときは、"
                                        "そのフォルダーの「%2」を消してから起動し直してください。%3")
                             .arg(folder.ShownName(), FileName(), process));
    }
    // QLockFile keeps no system error text; the folder tells the user where to look.
    throw StoreError(QStringLiteral("日記のフォルダー「%1」に「%2」を作れないため、日記を開けません。"
                                    "どのファイルにも手を付けずに終了します。"
                                    "フォルダーに書き込めるか確かめてから、起動し直してください。")
                         .arg(folder.ShownName(), FileName()));
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

bool FolderLock::TakeOverFromAnotherComputer()
{
    QString host;
    if (m_lock.error() != QLockFile::LockFailedError || !m_lock.getLockInfo(nullptr, &host, nullptr) || host.isEmpty()
        || host == QSysInfo::machineHostName())
        return false;
    // A program of this computer that holds the file locked keeps it, whatever host name it wrote.
    if (!m_lock.removeStaleLockFile() || !m_lock.tryLock(0))
        return false;
    m_notice = QStringLiteral("この日記は、別のコンピューター「%1」でも開いているかもしれません。"
                              "そのコンピューターで起動したプログラムの「%2」が、日記のフォルダーにありました"
                              "（フォルダーを同期しているときに起こります）。\n"
                              "両方で書いても、保存するときに日ごとに合わせるので、どちらの内容も失われません。"
                              "同じ日を両方で書いたときは、もう一方の版を別のファイルに残してお知らせします。")
                   .arg(host, FileName());
    return true;
}

QString FolderLock::FileName()
{
    return QStringLiteral(".noterra.lock");
}
