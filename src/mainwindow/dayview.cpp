#include "mainwindow/dayview.h"

#include "calendar/caldiary.h"
#include "mainwindow/calendardaysource.h"
#include "mainwindow/editortext.h"
#include "mainwindow/windownotices.h"
#include "store/journalfiles/journalcontent.h"
#include "store/month/diarymonth.h"
#include "store/monthfile/monthfile.h"
#include "store/text/textcodec.h"
#include "usermessages/words.h"

#include <QEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include <algorithm>

DayView::DayView(DiaryMonth &month, CalDiary &calendar, QListWidget &titles, QPlainTextEdit &editor,
    WindowNotices &notices, QObject *parent)
    : QObject(parent)
    , m_month(month)
    , m_calendar(calendar)
    , m_titles(titles)
    , m_editor(editor)
    , m_notices(notices)
{
    SetEditorOpen(false);
    // The hint disappears from the screen once there is text; a screen reader keeps it.
    m_editor.setAccessibleDescription(m_editor.placeholderText());
    m_editor.installEventFilter(this);
    connect(&m_editor, &QPlainTextEdit::textChanged, this, &DayView::Typed);
}

void DayView::ListDay()
{
    {
        const QSignalBlocker blocker(&m_titles);
        m_titles.clear();
    }
    m_editor.clear();
    SetEditorOpen(false);
    m_month.SelectDay(m_calendar.Day());
    if (m_month.HasSelectedDay())
        ShowTitles();
    emit DayShown();
}

void DayView::ShowCalendarDay()
{
    m_shownDate = m_calendar.Value();
    ListDay();
}

void DayView::ReturnToShownDate()
{
    m_calendar.SetValue(m_shownDate);
}

ShownWork DayView::Shown() const
{
    ShownWork shown;
    shown.day = m_shownDate.day();
    shown.openEntry = m_editor.isReadOnly() ? -1 : SelectedIndex();
    if (shown.openEntry >= 0)
        shown.editorText = EditorText::Shown(m_editor);
    return shown;
}

void DayView::ShowFollowed(int openEntry)
{
    if (openEntry < 0) {
        ListDay();
        return;
    }
    m_month.SelectDay(m_calendar.Day());
    ReopenAt(openEntry);
}

std::optional<QString> DayView::OpenText() const
{
    const int position = Shown().openEntry;
    return position < 0 ? std::nullopt : m_month.EntryText(position);
}

void DayView::ShowSaved(const std::optional<QString> &openText)
{
    // The day stays the one the month selects: during a month switch the calendar shows the next.
    if (!openText)
        return;
    const std::vector<DayEntry> entries = m_month.DayEntries();
    const auto holdsOpenText = [&openText](const DayEntry &entry) { return entry.text == *openText; };
    // Its own place first: another entry of the same text may stand elsewhere in the day.
    int position = SelectedIndex();
    if (position < 0 || position >= int(entries.size()) || !holdsOpenText(entries[position]))
        position = int(std::find_if(entries.cbegin(), entries.cend(), holdsOpenText) - entries.cbegin());
    if (position < int(entries.size())) {
        ReopenAt(position);
        return;
    }
    m_editor.clear();
    SetEditorOpen(false);
    ShowTitles();
}

void DayView::ReopenAt(int position)
{
    ShowTitles();
    {
        const QSignalBlocker blocker(&m_titles);
        m_titles.setCurrentRow(position);
    }
    m_month.SetCurText(position);
    const QString text = TextCodec::DecodeText(m_month.EntryText(position).value_or(QString()));
    if (m_editor.toPlainText() == text)
        return;
    const int cursorAt = m_editor.textCursor().position();
    m_editor.setPlainText(text);
    QTextCursor cursor = m_editor.textCursor();
    cursor.setPosition(std::min(cursorAt, m_editor.document()->characterCount() - 1));
    m_editor.setTextCursor(cursor);
}

void DayView::OpenRestored(const JournalContent &work)
{
    if (work.openEntry < 0 || work.openEntry >= m_titles.count())
        return;
    m_titles.setCurrentRow(work.openEntry);
    if (m_editor.toPlainText() != work.editorText)
        m_editor.setPlainText(work.editorText);
    // The editor does not have the focus, so no focus-out would write its text back before
    // 保管しておわり saved the month without it; written back now, the title shows it too.
    WriteBack();
}

void DayView::ShowTitles()
{
    QStringList titles;
    for (const DayEntry &entry : m_month.DayEntries())
        titles.append(entry.title);
    const QSignalBlocker blocker(&m_titles);
    m_titles.clear();
    m_titles.addItems(titles);
}

