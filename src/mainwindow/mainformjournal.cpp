#include "mainwindow/mainform.h"

#include "base/words.h"
#include "calendar/caldiary.h"
#include "mainwindow/editortext.h"
#include "mainwindow/workjournal.h"
#include "store/diarymonth.h"
#include "store/journalsnapshot.h"
#include "store/monthfile.h"
#include "store/textcodec.h"
#include "store/yearmonth.h"

#include <QListWidget>
#include <QPlainTextEdit>

// How the main window keeps the work between save points: a journal of the unsaved work outside
// the diary folder, brought back at the next start after a crash. It never writes a month file.

void MainForm::CreateJournal()
{
    m_journal = new WorkJournal(
        m_folder, [this] { return UnsavedWork(); }, this);
    connect(m_journal, &WorkJournal::Failed, this, [this](const QString &reason) {
        Tell(MessageKind::Action,
            Words::WithDetail(QStringLiteral("%1を書けませんでした。いまプログラムが急に終わると、%2していない内容は"
                                             "失われます。ほかの月へ移るか「保管しておわり」で%2すれば、"
                                             "そこまでの内容は守られます。")
                                  .arg(Words::Journal, Words::Save),
                reason));
    });
    connect(TxtText, &QPlainTextEdit::textChanged, m_journal, &WorkJournal::Typed);
}

bool MainForm::HasUnsavedWork() const
{
    if (!m_month->IsLoaded())
        return false;
    if (m_month->HasUnsavedChanges())
        return true;
    // Text typed since the last write-back counts as much as the month's own changes; an editor
    // whose entry a save dropped as blank holds nothing to write back.
    const int open = TxtText->isReadOnly() ? -1 : SelectedIndex();
    const std::optional<QString> stored = m_month->EntryText(open);
    return stored && *stored != TextCodec::EncodeText(EditorText::Shown(*TxtText));
}

std::optional<JournalSnapshot> MainForm::UnsavedWork() const
{
    if (!HasUnsavedWork())
        return std::nullopt;
    JournalContent work;
    const int open = TxtText->isReadOnly() ? -1 : SelectedIndex();
    if (open >= 0) {
        work.openEntry = open;
        work.editorText = EditorText::Shown(*TxtText);
    }
    work.year = strYear;
    work.month = strMonth;
    work.day = m_shownDate.day();
    return m_month->Snapshot(std::move(work));
}

bool MainForm::RestoreJournal()
{
    const JournalPlace::Found found = m_journal->Find();
    for (const QString &notice : found.notices)
        Report(found.folderUnusable ? MessageKind::Action : MessageKind::Notice, notice);
    if (!found.content)
        return false;
    const JournalContent &work = *found.content;
    const QDate first(work.year.toInt(), work.month.toInt(), 1);
    CalDiary_->SetValue(first.addDays(std::min(work.day, first.daysInMonth()) - 1));
    m_shownDate = CalDiary_->Value();
    strYear = YearMonth::YearText(CalDiary_->Year());
    strMonth = YearMonth::MonthText(CalDiary_->Month());
    m_month->Restore(work);
    m_journal->Adopt(found.path);
    ShowRestoredWork(work);
    return true;
}

void MainForm::ShowRestoredWork(const JournalContent &work)
{
    ListDay();
    if (work.openEntry >= 0 && work.openEntry < ListTitle->count()) {
        ListTitle->setCurrentRow(work.openEntry);
        if (TxtText->toPlainText() != work.editorText)
            TxtText->setPlainText(work.editorText);
        // The editor does not have the focus, so no focus-out would write its text back before
        // 保管しておわり saved the month without it; written back now, the title shows it too.
        WriteBack();
    }
    Report(MessageKind::Notice,
        QStringLiteral("前回は、%4する前にプログラムが終わりました。そのとき書いていた%1年%2月の内容を元に戻し、"
                       "%3日を開いています。まだ%4していないので、いつもどおりほかの月へ移るか"
                       "「保管しておわり」で%4してください。")
            .arg(strYear, strMonth, QString::number(m_shownDate.day()), Words::Save));
}

void MainForm::RemoveLeftovers()
{
    const QStringList failures = MonthFile::RemoveLeftovers(m_folder.Path());
    if (!failures.isEmpty())
        Report(MessageKind::Notice,
            Words::WithDetail(QStringLiteral("途中で終わった%1の一時ファイルを片づけられませんでした。"
                                             "日記には差し支えないので、手で削除してかまいません。")
                                  .arg(Words::Save),
                failures.join(u' ')));
}

void MainForm::KeepWorkNow()
{
    m_journal->Now();
    m_journal->Flush();
}
