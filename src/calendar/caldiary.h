#pragma once

#include <QDate>
#include <QWidget>
#include <array>

class CalendarGrid;
class QLabel;
class QToolButton;

// The month calendar of the main window. It offers the members the diary relies on and keeps
// their rules: values the program sets raise no notification; every user move to another date,
// also to another month by the calendar's own controls, is a SelectionChanged carrying the new
// date; when one click both changes the selection and counts as a click, SelectionChanged comes
// first. It knows nothing of the diary.
class CalDiary : public QWidget
{
    Q_OBJECT
public:
    // The six weeks are drawn in font; the caption and the arrows derive theirs from it.
    explicit CalDiary(const QFont &font, QWidget *parent = nullptr);
    ~CalDiary() override;

    // Day of month of the selected date.
    int Day() const;
    // Selects that day of the displayed month (clamped to the month's length). Silent.
    void SetDay(int day);
    int Month() const;
    int Year() const;
    QDate Value() const;
    // Selects date and displays its month. Silent.
    void SetValue(const QDate &date);
    // Shows these days of the displayed month bold, beside the days marked before, in this month
    // or another; a day the month does not have marks nothing.
    void MarkDays(const QList<int> &days);
    // The date shown in grid cell index, 1 to 42, row by row from the top-left cell.
    QDate VisibleDays(int index) const;
    // Redraws the calendar with its marks.
    void Refresh();

signals:
    void SelectionChanged(const QDate &first);
    // A click on a day or on a month or year arrow, and a keyboard move into another month, so
    // that the month now shown can get its marks; raised after that move's SelectionChanged.
    void Clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct MonthStep
    {
        QToolButton *button;
        int months;
    };

    void CreateLook(const QFont &font);
    void CreateControls();
    void ConnectControls();
    QToolButton *CreateStepButton(const char *name, const QString &text, const QString &toolTip);
    void ShowValue();
    void MoveByUser(const QDate &date, bool clicked);
    QDate KeyTarget(const QKeyEvent *event) const;

    QDate m_value;
    std::array<MonthStep, 4> m_steps {};
    QLabel *LblCaption = nullptr;
    CalendarGrid *m_grid = nullptr;
};
