#include "mainwindow/mainform.h"

#include "listwindow/listform.h"
#include "mainwindow/workjournal.h"
#include "store/diarymonth.h"

#include <QCloseEvent>
#include <QScopedValueRollback>

// How the main window ends: 保管しておわり saves and closes; any other close, and the end of the
// desktop session, first asks about unsaved work, and never writes a file by itself.

void MainForm::BtnEndClick()
{
    if (SaveLoadedMonth(QStringLiteral("原因を取り除いてから、もう一度「保管しておわり」を押してください。")))
        close();
}

bool MainForm::UnsavedWorkSettled(const std::function<bool()> &mayAsk)
{
    WriteBack();
    if (!m_month->HasUnsavedChanges() || !mayAsk())
        return true;
    switch (AskBeforeQuitting()) {
    case SaveAnswer::SaveAndQuit:
        return SaveLoadedMonth(QStringLiteral("原因を取り除いてから、もう一度終了してください。"));
    case SaveAnswer::QuitWithoutSaving:
        m_journal->Dropped();
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

SaveAnswer MainForm::AskBeforeQuitting()
{
    // A second request to end, while the user still decides on the first, waits for that answer.
    if (m_asking)
        return SaveAnswer::Cancel;
    const QScopedValueRollback asking(m_asking, true);
    const QString title = QStringLiteral("確認");
    const QString text = QStringLiteral("まだ保存していない変更があります。保存してからおわりますか？");
    return m_question ? m_question(title, text) : AskToSave(this, title, text);
}

bool MainForm::SessionMayEnd(const std::function<bool()> &allowsInteraction)
{
    bool mayEnd = false;
    Guard([&] { mayEnd = UnsavedWorkSettled(allowsInteraction); });
    return mayEnd;
}

void MainForm::SetSaveQuestion(SaveQuestion question)
{
    m_question = std::move(question);
}

void MainForm::closeEvent(QCloseEvent *event)
{
    bool mayClose = m_quitting;
    if (!mayClose)
        Guard([&] { mayClose = UnsavedWorkSettled([] { return true; }); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    if (m_listForm)
        m_listForm->close();
    // Ended by a signal or with the session, the work waits in the journal for the next start;
    // saved, dropped or untouched, the journal goes.
    Guard([this] {
        m_journal->Now();
        m_journal->Flush();
    });
    QWidget::closeEvent(event);
}
