#include "store/month/diarymonth.h"

#include "store/journalfiles/journalcontent.h"
#include "store/month/diarymonthprivate.h"
#include "store/month/monthentries.h"
#include "store/month/monthsave.h"
#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/text/textcodec.h"
#include "usermessages/storeerror.h"

#include <algorithm>

namespace {

// The entries of an ARTICLE, each as a row of the day that ARTICLE names; the entry open on screen,
// when it is one of them, with its text as typed.
void AddRowsOf(const XmlNode &article, std::vector<MonthRow> &rows, const OnScreen *screen = nullptr)
{
    const QString dayText = article.getAttribute(DiaryNames::Date);
    const std::optional<int> day = MonthRules::ArticleDay(article);
    int position = 0;
    for (const XmlNode &entry : article.childNodes()) {
        const bool open = screen && position == screen->openEntry;
        rows.push_back({ dayText, day, position++, open ? TextCodec::EncodeText(screen->editorText) : entry.text() });
    }
}

}

DiaryMonth::DiaryMonth(DiaryFolder folder, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<DiaryMonthPrivate>(std::move(folder)))
{
}

DiaryMonth::~DiaryMonth() = default;

MonthFile::ReadResult DiaryMonth::Load(const QString &year, const QString &month)
{
    d->year = year;
    d->month = month;
    MonthFile::ReadResult result;
    try {
        result = d->Load();
    } catch (const StoreError &) {
        emit UnsavedStateChanged();
        throw;
    }
    emit Loaded();
    emit UnsavedStateChanged();
    return result;
}

void DiaryMonth::Restore(const JournalContent &content)
{
    d->Restore(content);
    emit Loaded();
    emit UnsavedStateChanged();
}

std::optional<FollowedVersion> DiaryMonth::Reload()
{
    std::optional<FollowedVersion> followed = d->Reload();
    if (!followed)
        return std::nullopt;
    emit Loaded();
    emit UnsavedStateChanged();
    return followed;
}

SaveOutcome DiaryMonth::Save()
{
    SaveOutcome outcome;
    try {
        outcome = MonthSave(*d).Run();
    } catch (const StoreError &) {
        // Saving drops blank entries and may merge before it fails: the work is no longer as it was.
        emit UnsavedStateChanged();
        throw;
    }
    emit UnsavedStateChanged();
    emit Saved();
    return outcome;
}

bool DiaryMonth::ChangedOnDisk() const
{
    return !MonthFile::Holds(d->FilePath(), d->Base()) && MonthFile::Peek(d->FilePath()) != d->Base();
}

const DiaryFolder &DiaryMonth::Folder() const
{
    return d->folder;
}

QString DiaryMonth::Year() const
{
    return d->year;
}

QString DiaryMonth::Month() const
{
    return d->month;
}

QString DiaryMonth::FilePath() const
{
    return d->FilePath();
}

bool DiaryMonth::IsLoaded() const
{
    return !d->publicMod.xmlDoc.documentElement().isNull();
}

void DiaryMonth::Show(const OnScreen &screen)
{
    d->screen = screen;
}

bool DiaryMonth::HasUnsavedWork() const
{
    if (!IsLoaded())
        return false;
    if (d->unsavedChanges)
        return true;
    // Text typed since the last write-back counts as much as the month's own changes.
    const std::optional<QString> stored = EntryText(d->screen.openEntry);
    return stored && *stored != TextCodec::EncodeText(d->screen.editorText);
}

std::optional<JournalSnapshot> DiaryMonth::UnsavedWork() const
{
    if (!HasUnsavedWork())
        return std::nullopt;
    JournalContent content;
    content.year = d->year;
    content.month = d->month;
    content.day = d->screen.day;
    if (d->screen.openEntry >= 0) {
        content.openEntry = d->screen.openEntry;
        content.editorText = d->screen.editorText;
    }
    content.baseExists = d->baseExists;
    content.baseBytes = d->baseBytes;
    content.changedDays.assign(d->changedDays.cbegin(), d->changedDays.cend());
    // A copy of the document costs a small part of writing it out, which the journal's thread does.
    auto month = std::make_shared<XmlDocument>();
    month->copyFrom(d->publicMod.xmlDoc);
    return JournalSnapshot(std::move(content), std::move(month));
}

QByteArray DiaryMonth::Bytes() const
{
    return d->publicMod.xmlDoc.saveXml();
}

void DiaryMonth::SelectDay(int day)
{
    d->SelectDay(day);
}

bool DiaryMonth::HasSelectedDay() const
{
    return !d->publicMod.xmlDay.isNull();
}

std::vector<MonthRow> DiaryMonth::DayEntries() const
{
    std::vector<MonthRow> entries;
    if (!d->publicMod.xmlDay.isNull())
        AddRowsOf(d->publicMod.xmlDay, entries);
    return entries;
}

std::optional<QString> DiaryMonth::EntryText(int position) const
{
    const XmlNode entry = d->EntryAt(position);
    return entry.isNull() ? std::nullopt : std::optional<QString>(entry.text());
}

int DiaryMonth::AppendEntry(const DaySource &calendar)
{
    d->AppendEntry(calendar);
    emit UnsavedStateChanged();
    return int(d->publicMod.xmlDay.childNodes().size()) - 1;
}

bool DiaryMonth::SetEntryText(int position, const QString &text)
{
    const XmlNode entry = d->EntryAt(position);
    if (entry.isNull())
        return false;
    if (d->SetEntryText(entry, text))
        emit UnsavedStateChanged();
    return true;
}

void DiaryMonth::RemoveEntry(int position)
{
    const XmlNode entry = d->EntryAt(position);
    if (entry.isNull())
        return;
    d->RemoveEntry(entry);
    emit UnsavedStateChanged();
}

qint32 DiaryMonth::CurText() const
{
    return d->publicMod.curText;
}

void DiaryMonth::SetCurText(qint32 position)
{
    d->publicMod.curText = position;
}

QList<int> DiaryMonth::DaysWithEntries() const
{
    QList<int> days;
    for (const XmlNode &article : d->publicMod.xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        const std::optional<int> day = MonthRules::ArticleDay(article);
        if (day && article.hasChildNodes() && std::find(days.cbegin(), days.cend(), *day) == days.cend())
            days.push_back(*day);
    }
    return days;
}

std::vector<MonthRow> DiaryMonth::Rows() const
{
    std::vector<MonthRow> rows;
    for (const XmlNode &article : d->publicMod.xmlDoc.getElementsByTagName(DiaryNames::Article))
        AddRowsOf(article, rows, article == d->publicMod.xmlDay ? &d->screen : nullptr);
    return rows;
}

std::vector<MonthRow> DiaryMonth::Entries() const
{
    std::vector<MonthRow> entries = MonthEntries::Of(d->publicMod.xmlDoc);
    // The open entry as typed, before it is written back: one of the selected day's ARTICLE, the
    // first of its day, which is the one listed.
    const std::optional<int> day = d->SelectedDay();
    if (!day || d->screen.openEntry < 0)
        return entries;
    for (MonthRow &entry : entries) {
        if (entry.day == day && entry.position == d->screen.openEntry)
            entry.text = TextCodec::EncodeText(d->screen.editorText);
    }
    return entries;
}
