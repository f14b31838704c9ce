#include "mainwindow/mainform.h"

#include "calendar/caldiary.h"
#include "listwindow/listform.h"
#include "mainwindow/dayview.h"
#include "mainwindow/folderfollower.h"
#include "mainwindow/listwindowowner.h"
#include "mainwindow/savepoints.h"
#include "mainwindow/searchwindowowner.h"
#include "mainwindow/windownotices.h"
#include "searchwindow/searchform.h"
#include "store/journal/workjournal.h"
#include "store/journalfiles/journalcontent.h"
#include "store/month/diarymonth.h"
#include "store/text/textcodec.h"
#include "store/text/yearmonth.h"
#include "ui/application.h"
#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

MainForm::MainForm(const DiaryFolder &folder, Clock today, QWidget *parent)
    : QWidget(parent)
    , m_today(std::move(today))
    , m_sky(devicePixelRatioF())
    , m_notices(std::make_unique<WindowNotices>(*this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Noterra"));
    setWindowIcon(NoterraIcon());
    CreateControls();
    CreateParts(folder);
    ConnectControls();
    m_notices->Guard([this] { Load(); });
}

MainForm::~MainForm()
{
    // Each goes before what it stands on: the other windows before the owners they ask through,
    // the parts in the reverse of their making, the journal before the month it reads, and the
    // month before the controls, which go with the window.
    delete m_searchForm;
    delete m_listForm;
    m_searchOwner.reset();
    m_listOwner.reset();
    m_follower.reset();
    m_savePoints.reset();
    delete m_journal;
    m_dayView.reset();
    delete m_month;
    m_notices.reset();
}

void MainForm::CreateParts(const DiaryFolder &folder)
{
    m_month = new DiaryMonth(folder, this);
    m_month->setObjectName(QStringLiteral("DiaryMonth"));
    m_dayView = std::make_unique<DayView>(*m_month, *CalDiary_, *ListTitle, *TxtText, *m_notices);
    m_journal = new WorkJournal(*m_month, this);
    m_savePoints = std::make_unique<SavePoints>(*m_month, *CalDiary_, *m_dayView, *m_journal, *m_notices, *this);
    m_follower = std::make_unique<FolderFollower>(*m_month, *m_dayView, *m_notices);
    m_listOwner = std::make_unique<ListWindowOwner>(*m_month, *m_savePoints, *m_notices, [this] { OpenSearch(); });
    m_searchOwner = std::make_unique<SearchWindowOwner>(*m_month, *m_dayView, *m_savePoints, *m_notices, *TxtText);
}

void MainForm::ConnectControls()
{
    connect(ListTitle, &QListWidget::itemSelectionChanged, this,
        [this] { m_notices->Guard([this] { m_dayView->TitleSelected(); }); });
    connect(BtnNew, &QPushButton::clicked, this, [this] { m_notices->Guard([this] { m_dayView->AddEntry(); }); });
    connect(BtnDel, &QPushButton::clicked, this, [this] { m_notices->Guard([this] { m_dayView->RemoveEntry(); }); });
    connect(BtnEnd, &QPushButton::clicked, this, [this] {
        m_notices->Guard([this] {
            if (m_savePoints->SaveLoadedMonth(
                    QStringLiteral("原因を取り除いてから、もう一度「保管しておわり」を押してください。")))
                close();
        });
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
        [this] { m_notices->Guard([this] { OpenSearch(); }); });
    connect(BtnList, &QPushButton::clicked, this, [this] { m_notices->Guard([this] { BtnListClick(); }); });
    connect(CalDiary_, &CalDiary::SelectionChanged, this,
        [this](const QDate &first) { m_notices->Guard([this, first] { CalDiarySelectionChange(first); }); });
    connect(CalDiary_, &CalDiary::Clicked, this, [this] { m_notices->Guard([this] { m_dayView->MarkDays(); }); });
    connect(m_dayView.get(), &DayView::Typed, m_journal, &WorkJournal::Typed);
    connect(m_dayView.get(), &DayView::DayShown, m_journal, &WorkJournal::Follow);
    connect(m_journal, &WorkJournal::Failed, this, [this](const QString &reason) {
        m_notices->TellUnasked(MessageKind::Action,
            Words::WithDetail(QStringLiteral("%1を書けませんでした。いまプログラムが急に終わると、%2していない内容は"
                                             "失われます。ほかの月へ移るか「保管しておわり」で%2すれば、"
                                             "そこまでの内容は守られます。")
                                  .arg(Words::Journal, Words::Save),
                reason));
    });
}

void MainForm::Load()
{
    // A save cut off between its renames is put right first, so that the month the journal's work
    // goes into is the one the work was written against.
    m_follower->RemoveLeftovers();
    bool restored = false;
    try {
        restored = RestoreJournal();
    } catch (const StoreError &error) {
        // The journal stays where it is; the diary opens as on any other day.
        m_notices->Error(error.message());
    }
    if (!restored) {
        CalDiary_->SetValue(m_today());
        try {
            m_savePoints->LoadMonth(YearMonth::YearText(CalDiary_->Year()), YearMonth::MonthText(CalDiary_->Month()));
        } catch (const StoreError &error) {
            // The window opens all the same: the other months can be used, and this one refuses to be
            // edited until its file is dealt with.
            m_notices->Tell(MessageKind::Action, error.message());
        }
        m_dayView->ShowCalendarDay();
    }
    m_follower->FollowFolder();
}

bool MainForm::RestoreJournal()
{
    const JournalPlace::Found found = m_journal->Find();
    for (const QString &notice : found.notices)
        m_notices->Tell(MessageKind::Action, notice);
    if (!found.content)
        return false;
    const JournalContent &work = *found.content;
    const QDate first(work.year.toInt(), work.month.toInt(), 1);
    CalDiary_->SetValue(first.addDays(std::min(work.day, first.daysInMonth()) - 1));
    m_month->Restore(work);
    m_journal->Adopt(found.path);
    m_dayView->ShowCalendarDay();
    m_dayView->OpenRestored(work);
    // Work written in another folder (a copy of the diary, a folder moved) is named by where it was
    // written, so that the user can tell whether it belongs here.
    const QString where = found.writtenFor.isEmpty()
        ? QString()
        : QStringLiteral("この内容は、フォルダー「%1」の日記で書いていたものです。").arg(found.writtenFor);
    m_notices->Tell(MessageKind::Notice,
        QStringLiteral("前回は、%4する前にプログラムが終わりました。そのとき書いていた%1年%2月の内容を元に戻し、"
                       "%3日を開いています。%5まだ%4していないので、いつもどおりほかの月へ移るか"
                       "「保管しておわり」で%4してください。")
            .arg(m_month->Year(), m_month->Month(), QString::number(m_dayView->ShownDate().day()), Words::Save, where));
    return true;
}

void MainForm::ListDay()
{
    m_dayView->ListDay();
}

QString MainForm::MakeTitle(const QString &storedText) const
{
    return TextCodec::MakeTitle(storedText);
}

void MainForm::BtnListClick()
{
    if (m_listForm) {
        m_listForm->raise();
        m_listForm->activateWindow();
        return;
    }
    m_listForm = new ListForm(m_listOwner.get(), this);
    m_listForm->show();
}

void MainForm::OpenSearch()
{
    // Made at the first Ctrl+F, so that nothing is read for searching before.
    if (!m_searchForm) {
        m_searchForm = new SearchForm(m_searchOwner.get(), m_month->Folder().Path(), this);
        connect(m_month, &DiaryMonth::Saved, m_searchForm, &SearchForm::SearchAgain);
        connect(m_month, &DiaryMonth::Loaded, m_searchForm, &SearchForm::SearchAgain);
    }
    m_searchForm->Reopen();
}

void MainForm::CalDiarySelectionChange(const QDate &first)
{
    if (!YearMonth::IsSameMonth(first, m_month->Year(), m_month->Month())
        && !m_savePoints->SwitchMonth(CalDiary_->Value()))
        return;
    m_dayView->ShowCalendarDay();
}

void MainForm::SetMessageSink(MessageSink sink)
{
    m_notices->SetSink(std::move(sink));
}

void MainForm::Notify(const QString &text)
{
    m_notices->TellUnasked(MessageKind::Notice, text);
}

void MainForm::SetSaveQuestion(SaveQuestion question)
{
    m_savePoints->SetQuestion(std::move(question));
}

bool MainForm::SessionMayEnd(const std::function<bool()> &allowsInteraction)
{
    bool mayEnd = false;
    m_notices->Guard([&] { mayEnd = m_savePoints->UnsavedWorkSettled(allowsInteraction); });
    return mayEnd;
}

void MainForm::QuitWithoutAsking()
{
    m_savePoints->QuitWithoutAsking();
}

void MainForm::EndFromOutside()
{
    m_notices->Guard([this] { KeepWorkNow(); });
    QuitWithoutAsking();
}

void MainForm::KeepWorkNow()
{
    m_savePoints->KeepWorkNow();
}

void MainForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_sky.For(devicePixelRatioF()));
}

void MainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_notices->WindowShown();
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (!m_savePoints->MayClose()) {
        event->ignore();
        return;
    }
    if (m_listForm)
        m_listForm->close();
    // Ended by a signal or with the session, the work waits in the journal for the next start;
    // saved, dropped or untouched, the journal goes.
    m_notices->Guard([this] { KeepWorkNow(); });
    QWidget::closeEvent(event);
}

void MainForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        m_notices->Guard([this] { m_follower->FollowFolder(); });
    else
        m_notices->Guard([this] { m_journal->Now(); });
}
