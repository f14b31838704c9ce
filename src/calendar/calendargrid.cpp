#include "calendar/calendargrid.h"

#include "calendar/calendarrange.h"
#include "calendar/japaneseholidays.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int RowCount = CalendarRange::CellCount / CalendarRange::ColumnCount;

// Sundays and holidays red and Saturdays blue, as Japanese calendars print them.
const QColor SundayColour(0xc0, 0x1c, 0x1c);
const QColor SaturdayColour(0x1c, 0x44, 0xc0);
const QColor OtherMonthColour(0xa0, 0xa0, 0xa0);
const QColor OutOfRangeColour(0xdc, 0xdc, 0xdc);
const QColor TodayColour(0xe0, 0x80, 0x00);
const QColor HeaderFill(0xe8, 0xee, 0xf6);

int ColumnOf(const QDate &date)
{
    return date.dayOfWeek() % CalendarRange::ColumnCount;
}

}

CalendarGrid::CalendarGrid(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CalendarGrid::ShowDate(const QDate &selected)
{
    const int previousIndex = SelectedIndex();
    const QDate previousFirst = m_firstCell;
    m_selected = selected;
    m_firstCell = CalendarRange::FirstCell(selected);
    update();
    if (m_firstCell != previousFirst) {
        m_holidays = JapaneseHolidays::Between(m_firstCell, m_firstCell.addDays(CalendarRange::CellCount - 1));
        emit CellsRenamed();
    }
    emit SelectionMoved(previousIndex);
    if (m_focusShown)
        emit CellFocused();
}

void CalendarGrid::SetFocusShown(bool shown)
{
    m_focusShown = shown;
    update();
    // Qt announces the calendar itself as focused once its focus-in is handled; the day cell's
    // focus comes after that, so that a screen reader ends on the selected date.
    if (shown) {
        QTimer::singleShot(0, this, [this] {
            if (m_focusShown)
                emit CellFocused();
        });
    }
}

void CalendarGrid::Mark(const QDate &date)
{
    if (m_marks.contains(date))
        return;
    m_marks.insert(date);
    update();
    emit CellDescribed(int(m_firstCell.daysTo(date)) + 1);
}

int CalendarGrid::SelectedIndex() const
{
    return m_selected.isValid() ? int(m_firstCell.daysTo(m_selected)) + 1 : 0;
}

bool CalendarGrid::IsMarked(const QDate &date) const
{
    return m_marks.contains(date);
}

QDate CalendarGrid::CellDate(int index) const
{
    if (index < 1 || index > CalendarRange::CellCount)
        return {};
    return m_firstCell.addDays(index - 1);
}

QRect CalendarGrid::CellRect(int index) const
{
    if (index < 1 || index > CalendarRange::CellCount)
        return {};
    const int column = (index - 1) % CalendarRange::ColumnCount;
    const int row = (index - 1) / CalendarRange::ColumnCount;
    return QRect(QPoint(ColumnEdge(column), RowEdge(row)), QPoint(ColumnEdge(column + 1) - 1, RowEdge(row + 1) - 1));
}

QRect CalendarGrid::HeaderRect(int column) const
{
    return QRect(QPoint(ColumnEdge(column), 0), QPoint(ColumnEdge(column + 1) - 1, HeaderHeight() - 2));
}

QString CalendarGrid::WeekdayCaption(int column)
{
    // QLocale numbers the days from Monday (1) to Sunday (7).
    const int dayOfWeek = column == 0 ? 7 : column;
    return QLocale(QLocale::Japanese, QLocale::Japan).dayName(dayOfWeek, QLocale::NarrowFormat);
}

QString CalendarGrid::DateName(const QDate &date)
{
    const QString weekday = QLocale(QLocale::Japanese, QLocale::Japan).dayName(date.dayOfWeek(), QLocale::LongFormat);
    const QString name
        = QStringLiteral("%1年%2月%3日 %4").arg(date.year()).arg(date.month()).arg(date.day()).arg(weekday);
    const QString holiday = JapaneseHolidays::Name(date);
    return holiday.isEmpty() ? name : name + u' ' + holiday;
}

QString CalendarGrid::MonthCaption(const QDate &date)
{
    return QStringLiteral("%1年%2月").arg(date.year()).arg(date.month());
}

bool CalendarGrid::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const int index = CellAt(help->pos());
    const QString holiday = m_holidays.value(CellDate(index));
    if (holiday.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), holiday, this, CellRect(index));
    }
    return true;
}

void CalendarGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    PaintHeader(painter);
    const QDate today = QDate::currentDate();
    for (int index = 1; index <= CalendarRange::CellCount; ++index)
        PaintCell(painter, index, today);
}

void CalendarGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QDate date = CellDate(CellAt(event->position().toPoint()));
    if (CalendarRange::Contains(date))
        emit DatePressed(date);
}

int CalendarGrid::HeaderHeight() const
{
    return fontMetrics().height() + 3;
}

int CalendarGrid::ColumnEdge(int column) const
{
    return column * width() / CalendarRange::ColumnCount;
}

int CalendarGrid::RowEdge(int row) const
{
    const int top = HeaderHeight();
    return top + row * (height() - top) / RowCount;
}

int CalendarGrid::CellAt(const QPoint &pos) const
{
    for (int index = 1; index <= CalendarRange::CellCount; ++index) {
        if (CellRect(index).contains(pos))
            return index;
    }
    return 0;
}

QColor CalendarGrid::DayColour(const QDate &date) const
{
    if (!CalendarRange::Contains(date))
        return OutOfRangeColour;
    if (date.month() != m_selected.month())
        return OtherMonthColour;
    if (m_holidays.contains(date))
        return SundayColour;
    return WeekdayColour(ColumnOf(date));
}

QColor CalendarGrid::WeekdayColour(int column) const
{
    switch (column) {
    case 0:
        return SundayColour;
    case CalendarRange::ColumnCount - 1:
        return SaturdayColour;
    default:
        return palette().color(QPalette::Text);
    }
}

void CalendarGrid::PaintHeader(QPainter &painter) const
{
    const int bottom = HeaderHeight();
    painter.fillRect(QRect(0, 0, width(), bottom - 1), HeaderFill);
    painter.setPen(OtherMonthColour);
    painter.drawLine(0, bottom - 1, width() - 1, bottom - 1);
    for (int column = 0; column < CalendarRange::ColumnCount; ++column) {
        painter.setPen(WeekdayColour(column));
        painter.drawText(HeaderRect(column), Qt::AlignCenter, WeekdayCaption(column));
    }
}

void CalendarGrid::PaintCell(QPainter &painter, int index, const QDate &today) const
{
    const QDate date = CellDate(index);
    const QRect cell = CellRect(index);
    const bool selected = date == m_selected;
    if (selected) {
        QColor fill = palette().color(QPalette::Highlight);
        if (!m_focusShown)
            fill.setAlpha(70);
        painter.fillRect(cell, fill);
    }
    if (date == today) {
        painter.setPen(TodayColour);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    QFont dayFont = font();
    dayFont.setBold(m_marks.contains(date));
    painter.setFont(dayFont);
    painter.setPen(selected && m_focusShown ? palette().color(QPalette::HighlightedText) : DayColour(date));
    painter.drawText(cell, Qt::AlignCenter, QString::number(date.day()));
}
