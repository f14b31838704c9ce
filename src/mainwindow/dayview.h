#pragma once

#include "store/month/shownwork.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <optional>

class CalDiary;
class DiaryMonth;
class QListWidget;
class QPlainTextEdit;
class WindowNotices;
struct JournalContent;

// The day view: the titles of the calendar's selected day, the entry in the editor, and the edits
// on them, written back into the loaded month. It owns no control: the main window makes them and
// keeps their design names. It never saves the month and never switches it.
class DayView : public QObject
{
    Q_OBJECT
public:
    DayView(DiaryMonth &month, CalDiary &calendar, QListWidget &titles, QPlainTextEdit &editor, WindowNotices &notices,
        QObject *parent = nullptr);

    // Shows the titles of the calendar's selected day, none selected, the editor empty.
    void ListDay();
    // The calendar's day becomes the day shown.
    void ShowCalendarDay();
    // The calendar goes back to the day shown, after a month switch that did not happen.
    void ReturnToShownDate();
    QDate ShownDate() const { return m_shownDate; }
    // The day shown and the editor's entry and text as the user sees them.
    ShownWork Shown() const;
    // Shows the day afresh after the month took another program's version, with the entry that was
    // open still open at openEntry (or none): the editor keeps the focus, the place of its cursor and
    // the user's way of reading; only a text rewritten elsewhere changes under it.
    void ShowFollowed(int openEntry);
    // The stored text of the entry open in the editor, or none.
    std::optional<QString> OpenText() const;
    // Shows the day after a save, which drops blank entries and may merge another program's version
    // of the day: the open entry stays open where that text now stands, and an entry dropped as blank
    // is no longer open, so that the editor never stands for another entry that took its place.
    void ShowSaved(const std::optional<QString> &openText);
    // Opens, in the day listed, the entry that was open when a journal's work was left, with the
    // editor's text then.
    void OpenRestored(const JournalContent &work);
    void TitleSelected();
    // Writes the editor's text into its entry, when the editor stands for one.
    void WriteBack();
    void AddEntry();
    void RemoveEntry();
    void MarkDays();
    // Opens the day's entry at position with length characters from begin selected; false when the
    // day has no such entry.
    bool SelectMatch(int position, int begin, int length);

signals:
    // The user typed into the editor.
    void Typed();
    // The view shows a day afresh.
    void DayShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowTitles();
    // Lists the month's selected day with the entry at position open, the editor keeping its focus
    // and cursor; its text changes only when the entry's did.
    void ReopenAt(int position);
    void KeepEditedTitleSelected();
    // The editor is writable exactly while it stands for the highlighted title; its hint shows
    // only while it is not.
    void SetEditorOpen(bool open);
    int SelectedIndex() const;
    // 新規 and 削除 in a month whose file could not be loaded: nothing would ever be saved.
    void ReportUnloadedMonth();

    DiaryMonth &m_month;
    CalDiary &m_calendar;
    QListWidget &m_titles;
    QPlainTextEdit &m_editor;
    WindowNotices &m_notices;
    // The date whose day the window shows; the calendar goes back to it when a switch fails.
    QDate m_shownDate;
};
