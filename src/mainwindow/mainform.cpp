#include "mainwindow/mainform.h"

#include "calendar/caldiary.h"
#include "listwindow/listform.h"
#include "mainwindow/calendardaysource.h"
#include "mainwindow/editortext.h"
#include "store/diarymonth.h"
#include "base/storeerror.h"
#include "store/textcodec.h"
#include "store/yearmonth.h"
#include "ui/application.h"
#include "ui/failurereport.h"

#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {
const QString ErrorTitle = QStringLiteral("エラー");
const QString NoticeTitle = QStringLiteral("お知らせ");
}

MainForm::MainForm(const QString &directory, Clock today, QWidget *parent)
    : QWidget(parent), m_directory(directory), m_today(std::move(today)), m_sky(devicePixelRatioF())
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Noterra"));
    setWindowIcon(NoterraIcon());
    m_month = new DiaryMonth(this);
    m_month->setObjectName(QStringLiteral("DiaryMonth"));
    CreateControls();
    ConnectControls();
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
    CalDiary_->SetValue(m_today());
    m_shownDate = CalDiary_->Value();
    strYear = YearMonth::YearText(CalDiary_->Year());
    strMonth = YearMonth::MonthText(CalDiary_->Month());
    try {
        LoadMonth(strYear, strMonth);
    } catch (const StoreError &error) {
        // The window opens all the same: the other months can be used, and this one refuses to be
        // edited until its file is dealt with.
        Report(ErrorTitle, error.message());
    }
    ListDay();
}

void MainForm::LoadMonth(const QString &year, const QString &month)
{
    const MonthFile::ReadResult result = m_month->LoadMonth(m_directory, year, month);
    if (result.status != MonthFile::ReadResult::Status::KeptAside)
        return;
    // The notice is modal: behind it the day view shows the month just opened, not the one left.
    ListDay();
    Report(NoticeTitle,
           QStringLiteral("月のファイル「%1」を読み込めなかったため、この月は空の月として開きます。\n\n"
                          "元のファイルは「%2」という名前で同じフォルダーに残してあります。"
                          "書いてあった内容はそのファイルにあるので、消さずに取っておいてください。\n（%3）")
               .arg(MonthFile::FileName(year, month), QFileInfo(result.keptAsidePath).fileName(), result.reason));
}

void MainForm::SaveMonth(const QString &year, const QString &month)
{
    m_month->SaveMonth(m_directory, year, month);
}

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
        return true;
    } catch (const StoreError &error) {
        CalDiary_->SetValue(m_shownDate);
        // Saving already dropped blank entries; the list must not show rows that are gone.
        ListDay();
        Report(ErrorTitle, QStringLiteral("「%1」を保存できませんでした。書いた内容はまだ残っています。%2\n%3")
                               .arg(MonthFile::FileName(strYear, strMonth), whatNow, error.message()));
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
        Report(ErrorTitle, error.message());
        return false;
    }
    strMonth = month;
    strYear = year;
    return true;
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

void MainForm::Guard(const std::function<void()> &handling)
{
    FailureReport::Guarded(handling, [this](const QString &text) { Report(ErrorTitle, text); });
}

void MainForm::ReportUnloadedMonth()
{
    Report(ErrorTitle,
           QStringLiteral("%1年%2月は、月のファイル「%3」を開けなかったため編集できません。何も変えていません。\n"
                          "そのファイルを別の場所へ移すか名前を変えてから、カレンダーでいったんほかの月へ移り、"
                          "この月へ戻ってください。ほかの月はいつもどおり使えます。")
               .arg(strYear, strMonth, MonthFile::FileName(strYear, strMonth)));
}

void MainForm::Report(const QString &title, const QString &text)
{
    // Start-up runs before the window exists on screen; its notices wait for the first show.
    if (!m_shownOnce) {
        m_pending.append({ title, text });
        return;
    }
    if (m_sink)
        m_sink(title, text);
    else
        QMessageBox::warning(this, title, text);
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
    QTimer::singleShot(0, this, [this] {
        const auto pending = std::exchange(m_pending, {});
        for (const auto &[title, text] : pending)
            Report(title, text);
    });
}

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TxtText && event->type() == QEvent::FocusOut)
        Guard([this] { WriteBack(); });
    return QWidget::eventFilter(watched, event);
}