int DayView::SelectedIndex() const
{
    // The highlighted row only: Qt makes a row current without highlighting it when the focus
    // arrives by keyboard or window activation, and the user has chosen nothing then.
    const QList<QListWidgetItem *> selected = m_titles.selectedItems();
    return selected.isEmpty() ? -1 : m_titles.row(selected.first());
}

void DayView::TitleSelected()
{
    const int position = SelectedIndex();
    if (position < 0) {
        KeepEditedTitleSelected();
        return;
    }
    const std::optional<QString> text = m_month.EntryText(position);
    if (!text)
        return;
    m_month.SetCurText(position);
    m_editor.setPlainText(TextCodec::DecodeText(*text));
    SetEditorOpen(true);
}

void DayView::KeepEditedTitleSelected()
{
    // A click on the list's empty space takes the highlight away; the editor stays with its
    // entry, so the highlight comes back to it.
    if (m_editor.isReadOnly())
        return;
    if (QListWidgetItem *edited = m_titles.item(m_month.CurText())) {
        const QSignalBlocker blocker(&m_titles);
        edited->setSelected(true);
    }
}

void DayView::SetEditorOpen(bool open)
{
    m_editor.setReadOnly(!open);
    m_editor.setPlaceholderText(open ? QString() : QStringLiteral("「新規」を押すか、タイトルを選ぶと書けます。"));
}

namespace {

// Told when an entry first takes such a character in, before a save writes it as U+FFFD; typing on
// in the same entry tells nothing more.
void TellUnstorable(WindowNotices &notices, const QString &shown, const QString &before, const QString &stored)
{
    const QStringList lost = TextCodec::UnstorableCharacters(shown);
    if (lost.isEmpty() || stored.count(QChar::ReplacementCharacter) <= before.count(QChar::ReplacementCharacter))
        return;
    notices.TellUnasked(MessageKind::Action,
        QStringLiteral("記事「%1」にある文字 %2 は、日記の月のファイルに書けない制御文字などです。%3すると"
                       "「\uFFFD」(U+FFFD) に置き換わります。要る内容なら、ほかの書き方に直してください。")
            .arg(TextCodec::MakeTitle(stored), lost.join(QStringLiteral("、")), Words::Save));
}

}

void DayView::WriteBack()
{
    // A read-only editor stands for no entry; a writable one for the highlighted title, which
    // stays highlighted, so that the next edit is written back as well.
    const int position = SelectedIndex();
    if (m_editor.isReadOnly() || position < 0)
        return;
    const QString shown = EditorText::Shown(m_editor);
    const QString text = TextCodec::EncodeText(shown);
    const QString before = m_month.EntryText(position).value_or(QString());
    if (!m_month.SetEntryText(position, text))
        return;
    // Only this row's title changes: a rebuilt list would scroll, and the click that took the
    // focus from the editor would land on another title than the one under the pointer.
    m_titles.item(position)->setText(TextCodec::MakeTitle(text));
    TellUnstorable(m_notices, shown, before, text);
}

void DayView::AddEntry()
{
    if (!m_month.IsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    const int position = m_month.AppendEntry(CalendarDaySource(m_calendar));
    m_editor.clear();
    m_titles.addItem(QStringLiteral("<新規>"));
    m_titles.setCurrentRow(position);
    m_month.SetCurText(position);
    m_editor.setFocus(Qt::OtherFocusReason);
}

void DayView::RemoveEntry()
{
    if (!m_month.IsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    const int position = SelectedIndex();
    if (!m_month.EntryText(position))
        return;
    m_month.RemoveEntry(position);
    m_editor.clear();
    SetEditorOpen(false);
    ShowTitles();
}

void DayView::MarkDays()
{
    m_calendar.MarkDays(m_month.DaysWithEntries());
    m_calendar.Refresh();
}

bool DayView::SelectMatch(int position, int begin, int length)
{
    if (position >= m_titles.count())
        return false;
    m_titles.setCurrentRow(position);
    const int last = m_editor.document()->characterCount() - 1;
    QTextCursor cursor = m_editor.textCursor();
    cursor.setPosition(std::clamp(begin, 0, last));
    cursor.setPosition(std::clamp(begin + length, 0, last), QTextCursor::KeepAnchor);
    m_editor.setTextCursor(cursor);
    m_editor.ensureCursorVisible();
    return true;
}

void DayView::ReportUnloadedMonth()
{
    const QString year = m_month.Year();
    const QString month = m_month.Month();
    m_notices.Tell(MessageKind::Action,
        QStringLiteral("%1年%2月は、「%3」を開けなかったため編集できません。そのファイルを別の場所へ移してから、"
                       "いったんほかの月へ移り、この月へ戻ってください。")
            .arg(year, month, MonthFile::FileName(year, month)));
}

bool DayView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_editor && event->type() == QEvent::FocusOut)
        m_notices.Guard([this] { WriteBack(); });
    return QObject::eventFilter(watched, event);
}
