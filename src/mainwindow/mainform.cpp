#include "mainwindow/mainform.h"

#include "base/storeerror.h"
#include "base/words.h"
#include "calendar/caldiary.h"
#include "listwindow/listform.h"
#include "mainwindow/workjournal.h"
#include "store/diarymonth.h"
#include "store/folderwatcher.h"
#include "store/yearmonth.h"
#include "ui/application.h"
#include "ui/failurereport.h"
#include "ui/typingpause.h"

#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

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

MainForm::MainForm(const DiaryFolder &folder, Clock today, QWidget *parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_today(std::move(today))
    , m_sky(devicePixelRatioF())
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Noterra"));
    setWindowIcon(NoterraIcon());
    m_month = new DiaryMonth(this);
    m_month->setObjectName(QStringLiteral("DiaryMonth"));
    m_typingPause = new TypingPause(this);
    CreateControls();
    CreateJournal();
    CreateWatcher();
    ConnectControls();
    ConnectSearch();
    Guard([this] { Load(); });
}

MainForm::~MainForm() = default;

void MainForm::ConnectControls()
{
    TxtText->installEventFilter(this);
    connect(ListTitle, &QListWidget::itemSelectionChanged, this, [this] { Guard([this] { TitleSelected(); }); });
    connect(BtnNew, &QPushButton::clicked, this, [this] { Guard([this] { BtnNewClick(); }); });
    connect(BtnDel, &QPushButton::clicked, this, [this] { Guard([this] { BtnDelClick(); }); });
    connect(BtnEnd, &QPushButton::clicked, this, [this] { Guard([this] { BtnEndClick(); }); });
    connect(BtnList, &QPushButton::clicked, this, [this] { Guard([this] { BtnListClick(); }); });
    connect(CalDiary_, &CalDiary::SelectionChanged, this,
        [this](const QDate &first) { Guard([this, first] { CalDiarySelectionChange(first); }); });
    connect(CalDiary_, &CalDiary::Clicked, this, [this] { Guard([this] { CalDiaryClick(); }); });
}

void MainForm::Load()
{
    bool restored = false;
    try {
        restored = RestoreJournal();
    } catch (const StoreError &error) {
        // The journal stays where it is; the diary opens as on any other day.
        Report(MessageKind::Failure, error.message());
    }
    RemoveLeftovers();
    if (!restored)
        LoadToday();
    FollowFolder();
}

void MainForm::LoadToday()
{
    CalDiary_->SetValue(m_today());
    m_shownDate = CalDiary_->Value();
    strYear = YearMonth::YearText(CalDiary_->Year());
    strMonth = YearMonth::MonthText(CalDiary_->Month());
    try {
        LoadMonth(strYear, strMonth);
    } catch (const StoreError &error) {
        // The window opens all the same: the other months can be used, and this one refuses to be
        // edited until its file is dealt with.
        Report(MessageKind::Action, error.message());
    }
    ListDay();
}

void MainForm::LoadMonth(const QString &year, const QString &month)
{
    const MonthFile::ReadResult result = m_month->LoadMonth(m_folder, year, month);
    if (result.status != MonthFile::ReadResult::Status::KeptAside)
        return;
    // The notice is modal: behind it the day view shows the month just opened, not the one left.
    ListDay();
    Report(MessageKind::Action,
        Words::WithDetail(QStringLiteral("「%1」を読み込めなかったため、この月は空の月として開きます。"
                                         "元のファイルは「%2」として同じフォルダーに残してあるので、"
                                         "消さずに取っておいてください。")
                              .arg(MonthFile::FileName(year, month), QFileInfo(result.keptAsidePath).fileName()),
            result.reason));
}

