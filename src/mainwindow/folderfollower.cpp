#include "mainwindow/folderfollower.h"

#include "base/storeerror.h"
#include "base/words.h"
#include "mainwindow/dayview.h"
#include "mainwindow/windownotices.h"
#include "store/conflictcopy.h"
#include "store/diarymonth.h"
#include "store/folderlock.h"
#include "store/folderwatcher.h"
#include "store/monthfile.h"

#include <QApplication>
#include <QFileInfo>

namespace {

// A notice that named every copy could grow past the screen, its button out of reach.
constexpr int NamedCopies = 5;

}

FolderFollower::FolderFollower(DiaryMonth &month, DayView &dayView, WindowNotices &notices, QObject *parent)
    : QObject(parent)
    , m_month(month)
    , m_dayView(dayView)
    , m_notices(notices)
    , m_watcher(new FolderWatcher(month.Folder().Path(), this))
{
    connect(m_watcher, &FolderWatcher::Settled, this, [this] { m_notices.Guard([this] { FollowFolder(); }); });
    connect(&m_month, &DiaryMonth::Loaded, this, [this] { m_watcher->WatchMonth(m_month.FilePath()); });
    // A version that waited for the user to leave the open entry is taken once the day changes.
    connect(&m_dayView, &DayView::DayShown, m_watcher, &FolderWatcher::Later);
}

void FolderFollower::FollowFolder()
{
    // Behind a question or a notice the window stays as the user is answering about it.
    if (QApplication::activeModalWidget()) {
        m_watcher->Later();
        return;
    }
    for (const QString &failure : FolderLock::RemoveConflictCopies(m_month.Folder().Path()))
        qWarning("Noterra: a sync tool's copy of the lock cannot be removed: %s", qPrintable(failure));
    m_watcher->WatchMonth(m_month.FilePath());
    FollowChangesElsewhere();
    // After the month was read again: a copy of this side's version is compared with what came instead.
    ReportConflictCopies();
}

void FolderFollower::FollowChangesElsewhere()
{
    // Work not yet saved, also text typed and not yet written back, is merged at the save point;
    // nothing reloads under the user's hands.
    if (!m_month.IsLoaded() || m_month.HasUnsavedWork(m_dayView.Shown()))
        return;
    std::optional<FollowedVersion> followed;
    try {
        followed = m_month.Reload(m_dayView.Shown());
    } catch (const StoreError &error) {
        // Told once: at every change the same message would come again as soon as it was closed.
        if (std::exchange(m_toldFailure, error.message()) != error.message())
            m_notices.TellUnasked(MessageKind::Action,
                Words::WithDetail(QStringLiteral("ほかのプログラムが変えた「%1」を表示できません。この画面の内容は"
                                                 "そのままです。原因を取り除くと、新しい内容を表示します。")
                                      .arg(MonthFile::FileName(m_month.Year(), m_month.Month())),
                    error.message()));
        return;
    }
    m_toldFailure.clear();
    if (!followed)
        return;
    m_dayView.ShowFollowed(followed->openEntry);
    if (!followed->daysGone.empty())
        ReportGoneText(*followed);
}

void FolderFollower::ReportGoneText(const FollowedVersion &followed)
{
    // This notice names the copy; it is not named again as one that appeared.
    m_namedCopies.append(QFileInfo(followed.holder).fileName());
    QStringList days;
    for (const int day : followed.daysGone)
        days.append(QStringLiteral("%1日").arg(day));
    m_notices.TellUnasked(MessageKind::Action,
        QStringLiteral("ほかのコンピューターかプログラムが「%1」を書き換え、%2月%3の記事は新しい内容になりました。"
                       "それまでこの画面にあった内容は「%4」に残っています。見比べて、要る記事をこの日記に"
                       "書き写してください。")
            .arg(MonthFile::FileName(m_month.Year(), m_month.Month()), m_month.Month(), days.join(QStringLiteral("、")),
                QFileInfo(followed.holder).fileName()));
}

void FolderFollower::ReportConflictCopies()
{
    const QStringList copies = MonthFile::ConflictCopies(m_month.Folder().Path());
    QStringList fresh;
    for (const QString &copy : copies) {
        if (!m_namedCopies.contains(copy))
            fresh.append(copy);
    }
    m_namedCopies = copies;
    if (fresh.isEmpty())
        return;
    QStringList lines;
    for (const QString &copy : fresh.first(std::min<qsizetype>(fresh.size(), NamedCopies)))
        lines.append(DescribeConflictCopy(copy));
    if (fresh.size() > NamedCopies)
        lines.append(QStringLiteral("ほか%1個").arg(fresh.size() - NamedCopies));
    m_notices.TellUnasked(MessageKind::Action,
        QStringLiteral("日記のフォルダーに%1があります。中身を確かめ、要る記事をこの日記に書き写してから、"
                       "削除してください。\n\n%2")
            .arg(Words::SyncCopy, lines.join(u'\n')));
}

QString FolderFollower::DescribeConflictCopy(const QString &name) const
{
    const ConflictCopy::Loaded loaded { m_month.Year(), m_month.Month(),
        m_month.IsLoaded() ? m_month.Bytes() : QByteArray() };
    try {
        const std::vector<int> days = ConflictCopy::DaysMissing(m_month.Folder().Path(), name, loaded);
        if (days.empty())
            return QStringLiteral("「%1」: この日記にない記事はありません").arg(name);
        QStringList texts;
        for (const int day : days)
            texts.append(QStringLiteral("%1日").arg(day));
        return QStringLiteral("「%1」: この日記にない記事がある日 %2").arg(name, texts.join(QStringLiteral("、")));
    } catch (const StoreError &error) {
        return QStringLiteral("「%1」: %2").arg(name, QString(error.message()).replace(u'\n', u' '));
    }
}

void FolderFollower::RemoveLeftovers()
{
    const QStringList failures = MonthFile::RemoveLeftovers(m_month.Folder().Path());
    if (!failures.isEmpty())
        m_notices.Tell(MessageKind::Notice,
            Words::WithDetail(QStringLiteral("途中で終わった%1の一時ファイルを片づけられませんでした。"
                                             "日記には差し支えないので、手で削除してかまいません。")
                                  .arg(Words::Save),
                failures.join(u' ')));
}
