#include "mainwindow/folderfollower.h"

#include "mainwindow/dayview.h"
#include "mainwindow/windownotices.h"
#include "store/folder/folderlock.h"
#include "store/folder/folderwatcher.h"
#include "store/month/diarymonth.h"
#include "store/month/synccopymerge.h"
#include "store/monthfile/conflictcopy.h"
#include "store/monthfile/monthfile.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QApplication>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// A notice that named every copy could grow past the screen, its button out of reach.
constexpr int NamedCopies = 5;

// A line for each of the first copies, then how many more there are.
QString FirstFew(const QStringList &names, const std::function<QString(const QString &)> &line)
{
    QStringList lines;
    for (const QString &name : names.first(std::min<qsizetype>(names.size(), NamedCopies)))
        lines.append(line(name));
    if (names.size() > NamedCopies)
        lines.append(QStringLiteral("ほか%1個").arg(names.size() - NamedCopies));
    return lines.join(u'\n');
}

// What another computer's save kept beside a month, rather than a sync tool.
bool IsOtherVersionKept(const QString &name)
{
    return name.contains(QStringLiteral(".xml.conflict-"));
}

// The copies named so far and those this program's own save just kept beside the month: the save
// has named them itself.
QStringList WithCopiesOfSave(QStringList named, const QString &directory, const QString &monthFile)
{
    for (const QString &copy : MonthFile::ConflictCopies(directory)) {
        if (copy.startsWith(monthFile + QStringLiteral(".conflict-")) && !named.contains(copy))
            named.append(copy);
    }
    return named;
}

}

FolderFollower::FolderFollower(DiaryMonth &month, DayView &dayView, WindowNotices &notices)
    : m_month(month)
    , m_dayView(dayView)
    , m_notices(notices)
    , m_watcher(new FolderWatcher(month.Folder().Path(), this))
{
    connect(m_watcher, &FolderWatcher::Settled, this, [this] { m_notices.Guard([this] { FollowFolder(); }); });
    connect(&m_month, &DiaryMonth::Loaded, this, [this] { m_watcher->WatchMonth(m_month.FilePath()); });
    connect(&m_month, &DiaryMonth::Saved, this, [this] {
        m_namedCopies
            = WithCopiesOfSave(m_namedCopies, m_month.Folder().Path(), QFileInfo(m_month.FilePath()).fileName());
    });
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
    if (!m_month.IsLoaded() || m_month.HasUnsavedWork())
        return;
    std::optional<FollowedVersion> followed;
    try {
        followed = m_month.Reload();
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
    // A copy this window just kept of its own text is named here, not again as another computer's.
    const QString holder = QFileInfo(followed.holder).fileName();
    if (!m_namedCopies.contains(holder))
        m_namedCopies.append(holder);
    QStringList days;
    for (const int day : followed.daysGone)
        days.append(QStringLiteral("%1日").arg(day));
    m_notices.TellUnasked(MessageKind::Action,
        QStringLiteral("ほかのコンピューターかプログラムが「%1」を書き換え、%2月%3の記事は新しい内容になりました。"
                       "それまでこの画面にあった内容は「%4」に残っています。見比べて、要る記事をこの日記に"
                       "書き写してください。")
            .arg(MonthFile::FileName(m_month.Year(), m_month.Month()), m_month.Month(), days.join(QStringLiteral("、")),
                holder));
}

void FolderFollower::ReportConflictCopies()
{
    const QString folder = m_month.Folder().Path();
    const QStringList copies = MonthFile::ConflictCopies(folder);
    const QStringList merged = SyncCopyMerge::MergedCopies(folder);
    const auto freshOf = [this](const QStringList &names) {
        QStringList fresh;
        std::copy_if(names.cbegin(), names.cend(), std::back_inserter(fresh),
            [this](const QString &name) { return !m_namedCopies.contains(name); });
        return fresh;
    };
    const QStringList fresh = freshOf(copies);
    const QStringList freshMerged = freshOf(merged);
    m_namedCopies = copies + merged;
    if (!freshMerged.isEmpty())
        m_notices.TellUnasked(MessageKind::Notice,
            QStringLiteral("%1の記事を、この日記の月に入れました。コピーは名前の終わりに「.merged」を付けて"
                           "残してあります。要らなければ削除してください。\n\n%2")
                .arg(Words::SyncCopy, FirstFew(freshMerged, [](const QString &name) { return u'「' + name + u'」'; })));
    if (fresh.isEmpty())
        return;
    const bool kept = std::any_of(fresh.cbegin(), fresh.cend(), IsOtherVersionKept);
    const bool synced = !std::all_of(fresh.cbegin(), fresh.cend(), IsOtherVersionKept);
    // The other computer's save kept this one's version beside the month: its user hears it here.
    const QString what = kept && synced ? Words::SyncCopy + QStringLiteral("と") + Words::ConflictCopy
        : kept                          ? Words::ConflictCopy
                                        : Words::SyncCopy;
    m_notices.TellUnasked(MessageKind::Action,
        QStringLiteral("日記のフォルダーに%1があります。中身を確かめ、要る記事をこの日記に書き写してから、"
                       "削除してください。\n\n%2")
            .arg(what, FirstFew(fresh, [this](const QString &name) { return DescribeConflictCopy(name); })));
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
        m_notices.Tell(MessageKind::Action,
            QStringLiteral(
                "途中で終わった%1が残したファイルを片づけられませんでした。それぞれ次のとおりにしてください。\n%2")
                .arg(Words::Save, failures.join(u'\n')));
}
