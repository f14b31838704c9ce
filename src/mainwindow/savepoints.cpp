#include "mainwindow/savepoints.h"

#include "calendar/caldiary.h"
#include "mainwindow/dayview.h"
#include "mainwindow/windownotices.h"
#include "store/journal/workjournal.h"
#include "store/month/diarymonth.h"
#include "store/text/yearmonth.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QFileInfo>
#include <QScopedValueRollback>
#include <QStringList>

namespace {

// Files named in a message, each within the quotation marks the message puts around one name.
QString FileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    return names.join(QStringLiteral("」「"));
}

}

SavePoints::SavePoints(DiaryMonth &month, CalDiary &calendar, DayView &dayView, WorkJournal &journal,
    WindowNotices &notices, QWidget &window)
    : m_month(month)
    , m_calendar(calendar)
    , m_dayView(dayView)
    , m_journal(journal)
    , m_notices(notices)
    , m_window(window)
{
}

void SavePoints::LoadMonth(const QString &year, const QString &month)
{
    const MonthFile::ReadResult result = m_month.Load(year, month);
    if (result.status != MonthFile::ReadResult::Status::KeptAside)
        return;
    // The notice is modal: behind it the day view shows the month just opened, not the one left.
    m_dayView.ListDay();
    m_notices.Tell(MessageKind::Action,
        Words::WithDetail(QStringLiteral("「%1」を読み込めなかったため、この月は空の月として開きます。"
                                         "元のファイルは「%2」として同じフォルダーに残してあるので、"
                                         "消さずに取っておいてください。")
                              .arg(MonthFile::FileName(year, month), QFileInfo(result.keptAsidePath).fileName()),
            result.reason));
}

bool SavePoints::SwitchMonth(const QDate &date)
{
    // Stay in the loaded month when it cannot be saved: its work must not give way to another.
    if (!SaveLoadedMonth(QStringLiteral("この月にとどまります。")))
        return false;
    const QString leftYear = m_month.Year();
    const QString leftMonth = m_month.Month();
    try {
        LoadMonth(YearMonth::YearText(date.year()), YearMonth::MonthText(date.month()));
    } catch (const StoreError &error) {
        // The month being left was just saved, so going back to it loses nothing.
        m_dayView.ReturnToShownDate();
        LoadMonth(leftYear, leftMonth);
        m_dayView.ListDay();
        m_notices.Tell(MessageKind::Action, error.message());
        return false;
    }
    return true;
}

bool SavePoints::MoveToDate(const QDate &date)
{
    if (YearMonth::IsSameMonth(date, m_month.Year(), m_month.Month())) {
        m_calendar.SetDay(date.day());
    } else {
        m_calendar.SetValue(date);
        if (!SwitchMonth(m_calendar.Value()))
            return false;
    }
    m_dayView.ShowCalendarDay();
    return true;
}

bool SavePoints::SaveLoadedMonth(const QString &whatNow)
{
    // Without a root the month's file could not even be set aside; the user cannot have written
    // into it, and saving would put an empty month over the file.
    if (!m_month.IsLoaded())
        return true;
    try {
        // Typed text goes with the save; the editor then follows its entry into the month as saved.
        m_dayView.WriteBack();
        const std::optional<QString> open = m_dayView.OpenText();
        const SaveOutcome outcome = m_month.Save();
        m_dayView.ShowSaved(open);
        ReportSaved(outcome);
        return true;
    } catch (const StoreError &error) {
        m_dayView.ReturnToShownDate();
        // Saving already dropped blank entries; the list must not show rows that are gone.
        m_dayView.ListDay();
        m_notices.Error(
            Words::WithDetail(QStringLiteral("「%1」を%2できませんでした。書いた内容は画面に残っています。%3")
                                  .arg(MonthFile::FileName(m_month.Year(), m_month.Month()), Words::Save, whatNow),
                error.message()));
        return false;
    }
}

void SavePoints::ReportSaved(const SaveOutcome &outcome)
{
    // The previous version is a convenience: once is enough to say that it is not being kept.
    if (!outcome.backupSkipped.isEmpty() && !std::exchange(m_toldBackupSkipped, true))
        m_notices.Tell(MessageKind::Action, outcome.backupSkipped);
    const QString name = MonthFile::FileName(m_month.Year(), m_month.Month());
    if (outcome.madeAgain)
        m_notices.Tell(MessageKind::Action,
            QStringLiteral("「%1」は、ほかのコンピューターかプログラムで削除されていたため、この画面の内容で作り直して"
                           "%2しました。この月を消すつもりだったときは、プログラムを終えてから、もう一度削除して"
                           "ください。")
                .arg(name, Words::Save));
    if (!outcome.keptAsidePaths.isEmpty())
        m_notices.Tell(MessageKind::Action,
            Words::WithDetail(QStringLiteral("ほかのプログラムが書き換えた「%1」を読み込めなかったため、それを「%2」"
                                             "として残し、この画面の内容を%3しました。残したファイルは消さずに、"
                                             "中身を確かめてください。")
                                  .arg(name, FileNames(outcome.keptAsidePaths), Words::Save),
                outcome.keptAsideReason));
    if (outcome.conflictPaths.isEmpty())
        return;
    QStringList days;
    for (const int day : outcome.conflictDays)
        days.append(QStringLiteral("%1日").arg(day));
    // A version kept whole without a day to name is one another program put in the month at the very
    // moment of the save.
    const QString differed = days.isEmpty()
        ? QStringLiteral("ある日")
        : QStringLiteral("%1月%2").arg(m_month.Month(), days.join(QStringLiteral("、")));
    m_notices.Tell(MessageKind::Action,
        QStringLiteral("「%1」は、ほかのプログラムでも書き換えられていて、%2は両方で内容が違いました。"
                       "この画面の内容を%3し、%4を「%5」として残しました。見比べて、要る記事を書き写してください。")
            .arg(name, differed, Words::Save, Words::ConflictCopy, FileNames(outcome.conflictPaths)));
}

bool SavePoints::UnsavedWorkSettled(const std::function<bool()> &mayAsk)
{
    m_dayView.WriteBack();
    if (!m_month.HasUnsavedWork(m_dayView.Shown()) || !mayAsk())
        return true;
    switch (AskBeforeQuitting()) {
    case SaveAnswer::SaveAndQuit:
        return SaveLoadedMonth(QStringLiteral("原因を取り除いてから、もう一度終了してください。"));
    case SaveAnswer::QuitWithoutSaving:
        m_journal.Dropped();
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

SaveAnswer SavePoints::AskBeforeQuitting()
{
    // A second request to end, while the user still decides on the first, waits for that answer.
    if (m_asking)
        return SaveAnswer::Cancel;
    const QScopedValueRollback asking(m_asking, true);
    const QString title = QStringLiteral("確認");
    const QString text = QStringLiteral("まだ保存していない変更があります。保存してからおわりますか？");
    return m_question ? m_question(title, text) : AskToSave(&m_window, title, text);
}

bool SavePoints::MayClose()
{
    bool mayClose = m_quitting;
    if (!mayClose)
        m_notices.Guard([&] { mayClose = UnsavedWorkSettled([] { return true; }); });
    return mayClose;
}

void SavePoints::KeepWorkNow()
{
    m_journal.Now();
    m_journal.Flush();
}
