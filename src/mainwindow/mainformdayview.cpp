#include "mainwindow/mainform.h"

#include "calendar/caldiary.h"
#include "mainwindow/calendardaysource.h"
#include "mainwindow/editortext.h"
#include "mainwindow/workjournal.h"
#include "store/diarymonth.h"
#include "store/monthfile.h"
#include "store/textcodec.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>

// The day view: the selected day's titles, the entry in the editor, and the edits on them.

void MainForm::ListDay()
{
    {
        const QSignalBlocker blocker(ListTitle);
        ListTitle->clear();
    }
    TxtText->clear();
    SetEditorOpen(false);
    m_month->SelectDay(CalDiary_->Day());
    if (m_month->HasSelectedDay())
        ShowTitles();
}

QString MainForm::MakeTitle(const QString &storedText) const
{
    return TextCodec::MakeTitle(storedText);
}

std::vector<MonthRow> MainForm::LoadedRows() const
{
    return m_month->Rows();
}

void MainForm::ShowTitles()
{
    QStringList titles;
    for (const DayEntry &entry : m_month->DayEntries())
        titles.append(entry.title);
    const QSignalBlocker blocker(ListTitle);
    ListTitle->clear();
    ListTitle->addItems(titles);
}

int MainForm::SelectedIndex() const
{
    // The highlighted row only: Qt makes a row current without highlighting it when the focus
    // arrives by keyboard or window activation, and the user has chosen nothing then.
    const QList<QListWidgetItem *> selected = ListTitle->selectedItems();
    return selected.isEmpty() ? -1 : ListTitle->row(selected.first());
}

void MainForm::TitleSelected()
{
    const int position = SelectedIndex();
    if (position < 0) {
        KeepEditedTitleSelected();
        return;
    }
    const std::optional<QString> text = m_month->EntryText(position);
    if (!text)
        return;
    m_month->SetCurText(position);
    TxtText->setPlainText(TextCodec::DecodeText(*text));
    SetEditorOpen(true);
}

void MainForm::KeepEditedTitleSelected()
{
    // A click on the list's empty space takes the highlight away; the editor stays with its
    // entry, so the highlight comes back to it.
    if (TxtText->isReadOnly())
        return;
    if (QListWidgetItem *edited = ListTitle->item(m_month->CurText())) {
        const QSignalBlocker blocker(ListTitle);
        edited->setSelected(true);
    }
}

void MainForm::SetEditorOpen(bool open)
{
    TxtText->setReadOnly(!open);
    TxtText->setPlaceholderText(open ? QString() : QStringLiteral("「新規」を押すか、タイトルを選ぶと書けます。"));
}

void MainForm::WriteBack()
{
    // A read-only editor stands for no entry; a writable one for the highlighted title, which
    // stays highlighted, so that the next edit is written back as well.
    const int position = SelectedIndex();
    if (TxtText->isReadOnly() || position < 0)
        return;
    const QString text = TextCodec::EncodeText(EditorText::Shown(*TxtText));
    if (!m_month->SetEntryText(position, text))
        return;
    // Only this row's title changes: a rebuilt list would scroll, and the click that took the
    // focus from the editor would land on another title than the one under the pointer.
    ListTitle->item(position)->setText(MakeTitle(text));
    m_journal->Now();
}

void MainForm::BtnNewClick()
{
    if (!m_month->IsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    const int position = m_month->AppendEntry(CalendarDaySource(*CalDiary_));
    TxtText->clear();
    ListTitle->addItem(QStringLiteral("<新規>"));
    ListTitle->setCurrentRow(position);
    m_month->SetCurText(position);
    TxtText->setFocus(Qt::OtherFocusReason);
    m_journal->Now();
}

void MainForm::BtnDelClick()
{
    if (!m_month->IsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    const int position = SelectedIndex();
    if (!m_month->EntryText(position))
        return;
    m_month->RemoveEntry(position);
    TxtText->clear();
    SetEditorOpen(false);
    ShowTitles();
    m_journal->Now();
}

void MainForm::CalDiaryClick()
{
    MarkDays();
}

void MainForm::MarkDays()
{
    CalDiary_->MarkDays(m_month->DaysWithEntries());
    CalDiary_->Refresh();
}

void MainForm::ReportUnloadedMonth()
{
    Report(MessageKind::Action,
        QStringLiteral("%1年%2月は、「%3」を開けなかったため編集できません。そのファイルを別の場所へ移してから、"
                       "いったんほかの月へ移り、この月へ戻ってください。")
            .arg(strYear, strMonth, MonthFile::FileName(strYear, strMonth)));
}
