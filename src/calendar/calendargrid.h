#pragma once

#include <QDate>
#include <QMap>
#include <QSet>
#include <QWidget>

class QPainter;

// The painted part of the month calendar: the weekday header and six weeks of day cells. It
// shows the month of the date it is given, holidays red like Sundays and named in the tooltip,
// and reports which selectable date was pressed; the rules of selection and notification belong
// to the calendar that owns it. What assistive tools must hear of its changes it only signals;
// how they are told is the accessible side's.
class CalendarGrid : public QWidget
{
    Q_OBJECT
public:
    explicit CalendarGrid(QWidget *parent = nullptr);

    // Shows the month of selected with that day highlighted.
    void ShowDate(const QDate &selected);
    // The selection is drawn solid while the calendar has the keyboard focus, faint otherwise.
    void SetFocusShown(bool shown);
    // Draws date bold from now on, in whatever month shows it.
    void Mark(const QDate &date);
    bool IsMarked(const QDate &date) const;
    QDate SelectedDate() const { return m_selected; }
    // The cell of the selected date, 1 to 42; 0 before a date is shown.
    int SelectedIndex() const;
    bool FocusShown() const { return m_focusShown; }
    // The date drawn in cell index, 1 to 42 row by row from the top-left; invalid outside that.
    QDate CellDate(int index) const;
    QRect CellRect(int index) const;
    // The cell at pos, 1 to 42; 0 outside the day cells.
    int CellAt(const QPoint &pos) const;
    QRect HeaderRect(int column) const;
    // Column 0 is Sunday.
    static QString WeekdayCaption(int column);
    // "2026年12月7日 月曜日": what tells two cells showing the same day number apart; a holiday's
    // name follows, "2026年11月3日 火曜日 文化の日", for those who cannot see it drawn red.
    static QString DateName(const QDate &date);
    static QString MonthCaption(const QDate &date);

signals:
    void DatePressed(const QDate &date);
    // The selection left the cell at previousIndex (1 to 42, or 0 for none) for the selected
    // date's cell.
    void SelectionMoved(int previousIndex);
    // The keyboard focus is on the selected date's cell.
    void CellFocused();
    // Another month is shown: every day cell now stands for another date.
    void CellsRenamed();
    // The mark of the day cell at index changed; an index outside 1 to 42 is a date not shown.
    void CellDescribed(int index);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int HeaderHeight() const;
    int ColumnEdge(int column) const;
    int RowEdge(int row) const;
    QColor DayColour(const QDate &date) const;
    QColor WeekdayColour(int column) const;
    void PaintHeader(QPainter &painter) const;
    void PaintCell(QPainter &painter, int index, const QDate &today) const;

    QDate m_selected;
    QDate m_firstCell;
    QSet<QDate> m_marks;
    // The holidays among the dates shown, found once per month shown rather than per paint.
    QMap<QDate, QString> m_holidays;
    bool m_focusShown = false;
};
