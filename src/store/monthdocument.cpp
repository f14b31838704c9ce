#include "store/monthdocument.h"

#include "store/daysource.h"
#include "store/diarynames.h"
#include "store/publicmod.h"
#include "store/storeerror.h"
#include "store/xmldom.h"

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
    if (result.status != MonthFile::ReadResult::Status::Loaded)
        StartEmptyMonth(state.xmlDoc);
    return result;
}

MonthFile::WriteResult SaveMonth(PublicMod &state, const DiaryFolder &folder, const QString &year,
                                 const QString &month)
{
    // Only a failed load leaves no root; writing then would replace a month file with nothing.
    if (state.xmlDoc.documentElement().isNull())
        throw StoreError(QStringLiteral("この月は読み込めなかったため、保存しません。"));
    // From the last entry to the first, so that removing an entry never frees one still to be
    // visited (another tool may nest TEXT in TEXT). Removing blank entries cannot make an
    // enclosing one blank or not blank, so the outcome is that of a walk from the first.
    const std::vector<XmlNode> entries = state.xmlDoc.getElementsByTagName(DiaryNames::Text);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        XmlNode parent = entry->parentNode();
        if (!parent.isNull() && IsBlank(entry->text()))
            parent.removeChild(*entry);
    }
    folder.VerifyInPlace();
    MonthFile::WriteResult result;
    try {
        result = MonthFile::Write(state.xmlDoc, MonthFile::FilePath(folder.Path(), year, month));
    } catch (const StoreError &error) {
        throw StoreError(folder.Shown(error.message()));
    }
    state.unsavedChanges = false;
    return result;
}

void AddArticle(PublicMod &state, const DaySource &calendar)
{
    XmlNewNode article = state.xmlDoc.createElement(DiaryNames::Article);
    article.node().setAttribute(DiaryNames::Date, QString::number(calendar.Day()));
    state.xmlDay = state.xmlDoc.documentElement().appendChild(std::move(article));
    state.unsavedChanges = true;
}

void AppendEntry(PublicMod &state, const DaySource &calendar)
{
    if (state.xmlDay.isNull())
        AddArticle(state, calendar);
    state.xmlDay.appendChild(state.xmlDoc.createElement(DiaryNames::Text));
    state.unsavedChanges = true;
}

void SetEntryText(PublicMod &state, XmlNode entry, const QString &text)
{
    // The editor writes back on every loss of focus; only a real edit is work to keep.
    if (entry.text() == text)
        return;
    entry.setText(text);
    state.unsavedChanges = true;
}

void RemoveEntry(PublicMod &state, const XmlNode &entry)
{
    state.xmlDay.removeChild(entry);
    state.unsavedChanges = true;
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
