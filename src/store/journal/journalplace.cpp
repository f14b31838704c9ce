#include "store/journal/journalplace.h"

#include "store/durablewrite/keptfilename.h"
#include "store/folder/diaryid.h"
#include "store/journal/journalmark.h"
#include "store/journalfiles/journalfile.h"
#include "store/monthfile/monthfile.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <utility>

namespace {

// The folder's device and inode, with its birth where the file system keeps it: an inode number is
// given again to a folder made after another was deleted, which must not take up that one's work.
QByteArray BornIdentity(const DiaryFolder &folder)
{
    struct statx info
    {
    };
    QByteArray identity = folder.Identity().toLatin1();
    if (statx(AT_FDCWD, QFile::encodeName(folder.Path()).constData(), 0, STATX_BTIME, &info) != 0
        || (info.stx_mask & STATX_BTIME) == 0)
        return identity;
    return identity + '-' + QByteArray::number(quint64(info.stx_btime.tv_sec), 16) + '-'
        + QByteArray::number(info.stx_btime.tv_nsec, 16);
}

}

JournalPlace::JournalPlace(DiaryFolder folder, AlreadySaved alreadySaved)
    : m_folder(std::move(folder))
    , m_alreadySaved(std::move(alreadySaved))
    , m_identity(BornIdentity(m_folder))
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
    const QByteArray folder = QFile::encodeName(m_folder.Path());
    const Here here { DiaryId::Read(folder), DiaryId::Copies(folder) };
    // This folder's journals, whose last write before an end may have failed.
    QStringList tied { JournalFile::PathFor(FolderPath()) };
    if (!here.id.isEmpty())
        tied.append(JournalFile::PathFor(here.id, FolderPath()));
    for (const QString &path : JournalFile::All()) {
        std::optional<JournalContent> work = Open(path, here, found);
        const Tie tie = work ? TieOf(path, *work, here) : Tie::None;
        if (tie == Tie::None)
            continue;
        // A save that was done, cut off before its journal went: the work is in the month already.
        if (tie == Tie::Ours && m_alreadySaved(*work, m_folder)) {
            JournalFile::Remove(path);
        } else if (tie == Tie::Ours && !found.content) {
            tied.append(path);
            Take(path, std::move(*work), found);
        } else {
            Name(path, tie, *work, found);
        }
    }
    TellUnfinished(tied, found);
    return found;
}

std::optional<JournalContent> JournalPlace::Open(const QString &path, const Here &here, Found &found) const
{
    // Another diary's journal that cannot be read is left to that diary, which keeps it aside itself.
    if (!NamedHere(path, here))
        return JournalFile::Peek(path);
    JournalFile::Found read = JournalFile::Read(path);
    if (!read.keptAsidePath.isEmpty())
        found.notices.append(
            Words::WithDetail(QStringLiteral("前回の%1が壊れていたため、そのとき%2していなかった内容は"
                                             "元に戻せませんでした。壊れた%1は「%3」として残してあります。")
                                  .arg(Words::Journal, Words::Save, read.keptAsidePath),
                read.reason));
    return std::move(read.content);
}

bool JournalPlace::NamedHere(const QString &path, const Here &here) const
{
    if (path == JournalFile::PathFor(FolderPath()))
        return true;
    const QString name = QFileInfo(path).fileName();
    for (const QByteArray &id : here.copies + QByteArrayList { here.id }) {
        if (!id.isEmpty() && name.startsWith(QString::fromLatin1(id + '-')))
            return true;
    }
    return false;
}

