#include "store/month/monthdocument.h"

#include "store/folder/diaryfolder.h"
#include "store/merge/gonetext.h"
#include "store/merge/monthmerge.h"
#include "store/month/daysource.h"
#include "store/month/publicmod.h"
#include "store/month/synccopymerge.h"
#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/monthfile/stillfile.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace MonthDocument {

namespace {

const QString Declaration = QStringLiteral("version=\"1.0\" encoding=\"Shift_JIS\"");

void StartEmptyMonth(XmlDocument &doc)
{
    doc.clear();
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"), Declaration));
    doc.appendChild(doc.createElement(DiaryNames::Diary));
}

// A writer that keeps changing the file between our check and our rename gets this many tries.
constexpr int SaveAttempts = 3;

void RememberBase(PublicMod &state, bool exists, const QByteArray &bytes)
{
    state.baseExists = exists;
    state.baseBytes = exists ? bytes : QByteArray();
    state.changedDays.clear();
}

MonthFile::OnDisk Base(const PublicMod &state)
{
    return { state.baseExists, state.baseBytes };
}

}

void DropBlankEntries(PublicMod &state)
{
    // From the last entry to the first, so that removing an entry never frees one still to be
    // visited (another tool may nest TEXT in TEXT). Removing blank entries cannot make an
    // enclosing one blank or not blank, so the outcome is that of a walk from the first.
    const std::vector<XmlNode> entries = state.xmlDoc.getElementsByTagName(DiaryNames::Text);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        XmlNode parent = entry->parentNode();
        if (!parent.isNull() && MonthRules::IsBlank(entry->text()))
            parent.removeChild(*entry);
    }
}

