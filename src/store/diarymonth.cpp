#include "store/diarymonth.h"

#include "base/storeerror.h"
#include "base/words.h"
#include "store/diaryfolder.h"
#include "store/diarynames.h"
#include "store/journalcontent.h"
#include "store/journalsnapshot.h"
#include "store/monthdocument.h"
#include "store/publicmod.h"
#include "store/textcodec.h"
#include "store/xml/xmldom.h"

#include <algorithm>

DiaryMonth::DiaryMonth(QObject *parent)
    : QObject(parent)
    , m_state(std::make_unique<PublicMod>())
{
}

DiaryMonth::~DiaryMonth() = default;

MonthFile::ReadResult DiaryMonth::LoadMonth(const DiaryFolder &folder, const QString &year, const QString &month)
{
    return MonthDocument::LoadMonth(*m_state, folder, year, month);
}

bool DiaryMonth::Reload(const DiaryFolder &folder, const QString &year, const QString &month)
{
    return MonthDocument::ReloadMonth(*m_state, folder, year, month);
}

MonthDocument::SaveOutcome DiaryMonth::SaveMonth(const DiaryFolder &folder, const QString &year, const QString &month)
{
    return MonthDocument::SaveMonth(*m_state, folder, year, month);
}

bool DiaryMonth::ChangedOnDisk(const DiaryFolder &folder, const QString &year, const QString &month) const
{
    return MonthDocument::ChangedOnDisk(*m_state, folder, year, month);
}

bool DiaryMonth::IsLoaded() const
{
    return !m_state->xmlDoc.documentElement().isNull();
}

bool DiaryMonth::HasUnsavedChanges() const
{
    return m_state->unsavedChanges;
}

QByteArray DiaryMonth::Bytes() const
{
    return m_state->xmlDoc.saveXml();
}

JournalSnapshot DiaryMonth::Snapshot(JournalContent content) const
{
    content.baseExists = m_state->baseExists;
    content.baseBytes = m_state->baseBytes;
    content.changedDays.assign(m_state->changedDays.cbegin(), m_state->changedDays.cend());
    // A copy of the document costs a small part of writing it out, which the journal's thread does.
    auto month = std::make_shared<XmlDocument>();
    month->copyFrom(m_state->xmlDoc);
    return JournalSnapshot(std::move(content), std::move(month));
}

void DiaryMonth::Restore(const JournalContent &content)
{
    QString reason;
    m_state->xmlDay = XmlNode();
    if (!m_state->xmlDoc.loadXml(content.monthBytes, &reason))
        throw StoreError(
            Words::WithDetail(QStringLiteral("前回の%1にある月を読み込めませんでした。").arg(Words::Journal), reason));
    m_state->baseExists = content.baseExists;
    m_state->baseBytes = content.baseBytes;
    m_state->changedDays = std::set<int>(content.changedDays.cbegin(), content.changedDays.cend());
    m_state->unsavedChanges = true;
}

bool DiaryMonth::AlreadySaved(const JournalContent &work, const DiaryFolder &folder)
{
    DiaryMonth probe;
    try {
        probe.Restore(work);
        probe.SelectDay(work.day);
        // The editor's text counts as the restored window writes it back.
        if (work.openEntry >= 0)
            probe.SetEntryText(work.openEntry, TextCodec::EncodeText(work.editorText));
        MonthDocument::DropBlankEntries(*probe.m_state);
        const MonthFile::OnDisk now = MonthFile::Peek(MonthFile::FilePath(folder.Path(), work.year, work.month));
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
        if (MonthDocument::ArticleDay(article) == day) {
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
    return int(m_state->xmlDay.childNodes().size()) - 1;
}

bool DiaryMonth::SetEntryText(int position, const QString &text)
{
    const XmlNode entry = MonthDocument::EntryAt(*m_state, position);
    if (entry.isNull())
        return false;
    MonthDocument::SetEntryText(*m_state, entry, text);
    return true;
}

void DiaryMonth::RemoveEntry(int position)
{
    const XmlNode entry = MonthDocument::EntryAt(*m_state, position);
    if (!entry.isNull())
        MonthDocument::RemoveEntry(*m_state, entry);
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
        const std::optional<int> day = MonthDocument::ArticleDay(article);
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
        const std::optional<int> day = MonthDocument::ArticleDay(article);
        for (const XmlNode &entry : article.childNodes())
            rows.push_back({ dayText, day, TextCodec::MakeTitle(entry.text()) });
    }
    return rows;
}

std::vector<MonthEntries::EntryRow> DiaryMonth::Entries() const
{
    return MonthEntries::Of(m_state->xmlDoc);
}
