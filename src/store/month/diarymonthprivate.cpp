#include "store/month/diarymonthprivate.h"

#include "store/journalfiles/journalcontent.h"
#include "store/merge/gonetext.h"
#include "store/month/daysource.h"
#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/monthfile/stillfile.h"
#include "store/text/yearmonth.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

namespace {

const QString Declaration = QStringLiteral("version=\"1.0\" encoding=\"Shift_JIS\"");

void StartEmptyMonth(XmlDocument &doc)
{
    doc.clear();
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"), Declaration));
    doc.appendChild(doc.createElement(DiaryNames::Diary));
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

DiaryMonthPrivate::DiaryMonthPrivate(DiaryFolder folder)
    : folder(std::move(folder))
{
}

QString DiaryMonthPrivate::FilePath() const
{
    return MonthFile::FilePath(folder.Path(), year, month);
}

MonthFile::ReadResult DiaryMonthPrivate::Load()
{
    publicMod.xmlDay = XmlNode();
    unsavedChanges = false;
    MonthFile::ReadResult result;
    try {
        result = StillFile::Read(publicMod.xmlDoc, FilePath());
    } catch (const StoreError &error) {
        // The month held is the one that failed, not the one before it.
        publicMod.xmlDoc.clear();
        throw StoreError(folder.Shown(error.message()));
    }
    result.keptAsidePath = folder.Shown(result.keptAsidePath);
    const bool loaded = result.status == MonthFile::ReadResult::Status::Loaded;
    if (!loaded)
        StartEmptyMonth(publicMod.xmlDoc);
    RememberBase(loaded, result.bytes);
    return result;
}

std::optional<FollowedVersion> DiaryMonthPrivate::Reload()
{
    const QString path = FilePath();
    if (MonthFile::Holds(path, Base()))
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
    if (!now.exists || now == Base() || !fresh.loadXml(now.bytes, &reason))
        return std::nullopt;
    FollowedVersion followed;
    if (screen.openEntry >= 0) {
        const std::optional<int> place = FollowedPlace(
            ListedTexts(publicMod.xmlDoc, screen.day), ListedTexts(fresh, screen.day), screen.openEntry);
        if (!place)
            return std::nullopt;
        followed.openEntry = *place;
    }
    GoneText::Find(publicMod.xmlDoc, fresh, followed);
    try {
        // Kept before the window shows the new version: what it showed must be somewhere to be named.
        if (!followed.textsGone.isEmpty())
            followed.holder = folder.Shown(GoneText::Holder(path, followed, publicMod.xmlDoc));
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(error.message()));
    }
    publicMod.xmlDoc.swap(fresh);
    publicMod.xmlDay = XmlNode();
    unsavedChanges = false;
    RememberBase(true, now.bytes);
    return followed;
}

void DiaryMonthPrivate::Restore(const JournalContent &content)
{
    QString reason;
    publicMod.xmlDay = XmlNode();
    if (!publicMod.xmlDoc.loadXml(content.monthBytes, &reason))
        throw StoreError(
            Words::WithDetail(QStringLiteral("前回の%1にある月を読み込めませんでした。").arg(Words::Journal), reason));
    year = YearMonth::YearText(content.year.toInt());
    month = YearMonth::MonthText(content.month.toInt());
    baseExists = content.baseExists;
    baseBytes = content.baseBytes;
    changedDays = std::set<int>(content.changedDays.cbegin(), content.changedDays.cend());
    unsavedChanges = true;
}

void DiaryMonthPrivate::SelectDay(std::optional<int> day)
{
    publicMod.xmlDay = XmlNode();
    if (!day)
        return;
    for (const XmlNode &article : publicMod.xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        // An ARTICLE whose DATE is no number comes from another tool; it names no day.
        if (MonthRules::ArticleDay(article) == day) {
            publicMod.xmlDay = article;
            return;
        }
    }
}

std::optional<int> DiaryMonthPrivate::SelectedDay() const
{
    return publicMod.xmlDay.isNull() ? std::nullopt : MonthRules::ArticleDay(publicMod.xmlDay);
}

XmlNode DiaryMonthPrivate::EntryAt(int position) const
{
    if (position < 0 || publicMod.xmlDay.isNull())
        return {};
    const std::vector<XmlNode> entries = publicMod.xmlDay.childNodes();
    return position < int(entries.size()) ? entries[position] : XmlNode();
}

void DiaryMonthPrivate::AddArticle(const DaySource &calendar)
{
    XmlNewNode article = publicMod.xmlDoc.createElement(DiaryNames::Article);
    article.node().setAttribute(DiaryNames::Date, QString::number(calendar.Day()));
    publicMod.xmlDay = publicMod.xmlDoc.documentElement().appendChild(std::move(article));
    MarkChanged();
}

void DiaryMonthPrivate::AppendEntry(const DaySource &calendar)
{
    if (publicMod.xmlDay.isNull())
        AddArticle(calendar);
    publicMod.xmlDay.appendChild(publicMod.xmlDoc.createElement(DiaryNames::Text));
    MarkChanged();
}

bool DiaryMonthPrivate::SetEntryText(XmlNode entry, const QString &text)
{
    // The editor writes back on every loss of focus; only a real edit is work to keep.
    if (entry.text() == text)
        return false;
    entry.setText(text);
    MarkChanged();
    return true;
}

void DiaryMonthPrivate::RemoveEntry(const XmlNode &entry)
{
    publicMod.xmlDay.removeChild(entry);
    MarkChanged();
}

void DiaryMonthPrivate::DropBlankEntries()
{
    // From the last entry to the first, so that removing an entry never frees one still to be
    // visited (another tool may nest TEXT in TEXT). Removing blank entries cannot make an
    // enclosing one blank or not blank, so the outcome is that of a walk from the first.
    const std::vector<XmlNode> entries = publicMod.xmlDoc.getElementsByTagName(DiaryNames::Text);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        XmlNode parent = entry->parentNode();
        if (!parent.isNull() && MonthRules::IsBlank(entry->text()))
            parent.removeChild(*entry);
    }
}

MonthFile::OnDisk DiaryMonthPrivate::Base() const
{
    return { baseExists, baseBytes };
}

void DiaryMonthPrivate::RememberBase(bool exists, const QByteArray &bytes)
{
    baseExists = exists;
    baseBytes = exists ? bytes : QByteArray();
    changedDays.clear();
}

void DiaryMonthPrivate::MarkChanged()
{
    unsavedChanges = true;
    if (const std::optional<int> day = SelectedDay())
        changedDays.insert(*day);
}