void MainForm::SaveMonth(const QString &year, const QString &month)
{
    const MonthDocument::SaveOutcome outcome = m_month->SaveMonth(m_folder, year, month);
    // The previous version is a convenience: once is enough to say that it is not being kept.
    if (!outcome.backupSkipped.isEmpty() && !std::exchange(m_toldBackupSkipped, true))
        Report(MessageKind::Action, outcome.backupSkipped);
    const QString name = MonthFile::FileName(year, month);
    if (!outcome.keptAsidePaths.isEmpty())
        Report(MessageKind::Action,
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
    const QString differed = days.isEmpty() ? QStringLiteral("ある日")
                                            : QStringLiteral("%1月%2").arg(month, days.join(QStringLiteral("、")));
    Report(MessageKind::Action,
        QStringLiteral("「%1」は、ほかのプログラムでも書き換えられていて、%2は両方で内容が違いました。"
                       "この画面の内容を%3し、%4を「%5」として残しました。見比べて、要る記事を書き写してください。")
            .arg(name, differed, Words::Save, Words::ConflictCopy, FileNames(outcome.conflictPaths)));
}

bool MainForm::SaveLoadedMonth(const QString &whatNow)
{
    // Without a root the month's file could not even be set aside; the user cannot have written
    // into it, and saving would put an empty month over the file.
    if (!m_month->IsLoaded())
        return true;
    try {
        // The document belongs to the month it was loaded for and goes into that month's file.
        SaveMonth(strYear, strMonth);
        m_journal->Saved();
        return true;
    } catch (const StoreError &error) {
        CalDiary_->SetValue(m_shownDate);
        // Saving already dropped blank entries; the list must not show rows that are gone.
        ListDay();
        m_journal->Now();
        Report(MessageKind::Failure,
            Words::WithDetail(QStringLiteral("「%1」を%2できませんでした。書いた内容は画面に残っています。%3")
                                  .arg(MonthFile::FileName(strYear, strMonth), Words::Save, whatNow),
                error.message()));
        return false;
    }
}

void MainForm::BtnListClick()
{
    if (m_listForm) {
        m_listForm->raise();
        m_listForm->activateWindow();
        return;
    }
    m_listForm = new ListForm(this, this);
    m_listForm->show();
}

void MainForm::CalDiarySelectionChange(const QDate &first)
{
    if (!YearMonth::IsSameMonth(first, strYear, strMonth) && !SwitchMonth())
        return;
    m_shownDate = CalDiary_->Value();
    ListDay();
    m_journal->Now();
}

bool MainForm::SwitchMonth()
{
    // Stay in the loaded month when it cannot be saved: its work must not give way to another.
    if (!SaveLoadedMonth(QStringLiteral("この月にとどまります。")))
        return false;
    const QString year = YearMonth::YearText(CalDiary_->Year());
    const QString month = YearMonth::MonthText(CalDiary_->Month());
    try {
        LoadMonth(year, month);
    } catch (const StoreError &error) {
        // The month being left was just saved, so going back to it loses nothing.
        CalDiary_->SetValue(m_shownDate);
        LoadMonth(strYear, strMonth);
        ListDay();
        Report(MessageKind::Action, error.message());
        return false;
    }
    strMonth = month;
    strYear = year;
    m_watcher->WatchMonth(MonthFile::FilePath(m_folder.Path(), strYear, strMonth));
    return true;
}

void MainForm::ShowDate(const QDate &date)
{
    Guard([this, date] {
        if (YearMonth::IsSameMonth(date, strYear, strMonth)) {
            CalDiary_->SetDay(date.day());
        } else {
            CalDiary_->SetValue(date);
            if (!SwitchMonth())
                return;
        }
        m_shownDate = CalDiary_->Value();
        ListDay();
    });
}

void MainForm::SetMessageSink(MessageSink sink)
{
    m_sink = std::move(sink);
}

void MainForm::Notify(const QString &text)
{
    Tell(MessageKind::Notice, text);
}

void MainForm::Guard(const std::function<void()> &handling)
{
    FailureReport::Guarded(handling, [this](const QString &text) { Report(MessageKind::Failure, text); });
}

void MainForm::Report(MessageKind kind, const QString &text)
{
    // Start-up runs before the window exists on screen; its notices wait for the first show.
    if (!m_shownOnce) {
        m_pending.append({ kind, text });
        return;
    }
    const QString title = kind == MessageKind::Failure ? QStringLiteral("エラー") : QStringLiteral("お知らせ");
    if (m_sink)
        m_sink(kind, title, text);
    else
        MessageBox::Show(this, kind, title, text);
}

void MainForm::Tell(MessageKind kind, const QString &text)
{
    m_typingPause->Run([this, kind, text] { Report(kind, text); });
}

void MainForm::ReportPending()
{
    const auto pending = std::exchange(m_pending, {});
    if (pending.isEmpty())
        return;
    // One window, with the icon of its weightiest part: a row of boxes at start is closed unread.
    MessageKind kind = MessageKind::Notice;
    QStringList texts;
    for (const auto &[each, text] : pending) {
        kind = std::max(kind, each);
        texts.append(text);
    }
    Report(kind, texts.join(QStringLiteral("\n\n")));
}

void MainForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_sky.For(devicePixelRatioF()));
}

void MainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    QTimer::singleShot(0, this, [this] { ReportPending(); });
}

void MainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        Guard([this] { FollowFolder(); });
    else
        Guard([this] { m_journal->Now(); });
}

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TxtText && event->type() == QEvent::FocusOut)
        Guard([this] { WriteBack(); });
    return QWidget::eventFilter(watched, event);
}