namespace {

void MarkChanged(PublicMod &state)
{
    state.unsavedChanges = true;
    if (const std::optional<int> day = state.xmlDay.isNull() ? std::nullopt : MonthRules::ArticleDay(state.xmlDay))
        state.changedDays.insert(*day);
}

// One try at saving: what the month's file holds now, and the window's work merged with it. The
// window's own document and changed days stay untouched until a write succeeds, so that a try
// after a refused one merges the newest file with that work again, never with an earlier merge.
struct Attempt
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
struct Displaced
{
    QString path;
    QByteArray written;
};

QByteArray ReadKept(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Returns false when nothing of this program's would go in: the file then stands as it is, also
// when it is read-only or another program changed it. A version on disk that cannot be read is
// kept aside, and this program's month stands.
bool Prepare(const PublicMod &state, const QString &path, const std::optional<Displaced> &displaced, Attempt &attempt,
    SaveOutcome &outcome)
{
    // The file is read whole only when it is not the one this program last read or wrote.
    const bool unchanged = MonthFile::Holds(path, Base(state));
    attempt.now = unchanged ? Base(state) : MonthFile::Peek(path);
    outcome.madeAgain = state.baseExists && !attempt.now.exists;
    // A month with nothing unsaved never stands in place of a version that arrived meanwhile: when a
    // try of its own displaced one, the merge below puts that version back whole.
    const bool ownTry = displaced && attempt.now == MonthFile::OnDisk { true, displaced->written };
    if (!state.unsavedChanges && attempt.now.exists && !ownTry)
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
        const MonthFile::ReadResult aside = MonthFile::KeepAside(path, reason);
        outcome.keptAsidePaths.append(aside.keptAsidePath);
        outcome.keptAsideReason = aside.reason;
        attempt.now = MonthFile::OnDisk();
        return true;
    }
    XmlDocument base;
    const bool hasBase = state.baseExists && base.loadXml(state.baseBytes, &reason);
    attempt.conflictDays
        = MonthMerge::Merge(attempt.merged, hasBase ? &base : nullptr, state.xmlDoc, state.changedDays);
    attempt.isMerged = true;
    if (!attempt.conflictDays.empty())
        attempt.conflictPath
            = attempt.mergedFrom.isEmpty() ? MonthFile::KeepConflictCopy(path, there) : attempt.mergedFrom;
    return true;
}

// The days in which a version kept whole during the save, and not merged, differs from the month
// as written.
void AddDaysOfKept(const QStringList &kept, const Attempt &attempt, const XmlDocument &written, std::vector<int> &days)
{
    for (const QString &path : kept) {
        XmlDocument version;
        if (path != attempt.mergedFrom && version.loadXml(ReadKept(path), nullptr)) {
            const std::vector<int> differing = MonthMerge::DifferingDays(version, written);
            days.insert(days.end(), differing.cbegin(), differing.cend());
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
}

// The written month becomes the window's: a merged one replaces the document, with the same day selected.
void Adopt(PublicMod &state, Attempt &attempt, const QByteArray &written)
{
    if (attempt.isMerged) {
        const std::optional<int> selectedDay
            = state.xmlDay.isNull() ? std::nullopt : MonthRules::ArticleDay(state.xmlDay);
        state.xmlDoc.swap(attempt.merged);
        state.xmlDay = XmlNode();
        for (const XmlNode &article : state.xmlDoc.getElementsByTagName(DiaryNames::Article)) {
            if (selectedDay && MonthRules::ArticleDay(article) == selectedDay) {
                state.xmlDay = article;
                break;
            }
        }
    }
    RememberBase(state, true, written);
    state.unsavedChanges = false;
}

SaveOutcome Finish(PublicMod &state, const DiaryFolder &folder, const QString &path, Attempt &attempt,
    const MonthFile::WriteResult &written, SaveOutcome outcome)
{
    AddDaysOfKept(
        outcome.conflictPaths, attempt, attempt.isMerged ? attempt.merged : state.xmlDoc, attempt.conflictDays);
    Adopt(state, attempt, written.bytes);
    // A kept version merged without a conflict is all in the month now. It is what the month held
    // before the save's last try, so it, not that try's own file, is the previous version.
    if (!attempt.mergedFrom.isEmpty() && attempt.conflictPath.isEmpty()) {
        const QByteArray backup = QFile::encodeName(path + QStringLiteral(".bak"));
        if (std::rename(QFile::encodeName(attempt.mergedFrom).constData(), backup.constData()) == 0
            || QFile::remove(attempt.mergedFrom))
            outcome.conflictPaths.removeAll(attempt.mergedFrom);
    }
    if (!attempt.conflictPath.isEmpty() && !outcome.conflictPaths.contains(attempt.conflictPath))
        outcome.conflictPaths.prepend(attempt.conflictPath);
    outcome.conflictDays = attempt.conflictDays;
    outcome.backupSkipped = written.backupSkipped;
    for (QStringList *kept : { &outcome.conflictPaths, &outcome.keptAsidePaths }) {
        for (QString &path : *kept)
            path = folder.Shown(path);
    }
    return outcome;
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

// The texts of the entries the window lists for a day: those of its first ARTICLE.
QStringList ListedTexts(const XmlDocument &doc, int day)
{
    QStringList texts;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        if (MonthRules::ArticleDay(article) != day)
            continue;
        for (const XmlNode &entry : article.childNodes())
            texts.append(entry.text());
        break;
    }
    return texts;
}

// Where the open entry stands in the new version of its day: where its text is, or at its own place
// when the day kept its number of entries and the entry was rewritten there. An entry that went, or
// one rewritten while others came or went, cannot be told apart from its neighbours.
std::optional<int> FollowedPlace(const QStringList &before, const QStringList &after, int position)
{
    if (position >= before.size())
        return std::nullopt;
    if (position < after.size() && after[position] == before[position])
        return position;
    if (const qsizetype found = after.indexOf(before[position]); found >= 0)
        return int(found);
    if (after.size() == before.size())
        return position;
    return std::nullopt;
}

}

MonthFile::ReadResult LoadMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month)
{
    state.xmlDay = XmlNode();
    state.unsavedChanges = false;
    MonthFile::ReadResult result;
    const QString path = MonthFile::FilePath(folder.Path(), year, month);
    try {
        result = StillFile::Read(state.xmlDoc, path);
    } catch (const StoreError &error) {
        // The month held is the one that failed, not the one before it.
        state.xmlDoc.clear();
        throw StoreError(folder.Shown(error.message()));
    }
    result.keptAsidePath = folder.Shown(result.keptAsidePath);
    const bool loaded = result.status == MonthFile::ReadResult::Status::Loaded;
    if (!loaded)
        StartEmptyMonth(state.xmlDoc);
    RememberBase(state, loaded, result.bytes);
    return result;
}

SaveOutcome SaveMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month)
{
    // Only a failed load leaves no root; writing then would replace a month file with nothing.
    if (state.xmlDoc.documentElement().isNull())
        throw StoreError(QStringLiteral("この月は読み込めなかったため、保存しません。"));
    const QString path = MonthFile::FilePath(folder.Path(), year, month);
    DropBlankEntries(state);
    const QStringList copiesTakenIn = SyncCopyMerge::TakeIn(state, path);
    SaveOutcome outcome;
    std::optional<Displaced> displaced;
    try {
        for (int tries = 1;; ++tries) {
            folder.VerifyInPlace();
            Attempt attempt;
            if (!Prepare(state, path, displaced, attempt, outcome))
                return outcome;
            try {
                const MonthFile::WriteResult written
                    = MonthFile::Write(attempt.isMerged ? attempt.merged : state.xmlDoc, path, attempt.now);
                SaveOutcome saved = Finish(state, folder, path, attempt, written, outcome);
                SyncCopyMerge::SetAside(copiesTakenIn);
                return saved;
            } catch (const MonthFile::ChangedMeanwhile &changed) {
                // The other program replaced the version this try merged with: a copy made of it goes.
                if (!attempt.conflictPath.isEmpty() && attempt.conflictPath != attempt.mergedFrom)
                    QFile::remove(attempt.conflictPath);
                displaced.reset();
                if (!changed.KeptPath().isEmpty()) {
                    outcome.conflictPaths.append(changed.KeptPath());
                    displaced = Displaced { changed.KeptPath(), changed.Written() };
                }
                if (tries == SaveAttempts)
                    throw StoreError(
                        QStringLiteral("ほかのプログラムが「%1」を書き換え続けています。同期ソフトなどの動きが"
                                       "止まってから、もう一度%2してください。")
                            .arg(MonthFile::FileName(year, month), Words::Save));
            } catch (const StoreError &) {
                if (!attempt.conflictPath.isEmpty() && !outcome.conflictPaths.contains(attempt.conflictPath))
                    outcome.conflictPaths.append(attempt.conflictPath);
                throw;
            }
        }
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(KeptBeside(outcome) + error.message()));
    }
}

