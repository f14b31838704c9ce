#include "mainwindow/mainform.h"

#include "listwindow/listform.h"
#include "mainwindow/caldiary.h"
#include "mainwindow/editortext.h"
#include "store/diarynames.h"
#include "store/monthdocument.h"
#include "store/storeerror.h"
#include "store/textcodec.h"
#include "store/yearmonth.h"
#include "ui/application.h"
#include "ui/failurereport.h"
#include "ui/skypicture.h"

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

MainForm::MainForm(const DiaryFolder &folder, Clock today, QWidget *parent)
    : QWidget(parent), m_folder(folder), m_today(std::move(today))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Noterra"));
    setWindowIcon(NoterraIcon());
    CreateControls();
    ConnectControls();
    Guard([this] { Load(); });
}

MainForm::~MainForm()
{
    // Child widgets are destroyed after this object's members; the editor's last focus-out
    // must not reach a write-back into a document that is already gone.
    TxtText->removeEventFilter(this);
}

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
    const MonthFile::ReadResult result = MonthDocument::LoadMonth(m_state, m_folder, year, month);
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
    const QString backupSkipped = MonthDocument::SaveMonth(m_state, m_folder, year, month).backupSkipped;
    // The previous version is a convenience: once is enough to say that it is not being kept.
    if (!backupSkipped.isEmpty() && !std::exchange(m_toldBackupSkipped, true))
        Report(NoticeTitle, backupSkipped);
}

bool MainForm::MonthIsLoaded() const
{
    // Without a root the month's file could not even be set aside; the user cannot have written
    // into it, and saving would put an empty month over the file.
    return !m_state.xmlDoc.documentElement().isNull();
}

void MainForm::ListDay()
{
    {
        const QSignalBlocker blocker(ListTitle);
        ListTitle->clear();
    }
    TxtText->clear();
    SetEditorOpen(false);
    const std::vector<XmlNode> articles = m_state.xmlDoc.getElementsByTagName(DiaryNames::Article);
    m_state.xmlDay = XmlNode();
    const int day = CalDiary_->Day();
    for (const XmlNode &article : articles) {
        // An ARTICLE whose DATE is no number comes from another tool; it names no day.
        if (MonthDocument::ArticleDay(article) == day) {
            m_state.xmlDay = article;
            ShowTitles();
            return;
        }
    }
}

QString MainForm::MakeTitle(const QString &storedText) const
{
    return TextCodec::MakeTitle(storedText);
}

void MainForm::ShowTitles()
{
    QStringList titles;
    for (const XmlNode &entry : m_state.xmlDay.childNodes())
        titles.append(MakeTitle(entry.text()));
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

XmlNode MainForm::EntryAt(int position) const
{
    if (position < 0 || m_state.xmlDay.isNull())
        return {};
    const std::vector<XmlNode> entries = m_state.xmlDay.childNodes();
    return position < int(entries.size()) ? entries[position] : XmlNode();
}

void MainForm::TitleSelected()
{
    const int position = SelectedIndex();
    if (position < 0) {
        KeepEditedTitleSelected();
        return;
    }
    const XmlNode entry = EntryAt(position);
    if (entry.isNull())
        return;
    m_state.curText = position;
    TxtText->setPlainText(TextCodec::DecodeText(entry.text()));
    SetEditorOpen(true);
}

void MainForm::KeepEditedTitleSelected()
{
    // A click on the list's empty space takes the highlight away; the editor stays with its
    // entry, so the highlight comes back to it.
    if (TxtText->isReadOnly())
        return;
    if (QListWidgetItem *edited = ListTitle->item(m_state.curText)) {
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
    XmlNode entry = EntryAt(position);
    if (TxtText->isReadOnly() || entry.isNull())
        return;
    MonthDocument::SetEntryText(m_state, entry, TextCodec::EncodeText(EditorText::Shown(*TxtText)));
    // Only this row's title changes: a rebuilt list would scroll, and the click that took the
    // focus from the editor would land on another title than the one under the pointer.
    ListTitle->item(position)->setText(MakeTitle(entry.text()));
}

void MainForm::BtnNewClick()
{
    if (!MonthIsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    MonthDocument::AppendEntry(m_state, *CalDiary_);
    TxtText->clear();
    const int position = ListTitle->count();
    ListTitle->addItem(QStringLiteral("<新規>"));
    ListTitle->setCurrentRow(position);
    m_state.curText = position;
    TxtText->setFocus(Qt::OtherFocusReason);
}

void MainForm::BtnDelClick()
{
    if (!MonthIsLoaded()) {
        ReportUnloadedMonth();
        return;
    }
    const XmlNode entry = EntryAt(SelectedIndex());
    if (entry.isNull())
        return;
    MonthDocument::RemoveEntry(m_state, entry);
    TxtText->clear();
    SetEditorOpen(false);
    ShowTitles();
}

bool MainForm::SaveLoadedMonth(const QString &whatNow)
{
    if (!MonthIsLoaded())
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
    int offset = 7;
    for (int cell = 1; cell <= 7; ++cell) {
        if (CalDiary_->VisibleDays(cell).day() == 1) {
            offset = cell - 1;
            break;
        }
    }
    const int daysInMonth = CalDiary_->VisibleDays(offset + 1).daysInMonth();
    for (const XmlNode &article : m_state.xmlDoc.getElementsByTagName(DiaryNames::Article)) {
        if (!article.hasChildNodes())
            continue;
        // A day the displayed month does not have would mark a day of the next month.
        const std::optional<int> day = MonthDocument::ArticleDay(article);
        if (!day || *day < 1 || *day > daysInMonth)
            continue;
        CalDiary_->SetDayBold(CalDiary_->VisibleDays(*day + offset), true);
    }
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

void MainForm::Notify(const QString &text)
{
    Report(NoticeTitle, text);
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
    if (m_background.isNull() || m_background.devicePixelRatio() != SkyPicture::RatioFor(devicePixelRatioF()))
        m_background = SkyPicture::Load(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(0, 0, m_background);
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
