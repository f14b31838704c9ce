#include "store/month/monthsave.h"

#include "store/durablewrite/keptfilename.h"
#include "store/merge/monthmerge.h"
#include "store/month/diarymonthprivate.h"
#include "store/month/synccopymerge.h"
#include "store/monthfile/monthrules.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// A writer that keeps changing the file between our check and our rename gets this many tries.
constexpr int SaveAttempts = 3;

QByteArray ReadKept(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// For a save that failed: the files it kept beside the month, so that the user knows where
// another program's version went.
QString KeptBeside(const SaveOutcome &outcome)
{
    QStringList names;
    for (const QString &path : outcome.keptAsidePaths + outcome.conflictPaths)
        names.append(QFileInfo(path).fileName());
    if (names.isEmpty())
        return {};
    return QStringLiteral(
        "ほかのプログラムが書いた内容は「%1」として残してあります。消さずに、中身を確かめてください。")
        .arg(names.join(QStringLiteral("」「")));
}

}

// One try at saving: what the month's file holds now, and the window's work merged with it. The
// window's own document and changed days stay untouched until a write succeeds, so that a try
// after a refused one merges the newest file with that work again, never with an earlier merge.
struct MonthSave::Attempt
{
    MonthFile::OnDisk now;
    XmlDocument merged;
    bool isMerged = false;
    std::vector<int> conflictDays;
    QString conflictPath;
    // The kept version this try merged with instead of the month's file; see Displaced.
    QString mergedFrom;
};

// A version that a try's new file replaced unseen until that moment: kept whole at path, it is
// what the next try merges with while the month still holds the bytes that try wrote.
struct MonthSave::Displaced
{
    QString path;
    QByteArray written;
};

