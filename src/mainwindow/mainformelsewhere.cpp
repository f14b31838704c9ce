#include "mainwindow/mainform.h"

#include "base/storeerror.h"
#include "base/words.h"
#include "store/conflictcopy.h"
#include "store/diarymonth.h"
#include "store/folderlock.h"
#include "store/folderwatcher.h"
#include "store/journalcontent.h"
#include "store/journalsnapshot.h"
#include "store/monthfile.h"

#include <QApplication>

// How the main window follows what other programs (sync tools, editors, the same diary on another
// computer) do to the diary's folder while it runs. It never writes a month file: work not yet
// saved is merged at the save points.

namespace {

// A notice that named every copy could grow past the screen, its button out of reach.
constexpr int NamedCopies = 5;

}

void MainForm::CreateWatcher()
{
    m_watcher = new FolderWatcher(m_folder.Path(), this);
    connect(m_watcher, &FolderWatcher::Settled, this, [this] { Guard([this] { FollowFolder(); }); });
}

void MainForm::FollowFolder()
{
    // Behind a question or a notice the window stays as the user is answering about it.
    if (QApplication::activeModalWidget()) {
        m_watcher->Later();
        return;
    }
    for (const QString &failure : FolderLock::RemoveConflictCopies(m_folder.Path()))
        qWarning("Noterra: a sync tool's copy of the lock cannot be removed: %s", qPrintable(failure));
    m_watcher->WatchMonth(MonthFile::FilePath(m_folder.Path(), strYear, strMonth));
    FollowChangesElsewhere();
    // After the month was read again: a copy of this side's version is compared with what came instead.
    ReportConflictCopies();
}

void MainForm::FollowChangesElsewhere()
{
    // Work not yet saved, also text typed and not yet written back, is merged at the save point;
    // nothing reloads under the user's hands.
    if (!m_month->IsLoaded() || HasUnsavedWork())
        return;
    try {
        if (!m_month->Reload(m_folder, strYear, strMonth))
            return;
    } catch (const StoreError &) {
        // The save point tells the user why the file cannot be read; told at every change, each
        // closed message would bring the next.
        return;
    }
    ListDay();
}

void MainForm::ReportConflictCopies()
{
    const QStringList copies = MonthFile::ConflictCopies(m_folder.Path());
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
    Tell(MessageKind::Action,
        QStringLiteral("日記のフォルダーに%1があります。中身を確かめ、要る記事をこの日記に書き写してから、"
                       "削除してください。\n\n%2")
            .arg(Words::SyncCopy, lines.join(u'\n')));
}

QString MainForm::DescribeConflictCopy(const QString &name) const
{
    const ConflictCopy::Loaded loaded { strYear, strMonth, m_month->IsLoaded() ? m_month->Bytes() : QByteArray() };
    try {
        const std::vector<int> days = ConflictCopy::DaysMissing(m_folder.Path(), name, loaded);
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
