#include "calendar/calendarcellaccessible.h"

#include "calendar/calendargrid.h"
#include "calendar/calendarrange.h"

#include <QWidget>
#include <QWindow>

CalendarCellAccessible::CalendarCellAccessible(CalendarGrid *grid, int childIndex)
    : m_grid(grid)
    , m_childIndex(childIndex)
{
}

bool CalendarCellAccessible::isValid() const
{
    return !m_grid.isNull();
}

QObject *CalendarCellAccessible::object() const
{
    return nullptr;
}

QWindow *CalendarCellAccessible::window() const
{
    return m_grid ? m_grid->window()->windowHandle() : nullptr;
}

QAccessibleInterface *CalendarCellAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_grid.get());
}

QAccessibleInterface *CalendarCellAccessible::child(int) const
{
    return nullptr;
}

int CalendarCellAccessible::childCount() const
{
    return 0;
}

int CalendarCellAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *CalendarCellAccessible::childAt(int, int) const
{
    return nullptr;
}

QString CalendarCellAccessible::text(QAccessible::Text type) const
{
    if (!m_grid)
        return {};
    if (IsHeader())
        return type == QAccessible::Name ? CalendarGrid::WeekdayCaption(columnIndex()) : QString();
    const QDate date = m_grid->CellDate(DayIndex());
    switch (type) {
    case QAccessible::Name:
        return CalendarGrid::DateName(date);
    case QAccessible::Description:
        return m_grid->IsMarked(date) ? QStringLiteral("記事あり") : QString();
    default:
        return {};
    }
}

void CalendarCellAccessible::setText(QAccessible::Text, const QString &) { }

QRect CalendarCellAccessible::rect() const
{
    if (!m_grid)
        return {};
    const QRect local = IsHeader() ? m_grid->HeaderRect(columnIndex()) : m_grid->CellRect(DayIndex());
    return QRect(m_grid->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role CalendarCellAccessible::role() const
{
    return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State CalendarCellAccessible::state() const
{
    QAccessible::State state;
    if (!m_grid || IsHeader())
        return state;
    const bool selected = m_grid->SelectedIndex() == DayIndex();
    state.selectable = true;
    state.focusable = true;
    state.selected = selected;
    state.focused = selected && m_grid->FocusShown();
    state.disabled = !CalendarRange::Contains(m_grid->CellDate(DayIndex()));
    return state;
}

void *CalendarCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface && !IsHeader())
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

bool CalendarCellAccessible::isSelected() const
{
    return m_grid && m_grid->SelectedIndex() == DayIndex();
}

QList<QAccessibleInterface *> CalendarCellAccessible::columnHeaderCells() const
{
    QAccessibleInterface *grid = parent();
    QAccessibleInterface *header = grid ? grid->child(columnIndex()) : nullptr;
    if (!header)
        return {};
    return { header };
}

QList<QAccessibleInterface *> CalendarCellAccessible::rowHeaderCells() const
{
    return {};
}

int CalendarCellAccessible::columnIndex() const
{
    return IsHeader() ? m_childIndex : (DayIndex() - 1) % CalendarRange::ColumnCount;
}

int CalendarCellAccessible::rowIndex() const
{
    return IsHeader() ? -1 : (DayIndex() - 1) / CalendarRange::ColumnCount;
}

int CalendarCellAccessible::columnExtent() const
{
    return 1;
}

int CalendarCellAccessible::rowExtent() const
{
    return 1;
}

QAccessibleInterface *CalendarCellAccessible::table() const
{
    return parent();
}

bool CalendarCellAccessible::IsHeader() const
{
    return m_childIndex < HeaderCount;
}

int CalendarCellAccessible::DayIndex() const
{
    return m_childIndex - HeaderCount + 1;
}