namespace {

// The days in which a version kept whole during the save, and not merged, differs from the month
// as written.
void AddDaysOfKept(
    const QStringList &kept, const QString &mergedFrom, const XmlDocument &written, std::vector<int> &days)
{
    for (const QString &path : kept) {
        XmlDocument version;
        if (path != mergedFrom && version.loadXml(ReadKept(path), nullptr)) {
            const std::vector<int> differing = MonthMerge::DifferingDays(version, written);
            days.insert(days.end(), differing.cbegin(), differing.cend());
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
}

}

MonthSave::MonthSave(DiaryMonthPrivate &month)
    : m_month(month)
    , m_path(month.FilePath())
{
}

QStringList MonthSave::TakeInSyncCopies()
{
    std::vector<int> days;
    QStringList copies = SyncCopyMerge::TakeIn(m_month.publicMod.xmlDoc, m_path, days);
    if (!days.empty())
        m_month.unsavedChanges = true;
    m_month.changedDays.insert(days.cbegin(), days.cend());
    return copies;
}

SaveOutcome MonthSave::Run()
{
    // Only a failed load leaves no root; writing then would replace a month file with nothing.
    if (m_month.publicMod.xmlDoc.documentElement().isNull())
        throw StoreError(QStringLiteral("この月は読み込めなかったため、保存しません。"));
    m_month.DropBlankEntries();
    const QStringList copiesTakenIn = TakeInSyncCopies();
    try {
        std::optional<Displaced> displaced;
        for (int tries = 1;; ++tries) {
            m_month.folder.VerifyInPlace();
            Attempt attempt;
            if (!Prepare(displaced, attempt)) {
                // Nothing to write: a copy whose every entry the month's file already holds is merged.
                if (MonthFile::Holds(m_path, m_month.Base()))
                    SyncCopyMerge::SetAside(copiesTakenIn);
                return m_outcome;
            }
            MonthFile::WriteResult written;
            try {
                written = MonthFile::Write(
                    attempt.isMerged ? attempt.merged : m_month.publicMod.xmlDoc, m_path, attempt.now);
                if (!written.changedMeanwhile) {
                    SaveOutcome saved = Finish(attempt, written);
                    SyncCopyMerge::SetAside(copiesTakenIn);
                    return saved;
                }
            } catch (const StoreError &) {
                if (!attempt.conflictPath.isEmpty() && !m_outcome.conflictPaths.contains(attempt.conflictPath))
                    m_outcome.conflictPaths.append(attempt.conflictPath);
                throw;
            }
            // The other program replaced the version this try merged with: a copy made of it goes.
            if (!attempt.conflictPath.isEmpty() && attempt.conflictPath != attempt.mergedFrom)
                QFile::remove(attempt.conflictPath);
            displaced.reset();
            if (!written.keptPath.isEmpty()) {
                m_outcome.conflictPaths.append(written.keptPath);
                displaced = Displaced { written.keptPath, written.bytes };
            }
            if (tries == SaveAttempts)
                throw StoreError(QStringLiteral("ほかのプログラムが「%1」を書き換え続けています。同期ソフトなどの動きが"
                                                "止まってから、もう一度%2してください。")
                                     .arg(MonthFile::FileName(m_month.year, m_month.month), Words::Save));
        }
    } catch (const StoreError &error) {
        throw StoreError(m_month.folder.Shown(KeptBeside(m_outcome) + error.message()));
    }
}

// Returns false when nothing of this program's would go in: the file then stands as it is, also
// when it is read-only or another program changed it. A version on disk that cannot be read is
// kept aside, and this program's month stands.
bool MonthSave::Prepare(const std::optional<Displaced> &displaced, Attempt &attempt)
{
    // The file is read whole only when it is not the one this program last read or wrote.
    const bool unchanged = MonthFile::Holds(m_path, m_month.Base());
    attempt.now = unchanged ? m_month.Base() : MonthFile::Peek(m_path);
    m_outcome.madeAgain = m_month.baseExists && !attempt.now.exists;
    // A month with nothing unsaved never stands in place of a version that arrived meanwhile: when a
    // try of its own displaced one, the merge below puts that version back whole.
    const bool ownTry = displaced && attempt.now == MonthFile::OnDisk { true, displaced->written };
    if (!m_month.unsavedChanges && attempt.now.exists && !ownTry)
        return false;
    if (unchanged || !attempt.now.exists)
        return true;
    QString reason;
    QByteArray there = attempt.now.bytes;
    // An unreadable displaced version stays kept as it is; the month's file is merged instead.
    if (ownTry) {
        there = ReadKept(displaced->path);
        attempt.mergedFrom = displaced->path;
        if (!attempt.merged.loadXml(there, nullptr)) {
            there = attempt.now.bytes;
            attempt.mergedFrom.clear();
        }
    }
    if (attempt.mergedFrom.isEmpty() && !attempt.merged.loadXml(there, &reason)) {
        const MonthFile::ReadResult aside = MonthFile::KeepAside(m_path, reason);
        m_outcome.keptAsidePaths.append(aside.keptAsidePath);
        m_outcome.keptAsideReason = aside.reason;
        attempt.now = MonthFile::OnDisk();
        return true;
    }
    XmlDocument base;
    const bool hasBase = m_month.baseExists && base.loadXml(m_month.baseBytes, &reason);
    attempt.conflictDays
        = MonthMerge::Merge(attempt.merged, hasBase ? &base : nullptr, m_month.publicMod.xmlDoc, m_month.changedDays);
    attempt.isMerged = true;
    if (!attempt.conflictDays.empty())
        attempt.conflictPath
            = attempt.mergedFrom.isEmpty() ? MonthFile::KeepConflictCopy(m_path, there) : attempt.mergedFrom;
    return true;
}

// The written month becomes the window's: a merged one replaces the document, with the same day selected.
void MonthSave::Adopt(Attempt &attempt, const QByteArray &written)
{
    if (attempt.isMerged) {
        const std::optional<int> selectedDay = m_month.SelectedDay();
        m_month.publicMod.xmlDoc.swap(attempt.merged);
        m_month.SelectDay(selectedDay);
    }
    m_month.RememberBase(true, written);
    m_month.unsavedChanges = false;
}

SaveOutcome MonthSave::Finish(Attempt &attempt, const MonthFile::WriteResult &written)
{
    SaveOutcome outcome = m_outcome;
    AddDaysOfKept(outcome.conflictPaths, attempt.mergedFrom,
        attempt.isMerged ? attempt.merged : m_month.publicMod.xmlDoc, attempt.conflictDays);
    Adopt(attempt, written.bytes);
    // A kept version merged without a conflict is all in the month now. It is what the month held
    // before the save's last try, so it, not that try's own file, is the previous version.
    if (!attempt.mergedFrom.isEmpty() && attempt.conflictPath.isEmpty()) {
        if (KeptFileName::Replace(attempt.mergedFrom, m_path + QStringLiteral(".bak"))
            || QFile::remove(attempt.mergedFrom))
            outcome.conflictPaths.removeAll(attempt.mergedFrom);
    }
    if (!attempt.conflictPath.isEmpty() && !outcome.conflictPaths.contains(attempt.conflictPath))
        outcome.conflictPaths.prepend(attempt.conflictPath);
    outcome.conflictDays = attempt.conflictDays;
    outcome.backupSkipped = written.backupSkipped;
    for (QStringList *kept : { &outcome.conflictPaths, &outcome.keptAsidePaths }) {
        for (QString &path : *kept)
            path = m_month.folder.Shown(path);
    }
    return outcome;
}
