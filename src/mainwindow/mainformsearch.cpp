#include "mainwindow/mainform.h"

#include "calendar/caldiary.h"
#include "calendar/calendarrange.h"
#include "mainwindow/editortext.h"
#include "searchwindow/searchform.h"
#include "store/diarymonth.h"
#include "store/textcodec.h"
#include "store/yearmonth.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextCursor>

#include <algorithm>

// The main window as the search window's owner: what it searches of the loaded month, and a found
// entry shown.

void MainForm::ConnectSearch()
{
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
        [this] { Guard([this] { OpenSearch(); }); });
}

void MainForm::OpenSearch()
{
    // Made at the first Ctrl+F, so that nothing is read for searching before.
    if (!m_searchForm)
        m_searchForm = new SearchForm(this, m_folder.Path(), this);
    m_searchForm->Reopen();
}

std::optional<ShownMonth> MainForm::SearchedMonth() const
{
    if (!m_month->IsLoaded())
        return std::nullopt;
    ShownMonth shown { strYear.toInt(), strMonth.toInt(), m_month->Entries() };
    // The editor's text counts before it is written back, as the user sees it.
    const int position = SelectedIndex();
    if (TxtText->isReadOnly() || position < 0 || !m_month->HasSelectedDay())
        return shown;
    for (MonthEntries::EntryRow &entry : shown.entries) {
        if (entry.day == CalDiary_->Day() && entry.position == position)
            entry.text = TextCodec::EncodeText(EditorText::Shown(*TxtText));
    }
    return shown;
}

bool MainForm::OpenEntry(const QDate &date, int position, int matchBegin, int matchLength)
{
    if (!CalendarRange::Contains(date))
        return false;
    WriteBack();
    ShowDate(date);
    if (m_shownDate != date || !YearMonth::IsSameMonth(date, strYear, strMonth) || position >= ListTitle->count())
        return false;
    ListTitle->setCurrentRow(position);
    const int last = TxtText->document()->characterCount() - 1;
    QTextCursor cursor = TxtText->textCursor();
    cursor.setPosition(std::clamp(matchBegin, 0, last));
    cursor.setPosition(std::clamp(matchBegin + matchLength, 0, last), QTextCursor::KeepAnchor);
    TxtText->setTextCursor(cursor);
    TxtText->ensureCursorVisible();
    return true;
}
