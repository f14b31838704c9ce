#include "store/monthdocument.h"

#include "base/storeerror.h"
#include "store/daysource.h"
#include "store/diaryfolder.h"
#include "store/diarynames.h"
#include "store/monthmerge.h"
#include "store/publicmod.h"
#include "store/xml/xmldom.h"

#include <algorithm>

namespace MonthDocument {

namespace {

const QString Declaration = QStringLiteral("version=\"1.0\" encoding=\"Shift_JIS\"");

constexpr int FirstDay = 1;
constexpr int LastDay = 31;

void StartEmptyMonth(XmlDocument &doc)
{
    doc.clear();
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"), Declaration));
    doc.appendChild(doc.createElement(DiaryNames::Diary));
}

bool IsBlankCharacter(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
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
        if (!parent.isNull() && IsBlank(entry->text()))
            parent.removeChild(*entry);
    }
}

namespace {

void MarkChanged(PublicMod &state)
{
    state.unsavedChanges = true;
    if (const std::optional<int> day = state.xmlDay.isNull() ? std::nullopt : ArticleDay(state.xmlDay))
        state.changedDays.insert(*day);
}

// Makes the disk's version, with this program's changed days put in, the document. Returns false
// when the disk's version cannot be read: it is then kept aside and this program's month stands.
bool MergeWithDisk(PublicMod &state, const QString &path, const QByteArray &diskBytes, SaveOutcome &outcome)
{
    XmlDocument disk;
    QString reason;
    if (!disk.loadXml(diskBytes, &reason)) {
        const MonthFile::ReadResult aside = MonthFile::KeepAside(path, reason);
        outcome.keptAsidePath = aside.keptAsidePath;
        outcome.keptAsideReason = aside.reason;
        return false;
    }
    XmlDocument base;
    const bool hasBase = state.baseExists && base.loadXml(state.baseBytes, &reason);
    const std::optional<int> selectedDay = state.xmlDay.isNull() ? std::nullopt : ArticleDay(state.xmlDay);
    const std::vector<int> conflicts
        = MonthMerge::Merge(disk, hasBase ? &base : nullptr, state.xmlDoc, state.changedDays);
    if (!conflicts.empty()) {
        outcome.conflictDays = conflicts;
        outcome.conflictPath = MonthFile::KeepConflictCopy(path, diskBytes);
    }
    state.xmlDoc.swap(disk);
    state.xmlDay = XmlNode();
    for (const XmlNode &article : state.xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        if (selectedDay && ArticleDay(article) == selectedDay) {
            state.xmlDay = article;
            break;
        }
    }
    return true;
}

}

MonthFile::ReadResult LoadMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month)
{
    state.xmlDay = XmlNode();
    state.unsavedChanges = false;
    MonthFile::ReadResult result;
    try {
        result = MonthFile::Read(state.xmlDoc, MonthFile::FilePath(folder.Path(), year, month));
    } catch (const StoreError &error) {
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
    SaveOutcome outcome;
    try {
        for (int attempt = 1;; ++attempt) {
            folder.VerifyInPlace();
            // The file is read whole only when it is not the one this program last read or wrote.
            const bool unchanged = MonthFile::Holds(path, Base(state));
            const MonthFile::OnDisk now = unchanged ? Base(state) : MonthFile::Peek(path);
            // Nothing of this program's would go in: the file stands as it is, also when it is
            // read-only or another program changed it.
            if (!state.unsavedChanges && now.exists)
                return outcome;
            bool expectFile = now.exists;
            if (!unchanged && now.exists)
                expectFile = MergeWithDisk(state, path, now.bytes, outcome);
            try {
                const MonthFile::WriteResult written
                    = MonthFile::Write(state.xmlDoc, path, expectFile ? now : MonthFile::OnDisk());
                RememberBase(state, true, written.bytes);
                state.unsavedChanges = false;
                outcome.backupSkipped = written.backupSkipped;
                outcome.conflictPath = folder.Shown(outcome.conflictPath);
                outcome.keptAsidePath = folder.Shown(outcome.keptAsidePath);
                return outcome;
            } catch (const MonthFile::ChangedMeanwhile &error) {
                if (attempt == SaveAttempts)
                    throw StoreError(
                        QStringLiteral("ほかのプログラムが「%1」を書き換え続けているため、保存できませんでした。"
                                       "同期ソフトなどの動きが止まってから、もう一度保存してください。（%2）")
                            .arg(MonthFile::FileName(year, month), error.message()));
            }
        }
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(error.message()));
    }
}

bool ReloadMonth(PublicMod &state, const DiaryFolder &folder, const QString &year, const QString &month)
{
    const QString path = MonthFile::FilePath(folder.Path(), year, month);
    if (MonthFile::Holds(path, Base(state)))
        return false;
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
        return false;
    state.xmlDoc.swap(fresh);
    state.xmlDay = XmlNode();
    state.unsavedChanges = false;
    RememberBase(state, true, now.bytes);
    return true;
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

std::optional<int> ArticleDay(const XmlNode &article)
{
    if (!article.hasAttribute(DiaryNames::Date))
        return std::nullopt;
    const QString date = article.getAttribute(DiaryNames::Date).trimmed();
    if (date.isEmpty() || !std::all_of(date.cbegin(), date.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int day = date.toInt(&ok);
    if (!ok || day < FirstDay || day > LastDay)
        return std::nullopt;
    return day;
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), IsBlankCharacter);
}

}
