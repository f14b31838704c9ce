#pragma once

#include "mainwindow/savequestion.h"
#include "store/folder/diaryfolder.h"
#include "store/month/monthrow.h"
#include "ui/messagebox.h"
#include "ui/skyloader.h"

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class CalDiary;
class DayView;
class DiaryMonth;
class FolderFollower;
class ListForm;
class ListWindowOwner;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class SavePoints;
class SearchForm;
class SearchWindowOwner;
class WindowNotices;
class WorkJournal;

// The diary's start-up window: calendar, the selected day's titles, the entry editor and four
// buttons. It makes the controls under their design names, builds its parts (the day view, the
// save points and the ending, the following of the folder) and connects them; the loaded month and
// its file are the store's. Every handler runs guarded, so a failure is shown to the user and never
// leaves a slot.
class MainForm : public QWidget
{
    Q_OBJECT
public:
    using Clock = std::function<QDate()>;
    using MessageSink = std::function<void(MessageKind kind, const QString &title, const QString &text)>;
    using SaveQuestion = std::function<SaveAnswer(const QString &title, const QString &text)>;

    explicit MainForm(const DiaryFolder &folder, Clock today = &QDate::currentDate, QWidget *parent = nullptr);
    ~MainForm() override;

    // Shows the titles of the calendar's selected day, none selected, the editor empty.
    void ListDay();
    QString MakeTitle(const QString &storedText) const;

    CalDiary *Calendar() const { return CalDiary_; }
    // Where failures and notices go; a message box unless a test replaces it.
    void SetMessageSink(MessageSink sink);
    // Something the user should know about the diary, told as this window's notices are.
    void Notify(const QString &text);
    // Where the question about unsaved work goes; a message box unless a test replaces it.
    void SetSaveQuestion(SaveQuestion question);
    // The desktop session is ending. Unsaved work is asked about only when allowsInteraction
    // grants it; without that the session ends as if the program were killed. False asks the
    // session to go on: the user chose キャンセル, or the save failed.
    bool SessionMayEnd(const std::function<bool()> &allowsInteraction);
    // The program is told to quit; the close that follows asks nothing.
    void QuitWithoutAsking();
    // A signal ends the program: the work goes to the journal, a failure to do so is told, and the
    // close that follows asks nothing.
    void EndFromOutside();
    // Brings the journal of the unsaved work up to date and waits for the disk, for an end that
    // gives no time to ask (a signal, a lost display). Throws StoreError.
    void KeepWorkNow();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void CreateControls();
    void CreateParts(const DiaryFolder &folder);
    void ConnectControls();
    // Opens the work a run left unsaved, or else today's month.
    void Load();
    // The work of a run that ended without saving, brought back from its journal; false when there
    // is none.
    bool RestoreJournal();
    void BtnListClick();
    // The search window, opened by Ctrl+F here or in the list window, or brought forward.
    void OpenSearch();
    void CalDiarySelectionChange(const QDate &first);

    Clock m_today;
    SkyLoader m_sky;
    // The parts go before the controls they stand on, in the reverse of this order.
    std::unique_ptr<WindowNotices> m_notices;
    std::unique_ptr<DiaryMonth> m_month;
    std::unique_ptr<DayView> m_dayView;
    std::unique_ptr<WorkJournal> m_journal;
    std::unique_ptr<SavePoints> m_savePoints;
    std::unique_ptr<FolderFollower> m_follower;
    std::unique_ptr<ListWindowOwner> m_listOwner;
    QPointer<ListForm> m_listForm;
    std::unique_ptr<SearchWindowOwner> m_searchOwner;
    QPointer<SearchForm> m_searchForm;

    // The calendar keeps its design name as objectName; the member cannot share the class name.
    CalDiary *CalDiary_ = nullptr;
    QListWidget *ListTitle = nullptr;
    QPushButton *BtnNew = nullptr;
    QPlainTextEdit *TxtText = nullptr;
    QLabel *lblListTitle = nullptr;
    QPushButton *BtnEnd = nullptr;
    QPushButton *BtnDel = nullptr;
    QPushButton *BtnList = nullptr;
};
