#include "store/month/diarymonth.h"

#include "store/folder/diaryfolder.h"
#include "store/journalfiles/journalcontent.h"
#include "store/journalfiles/journalsnapshot.h"
#include "store/month/monthdocument.h"
#include "store/month/publicmod.h"
#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/text/textcodec.h"
#include "store/text/yearmonth.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <algorithm>

DiaryMonth::DiaryMonth(DiaryFolder folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_state(std::make_unique<PublicMod>())
{
}

DiaryMonth::~DiaryMonth() = default;

MonthFile::ReadResult DiaryMonth::Load(const QString &year, const QString &month)
{
    m_year = year;
    m_month = month;
    MonthFile::ReadResult result;
    try {
        result = MonthDocument::LoadMonth(*m_state, m_folder, m_year, m_month);
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
    QString reason;
    m_state->xmlDay = XmlNode();
    if (!m_state->xmlDoc.loadXml(content.monthBytes, &reason))
        throw StoreError(
            Words::WithDetail(QStringLiteral("前回の%1にある月を読み込めませんでした。").arg(Words::Journal), reason));
    m_year = YearMonth::YearText(content.year.toInt());
    m_month = YearMonth::MonthText(content.month.toInt());
    m_state->baseExists = content.baseExists;
    m_state->baseBytes = content.baseBytes;
    m_state->changedDays = std::set<int>(content.changedDays.cbegin(), content.changedDays.cend());
    m_state->unsavedChanges = true;
    emit Loaded();
    emit UnsavedStateChanged();
}

std::optional<FollowedVersion> DiaryMonth::Reload(const ShownWork &shown)
{
    std::optional<FollowedVersion> followed
        = MonthDocument::ReloadMonth(*m_state, m_folder, m_year, m_month, shown.day, shown.openEntry);
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
        outcome = MonthDocument::SaveMonth(*m_state, m_folder, m_year, m_month);
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
    return MonthDocument::ChangedOnDisk(*m_state, m_folder, m_year, m_month);
}

const DiaryFolder &DiaryMonth::Folder() const
{
    return m_folder;
}

QString DiaryMonth::Year() const
{
    return m_year;
}

QString DiaryMonth::Month() const
{
    return m_month;
}

QString DiaryMonth::FilePath() const
{
    return MonthFile::FilePath(m_folder.Path(), m_year, m_month);
}

bool DiaryMonth::IsLoaded() const
{
    return !m_state->xmlDoc.documentElement().isNull();
}

bool DiaryMonth::HasUnsavedWork(const ShownWork &shown) const
{
    if (!IsLoaded())
        return false;
    if (m_state->unsavedChanges)
        return true;
    // Text typed since the last write-back counts as much as the month's own changes.
    const std::optional<QString> stored = EntryText(shown.openEntry);
    return stored && *stored != TextCodec::EncodeText(shown.editorText);
}

std::optional<JournalSnapshot> DiaryMonth::UnsavedWork(const ShownWork &shown) const
{
    if (!HasUnsavedWork(shown))
        return std::nullopt;
    JournalContent content;
    content.year = m_year;
    content.month = m_month;
    content.day = shown.day;
    if (shown.openEntry >= 0) {
        content.openEntry = shown.openEntry;
        content.editorText = shown.editorText;
    }
    content.baseExists = m_state->baseExists;
    content.baseBytes = m_state->baseBytes;
    content.changedDays.assign(m_state->changedDays.cbegin(), m_state->changedDays.cend());
    // A copy of the document costs a small part of writing it out, which the journal's thread does.
    auto month = std::make_shared<XmlDocument>();
    month->copyFrom(m_state->xmlDoc);
    return JournalSnapshot(std::move(content), std::move(month));
}

QByteArray DiaryMonth::Bytes() const
{
    return m_state->xmlDoc.saveXml();
}

bool DiaryMonth::AlreadySaved(const JournalContent &work, const DiaryFolder &folder)
{
    DiaryMonth probe(folder);
    try {
        probe.Restore(work);
        probe.SelectDay(work.day);
        // The editor's text counts as the restored window writes it back.
        if (work.openEntry >= 0)
            probe.SetEntryText(work.openEntry, TextCodec::EncodeText(work.editorText));
        MonthDocument::DropBlankEntries(*probe.m_state);
        const MonthFile::OnDisk now = MonthFile::Peek(probe.FilePath());
        XmlDocument disk;
        return now.exists && disk.loadXml(now.bytes, nullptr) && probe.m_state->xmlDoc.sameContent(disk);
    } catch (const StoreError &) {
        // A month that cannot be read or compared is no proof that the work is saved.
        return false;
    }
}

void DiaryMonth::SelectDay(int day)
{
    m_state->xmlDay = XmlNode();
    for (const XmlNode &article : m_state->xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        // An ARTICLE whose DATE is no number comes from another tool; it names no day.
        if (MonthRules::ArticleDay(article) == day) {
            m_state->xmlDay = article;
            return;
        }
    }
}

bool DiaryMonth::HasSelectedDay() const
{
    return !m_state->xmlDay.isNull();
}

std::vector<DayEntry> DiaryMonth::DayEntries() const
{
    std::vector<DayEntry> entries;
    if (m_state->xmlDay.isNull())
        return entries;
    for (const XmlNode &entry : m_state->xmlDay.childNodes()) {
        QString text = entry.text();
        QString title = TextCodec::MakeTitle(text);
        entries.push_back({ std::move(text), std::move(title) });
    }
    return entries;
}

std::optional<QString> DiaryMonth::EntryText(int position) const
{
    const XmlNode entry = MonthDocument::EntryAt(*m_state, position);
    return entry.isNull() ? std::nullopt : std::optional<QString>(entry.text());
}

int DiaryMonth::AppendEntry(const DaySource &calendar)
{
    MonthDocument::AppendEntry(*m_state, calendar);
    emit UnsavedStateChanged();
    return int(m_state->xmlDay.childNodes().size()) - 1;
}

bool DiaryMonth::SetEntryText(int position, const QString &text)
{
    const XmlNode entry = MonthDocument::EntryAt(*m_state, position);
    if (entry.isNull())
        return false;
    if (MonthDocument::SetEntryText(*m_state, entry, text))
        emit UnsavedStateChanged();
    return true;
}

void DiaryMonth::RemoveEntry(int position)
{
    const XmlNode entry = MonthDocument::EntryAt(*m_state, position);
    if (entry.isNull())
        return;
    MonthDocument::RemoveEntry(*m_state, entry);
    emit UnsavedStateChanged();
}

qint32 DiaryMonth::CurText() const
{
    return m_state->curText;
}

void DiaryMonth::SetCurText(qint32 position)
{
    m_state->curText = position;
}

QList<int> DiaryMonth::DaysWithEntries() const
{
    QList<int> days;
    for (const XmlNode &article : m_state->xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        const std::optional<int> day = MonthRules::ArticleDay(article);
        if (day && article.hasChildNodes() && std::find(days.cbegin(), days.cend(), *day) == days.cend())
            days.push_back(*day);
    }
    return days;
}

std::vector<MonthRow> DiaryMonth::Rows() const
{
    std::vector<MonthRow> rows;
    for (const XmlNode &article : m_state->xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        const QString dayText = article.getAttribute(DiaryNames::Date);
        const std::optional<int> day = MonthRules::ArticleDay(article);
        for (const XmlNode &entry : article.childNodes())
            rows.push_back({ dayText, day, TextCodec::MakeTitle(entry.text()) });
    }
    return rows;
}

std::vector<MonthEntries::EntryRow> DiaryMonth::Entries() const
{
    return MonthEntries::Of(m_state->xmlDoc);
}