JournalPlace::Tie JournalPlace::TieOf(const QString &path, const JournalContent &work, const Here &here) const
{
    const bool samePath
        = work.folderPath.isEmpty() ? path == JournalFile::PathFor(FolderPath()) : work.folderPath == FolderPath();
    const bool sameInode = !work.folderIdentity.isEmpty() && work.folderIdentity == FolderIdentity();
    const bool sameId = !work.diaryId.isEmpty() && (work.diaryId == here.id || here.copies.contains(work.diaryId));
    if (samePath && (sameId || sameInode))
        return Tie::Ours;
    // From another folder only when that folder no longer holds this diary, so that two copies of
    // the diary open at the same time each keep their own.
    if (sameId
        && (sameInode || DiaryId::Read(work.folderPath) != work.diaryId
            || DiaryFolder::IdentityOf(work.folderPath) == m_folder.Identity()))
        return Tie::Ours;
    if (sameId)
        return Tie::Copy;
    // The folder moved with its id lost, or with none it could take.
    if (sameInode && (work.diaryId.isEmpty() || here.id.isEmpty()))
        return Tie::Ours;
    // Named by the path alone, it may be the work of another diary that once stood at this path.
    if (samePath && work.diaryId.isEmpty() && work.folderIdentity.isEmpty() && ProvablyHere(work))
        return Tie::Ours;
    return samePath || sameInode ? Tie::Unsure : Tie::None;
}

void JournalPlace::Take(const QString &path, JournalContent work, Found &found) const
{
    found.path = path;
    if (!work.folderPath.isEmpty() && work.folderPath != FolderPath())
        found.writtenFor = Written(work);
    found.content = std::move(work);
}

void JournalPlace::Name(const QString &path, Tie tie, const JournalContent &work, Found &found) const
{
    if (tie == Tie::Ours) {
        found.notices.append(QStringLiteral("この日記の%1がもう一つ見つかりました。新しいほうを元に戻し、"
                                            "フォルダー「%2」で書いた古いほうは使わずに「%3」として残しました。")
                                 .arg(Words::Journal, Written(work), SetAside(path)));
    } else if (tie == Tie::Unsure && work.diaryId.isEmpty() && work.folderIdentity.isEmpty()) {
        found.notices.append(QStringLiteral("フォルダー「%1」で書いた%2が見つかりましたが、この日記のものだと"
                                            "確かめられないため、使わずに「%3」として残しました。")
                                 .arg(Written(work), Words::Journal, SetAside(path)));
    } else if (JournalMark::FirstTold(path)) {
        // It may be the work of the diary that now stands elsewhere, which brings it back there.
        found.notices.append(
            (tie == Tie::Copy ? QStringLiteral("この日記のコピーがフォルダー「%1」にあり、その%2が「%3」に"
                                               "残っています。そのフォルダーの日記を開くと元に戻ります。")
                              : QStringLiteral("フォルダー「%1」で書いた%2が見つかりましたが、この日記のものだと"
                                               "確かめられないため、使わずに「%3」に残してあります。"))
                .arg(Written(work), Words::Journal, QDir::toNativeSeparators(path)));
    }
}

QString JournalPlace::Written(const JournalContent &work) const
{
    return QDir::toNativeSeparators(
        work.folderPath.isEmpty() ? m_folder.ShownName() : QFile::decodeName(work.folderPath));
}

bool JournalPlace::ProvablyHere(const JournalContent &work) const
{
    // Only a month file still exactly as the journal started from it shows that it is this one's.
    return work.baseExists
        && MonthFile::Holds(
            MonthFile::FilePath(m_folder.Path(), work.year, work.month), MonthFile::OnDisk { true, work.baseBytes });
}

QString JournalPlace::SetAside(const QString &path) const
{
    const QString aside = KeptFileName::MoveAside(path, path, QStringLiteral(".unmatched-"));
    if (aside.isEmpty())
        throw StoreError(QStringLiteral("以前のプログラムが残した%1「%2」を、別の名前にできませんでした。"
                                        "そのまま残っています。")
                             .arg(Words::Journal, QDir::toNativeSeparators(path)));
    return QDir::toNativeSeparators(aside);
}

void JournalPlace::TellUnfinished(const QStringList &paths, Found &found) const
{
    bool unfinished = false;
    for (const QString &path : paths)
        unfinished = JournalMark::Take(path) || unfinished;
    if (unfinished)
        found.notices.append(QStringLiteral("前回プログラムが終わるとき、最後の%1を書けませんでした。そのとき"
                                            "%2していなかった内容のうち、終わる直前に書いたものは元に戻って"
                                            "いないかもしれません。")
                                 .arg(Words::Journal, Words::Save));
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
        // The journal records the folder's path, device and inode, which find it again.
        m_id.clear();
    }
}