std::optional<FollowedVersion> ReloadMonth(
    PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month, int day, int position)
{
    const QString path = MonthFile::FilePath(folder.Path(), year, month);
    if (MonthFile::Holds(path, Base(state)))
        return std::nullopt;
    MonthFile::OnDisk now;
    try {
        now = MonthFile::Peek(path);
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(error.message()));
    }
    XmlDocument fresh;
    QString reason;
    // A file that went away may come back under the same name in a moment, as some editors save.
    if (!now.exists || now == Base(state) || !fresh.loadXml(now.bytes, &reason))
        return std::nullopt;
    FollowedVersion followed;
    if (position >= 0) {
        const std::optional<int> place
            = FollowedPlace(ListedTexts(state.xmlDoc, day), ListedTexts(fresh, day), position);
        if (!place)
            return std::nullopt;
        followed.openEntry = *place;
    }
    GoneText::Find(state.xmlDoc, fresh, followed);
    try {
        // Kept before the window shows the new version: what it showed must be somewhere to be named.
        if (!followed.textsGone.isEmpty())
            followed.holder = folder.Shown(GoneText::Holder(path, followed, state.xmlDoc));
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(error.message()));
    }
    state.xmlDoc.swap(fresh);
    state.xmlDay = XmlNode();
    state.unsavedChanges = false;
    RememberBase(state, true, now.bytes);
    return followed;
}

bool ChangedOnDisk(const PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month)
{
    const QString path = MonthFile::FilePath(folder.Path(), year, month);
    return !MonthFile::Holds(path, Base(state)) && MonthFile::Peek(path) != Base(state);
}

void AddArticle(PublicMod &state, const DaySource &calendar)
{
    XmlNewNode article = state.xmlDoc.createElement(DiaryNames::Article);
    article.node().setAttribute(DiaryNames::Date, QString::number(calendar.Day()));
    state.xmlDay = state.xmlDoc.documentElement().appendChild(std::move(article));
    MarkChanged(state);
}

void AppendEntry(PublicMod &state, const DaySource &calendar)
{
    if (state.xmlDay.isNull())
        AddArticle(state, calendar);
    state.xmlDay.appendChild(state.xmlDoc.createElement(DiaryNames::Text));
    MarkChanged(state);
}

bool SetEntryText(PublicMod &state, XmlNode entry, const QString &text)
{
    // The editor writes back on every loss of focus; only a real edit is work to keep.
    if (entry.text() == text)
        return false;
    entry.setText(text);
    MarkChanged(state);
    return true;
}

XmlNode EntryAt(const PublicMod &state, int position)
{
    if (position < 0 || state.xmlDay.isNull())
        return {};
    const std::vector<XmlNode> entries = state.xmlDay.childNodes();
    return position < int(entries.size()) ? entries[position] : XmlNode();
}

void RemoveEntry(PublicMod &state, const XmlNode &entry)
{
    state.xmlDay.removeChild(entry);
    MarkChanged(state);
}

}
