#include "store/journalplace.h"

#include "base/storeerror.h"
#include "base/words.h"
#include "store/diaryid.h"
#include "store/diarymonth.h"
#include "store/journalfile.h"
#include "store/keptaside.h"
#include "store/monthfile.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <utility>

namespace {

bool SameFolder(const QByteArray &path, const QString &openFolder)
{
    struct stat there
    {
    };
    struct stat here
    {
    };
    return stat(path.constData(), &there) == 0 && stat(QFile::encodeName(openFolder).constData(), &here) == 0
        && there.st_dev == here.st_dev && there.st_ino == here.st_ino;
}

}

JournalPlace::JournalPlace(DiaryFolder folder)
    : m_folder(std::move(folder))
{
}

JournalPlace::Found JournalPlace::Find()
{
    Found found;
    if (const QString problem = JournalFile::FolderProblem(); !problem.isEmpty()) {
        found.notices.append(problem);
        found.folderUnusable = true;
        return found;
    }
    const QByteArray id = DiaryId::Read(QFile::encodeName(m_folder.Path()));
    QStringList candidates;
    if (!id.isEmpty()) {
        const QString own = JournalFile::PathFor(id, FolderPath());
        candidates.append(own);
        // The newest first: the work of the last run of this diary elsewhere.
        const QDir folder(JournalFile::Folder());
        for (const QString &name : folder.entryList(
                 { QString::fromLatin1(id + "-*.journal") }, QDir::Files | QDir::System | QDir::Hidden, QDir::Time)) {
            if (folder.filePath(name) != own)
                candidates.append(folder.filePath(name));
        }
    }
    candidates.append(JournalFile::PathFor(FolderPath()));
    for (const QString &path : candidates) {
        JournalFile::Found read = JournalFile::Read(path);
        if (!read.keptAsidePath.isEmpty())
            found.notices.append(
                Words::WithDetail(QStringLiteral("前回の%1が壊れていたため、そのとき%2していなかった内容は"
                                                 "元に戻せませんでした。壊れた%1は「%3」として残してあります。")
                                      .arg(Words::Journal, Words::Save, read.keptAsidePath),
                    read.reason));
        if (!read.content)
            continue;
        if (path == JournalFile::PathFor(FolderPath()) && !ProvablyHere(*read.content)) {
            found.notices.append(QStringLiteral("以前の%1が見つかりましたが、この日記のものだと確かめられないため、"
                                                "使わずに「%2」として残しました。")
                                     .arg(Words::Journal, SetAside(path)));
            continue;
        }
        if (path != JournalFile::PathFor(FolderPath()) && !OursToTake(path, *read.content, id))
            continue;
        // A save that was done, cut off before its journal went: the work is in the month already.
        if (DiaryMonth::AlreadySaved(*read.content, m_folder)) {
            JournalFile::Remove(path);
            continue;
        }
        found.content = std::move(read.content);
        found.path = path;
        return found;
    }
    return found;
}

bool JournalPlace::ProvablyHere(const JournalContent &work) const
{
    // Named by the path alone, it may be the work of another diary that once stood at this path:
    // only a month file still exactly as the journal started from it shows that it is this one's.
    return work.diaryId.isEmpty() && work.baseExists
        && MonthFile::Holds(
            MonthFile::FilePath(m_folder.Path(), work.year, work.month), MonthFile::OnDisk { true, work.baseBytes });
}

bool JournalPlace::OursToTake(const QString &path, const JournalContent &work, const QByteArray &id) const
{
    // From another folder only when that folder no longer holds this diary, so that two copies of
    // the diary open at the same time each keep their own.
    return work.diaryId == id
        && (path == JournalFile::PathFor(id, FolderPath()) || DiaryId::Read(work.folderPath) != id
            || SameFolder(work.folderPath, m_folder.Path()));
}

QString JournalPlace::SetAside(const QString &path) const
{
    const QString aside = KeptAside::NameFor(path, QStringLiteral(".unmatched-"));
    if (!QFile::rename(path, aside))
        throw StoreError(QStringLiteral("以前のプログラムが残した%1「%2」を、別の名前にできませんでした。"
                                        "そのまま残っています。")
                             .arg(Words::Journal, QDir::toNativeSeparators(path)));
    return QDir::toNativeSeparators(aside);
}

QString JournalPlace::Path()
{
    const std::lock_guard lock(m_mutex);
    Decide();
    return m_id.isEmpty() ? JournalFile::PathFor(FolderPath()) : JournalFile::PathFor(m_id, FolderPath());
}

QByteArray JournalPlace::Id()
{
    const std::lock_guard lock(m_mutex);
    Decide();
    return m_id;
}

void JournalPlace::Decide()
{
    if (std::exchange(m_decided, true))
        return;
    try {
        m_id = DiaryId::Make(QFile::encodeName(m_folder.Path()));
    } catch (const StoreError &) {
        // A folder that cannot take the id (read-only) keeps its journal by its path, as before.
        m_id.clear();
    }
}
