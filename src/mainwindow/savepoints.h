#pragma once

#include "mainwindow/savequestion.h"
#include "store/month/saveoutcome.h"

#include <QString>
#include <functional>

class CalDiary;
class DayView;
class QDate;
class DiaryMonth;
class QWidget;
class WindowNotices;
class WorkJournal;

// The moments at which the loaded month is written or given up: the switch to another month,
// 保管しておわり, the close of the window and the end of the desktop session. Every way of ending
// with unsaved work goes through one question, and nothing here writes a file unasked.
class SavePoints
{
public:
    using Question = std::function<SaveAnswer(const QString &title, const QString &text)>;

    SavePoints(DiaryMonth &month, CalDiary &calendar, DayView &dayView, WorkJournal &journal, WindowNotices &notices,
        QWidget &window);

    // Loads that month; an unreadable file kept aside is told, over the month just opened.
    void LoadMonth(const QString &year, const QString &month);
    // Saves the loaded month and loads the month of date; false, in the loaded month, when either
    // fails.
    bool SwitchMonth(const QDate &date);
    // Moves the calendar to date and shows that day; another month is reached through the month
    // switch. False when the window stays where it was.
    bool MoveToDate(const QDate &date);
    // Saves the loaded month into its own file; on failure tells the user why and what happens now.
    bool SaveLoadedMonth(const QString &whatNow);
    // Whether the program may end: nothing is unsaved, the user let it go, or it was saved on the
    // user's word. The editor's text counts, even when it has not been written back yet.
    bool UnsavedWorkSettled(const std::function<bool()> &mayAsk);
    // Where the question about unsaved work goes; a message box unless a test replaces it.
    void SetQuestion(Question question) { m_question = std::move(question); }
    // The program is told to quit; the close that follows asks nothing.
    void QuitWithoutAsking() { m_quitting = true; }
    // Whether the window may close now; asks about unsaved work unless the program is quitting.
    bool MayClose();
    // Brings the journal of the unsaved work up to date and waits for the disk, for an end that
    // gives no time to ask. Throws StoreError.
    void KeepWorkNow();

private:
    void ReportSaved(const SaveOutcome &outcome);
    SaveAnswer AskBeforeQuitting();

    DiaryMonth &m_month;
    CalDiary &m_calendar;
    DayView &m_dayView;
    WorkJournal &m_journal;
    WindowNotices &m_notices;
    QWidget &m_window;
    Question m_question;
    bool m_asking = false;
    bool m_quitting = false;
    bool m_toldBackupSkipped = false;
};
