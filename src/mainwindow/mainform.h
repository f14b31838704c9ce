#pragma once

#include "listwindow/listowner.h"
#include "mainwindow/savequestion.h"
#include "searchwindow/searchowner.h"
#include "store/diaryfolder.h"
#include "ui/messagebox.h"
#include "ui/preparedsky.h"

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class CalDiary;
class DiaryMonth;
class FolderWatcher;
class WorkJournal;
struct JournalContent;
class JournalSnapshot;
class ListForm;
class SearchForm;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TypingPause;

// The diary's start-up window: calendar, the selected day's titles, the entry editor and four
// buttons. It holds the loaded month and decides when it is written; the file work itself is
// the store's. Every handler runs guarded, so a failure is shown to the user and never leaves
// a slot.
class MainForm : public QWidget, public ListOwner, public SearchOwner
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
    // Moves the calendar to date and shows that day; another month is reached through the
    // ordinary month switch, which saves the month being left.
    void ShowDate(const QDate &date) override;

    CalDiary *Calendar() const { return CalDiary_; }
    std::vector<MonthRow> LoadedRows() const override;
    QString LoadedYear() const override { return strYear; }
    QString LoadedMonth() const override { return strMonth; }
    // Where failures and notices go; a message box unless a test replaces it.
    void SetMessageSink(MessageSink sink);
    // Something the user should know about the diary, told as this window's notices are.
    void Notify(const QString &text);
    // Runs a handling so that a failure is reported like any of this window's and never leaves
    // the slot; the list window's handlers run through it too.
    void Guard(const std::function<void()> &handling) override;
    // Where the question about unsaved work goes; a message box unless a test replaces it.
    void SetSaveQuestion(SaveQuestion question);
    // The desktop session is ending. Unsaved work is asked about only when allowsInteraction
    // grants it; without that the session ends as if the program were killed. False asks the
    // session to go on: the user chose キャンセル, or the save failed.
    bool SessionMayEnd(const std::function<bool()> &allowsInteraction);
    // The program is told to quit; the close that follows asks nothing.
    void QuitWithoutAsking() { m_quitting = true; }
    // Brings the journal of the unsaved work up to date and waits for the disk, for an end that
    // gives no time to ask (a signal, a lost display). Throws StoreError.
    void KeepWorkNow();

    // The search window, opened by Ctrl+F here or in the list window, or brought forward.
    void OpenSearch() override;
    std::optional<ShownMonth> SearchedMonth() const override;
    bool OpenEntry(const QDate &date, int position, int matchBegin, int matchLength) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void CreateJournal();
    void ConnectControls();
    void ConnectSearch();
    void Load();
    void LoadToday();
    // The work of a run that ended without saving, brought back from its journal; false when there
    // is none.
    bool RestoreJournal();
    void ShowRestoredWork(const JournalContent &work);
    // What the journal keeps: the month's unsaved state and the editor's text, or none.
    std::optional<JournalSnapshot> UnsavedWork() const;
    // The month's changes, or text typed into the editor and not yet written back.
    bool HasUnsavedWork() const;
    // Temporary files of saves that were cut off, left beside the months.
    void RemoveLeftovers();
    void LoadMonth(const QString &year, const QString &month);
    void SaveMonth(const QString &year, const QString &month);
    // Follows what other programs do to the diary's folder: the lock's copies go, the loaded month
    // is read again, new copies of months are named. Watched while the program runs, and looked at
    // when the window is activated.
    void CreateWatcher();
    void FollowFolder();
    // The loaded month is read again when another program changed its file, the new file can be
    // read and nothing is unsaved.
    void FollowChangesElsewhere();
    // Sync tools' copies of months beside the month files, each named once: those there at start,
    // then each as it appears.
    void ReportConflictCopies();
    QString DescribeConflictCopy(const QString &name) const;
    // Saves the loaded month into its own file; on failure tells the user why and what happens now.
    bool SaveLoadedMonth(const QString &whatNow);
    // Whether the program may end: nothing is unsaved, the user let it go, or it was saved on the
    // user's word. The editor's text counts, even when it has not been written back yet.
    bool UnsavedWorkSettled(const std::function<bool()> &mayAsk);
    SaveAnswer AskBeforeQuitting();
    void ShowTitles();
    void TitleSelected();
    void KeepEditedTitleSelected();
    // The editor is writable exactly while it stands for the highlighted title; its hint shows
    // only while it is not.
    void SetEditorOpen(bool open);
    void WriteBack();
    void BtnNewClick();
    void BtnDelClick();
    void BtnEndClick();
    void BtnListClick();
    void CalDiarySelectionChange(const QDate &first);
    void CalDiaryClick();
    bool SwitchMonth();
    void MarkDays();
    int SelectedIndex() const;
    // What answers the user's own action, shown at once.
    void Report(MessageKind kind, const QString &text);
    // What comes of itself (the journal, other programs): shown once typing rests.
    void Tell(MessageKind kind, const QString &text);
    // Start-up's messages, one window for all.
    void ReportPending();
    // 新規 and 削除 in a month whose file could not be loaded: nothing would ever be saved.
    void ReportUnloadedMonth();

    DiaryMonth *m_month = nullptr;
    WorkJournal *m_journal = nullptr;
    FolderWatcher *m_watcher = nullptr;
    QStringList m_namedCopies;
    QString strYear;
    QString strMonth;
    DiaryFolder m_folder;
    Clock m_today;
    MessageSink m_sink;
    SaveQuestion m_question;
    bool m_asking = false;
    bool m_quitting = false;
    bool m_shownOnce = false;
    bool m_toldBackupSkipped = false;
    QList<QPair<MessageKind, QString>> m_pending;
    TypingPause *m_typingPause = nullptr;
    // The date whose day the window shows; the calendar goes back to it when a switch fails.
    QDate m_shownDate;
    PreparedSky m_sky;
    QPointer<ListForm> m_listForm;
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
