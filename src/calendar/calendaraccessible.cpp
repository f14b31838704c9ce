#include "calendar/calendaraccessible.h"

#include "calendar/calendarcellaccessible.h"
#include "calendar/calendargrid.h"
#include "calendar/calendarrange.h"

namespace {

constexpr int RowCount = CalendarRange::CellCount / CalendarRange::ColumnCount;

QAccessibleInterface *CreateForGrid(const QString &className, QObject *object)
{
    if (className == QLatin1String(CalendarGrid::staticMetaObject.className()) && object->isWidgetType())
        return new CalendarAccessible(static_cast<CalendarGrid *>(object));
    return nullptr;
}

int ChildOfDay(int dayIndex)
{
    return CalendarCellAccessible::HeaderCount + dayIndex - 1;
}

void Notify(CalendarGrid *grid, int childIndex, QAccessible::Event type)
{
    // Without a listener Qt drops the event anyway; the cells are then not even built.
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleInterface *cell = table ? table->child(childIndex) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent event(cell, type);
    QAccessible::updateAccessibility(&event);
}

void SelectionMoved(CalendarGrid *grid, int previousIndex)
{
    const int current = grid->SelectedIndex();
    if (previousIndex >= 1 && previousIndex != current)
        Notify(grid, ChildOfDay(previousIndex), QAccessible::SelectionRemove);
    if (current >= 1)
        Notify(grid, ChildOfDay(current), QAccessible::SelectionAdd);
}

void CellFocused(CalendarGrid *grid)
{
    if (grid->SelectedIndex() >= 1)
        Notify(grid, ChildOfDay(grid->SelectedIndex()), QAccessible::Focus);
}

void CellsRenamed(CalendarGrid *grid)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent tableEvent(grid, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&tableEvent);
    for (int index = 1; index <= CalendarRange::CellCount; ++index) {
        Notify(grid, ChildOfDay(index), QAccessible::NameChanged);
        Notify(grid, ChildOfDay(index), QAccessible::DescriptionChanged);
    }
}

void CellDescribed(CalendarGrid *grid, int index)
{
    if (index >= 1)
        Notify(grid, ChildOfDay(index), QAccessible::DescriptionChanged);
}

}

CalendarAccessible::CalendarAccessible(CalendarGrid *grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{
}

CalendarAccessible::~CalendarAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_childIds))
        QAccessible::deleteAccessibleInterface(id);
}

void CalendarAccessible::Follow(CalendarGrid *grid)
{
    static const bool installed = [] {
        QAccessible::installFactory(&CreateForGrid);
        return true;
    }();
    Q_UNUSED(installed);
    QObject::connect(
        grid, &CalendarGrid::SelectionMoved, grid, [grid](int previousIndex) { SelectionMoved(grid, previousIndex); });
    QObject::connect(grid, &CalendarGrid::CellFocused, grid, [grid] { CellFocused(grid); });
    QObject::connect(grid, &CalendarGrid::CellsRenamed, grid, [grid] { CellsRenamed(grid); });
    QObject::connect(grid, &CalendarGrid::CellDescribed, grid, [grid](int index) { CellDescribed(grid, index); });
}

CalendarGrid *CalendarAccessible::Grid() const
{
    return static_cast<CalendarGrid *>(widget());
}

void *CalendarAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString CalendarAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
        return CalendarGrid::MonthCaption(Grid()->SelectedDate());
    return QAccessibleWidget::text(type);
}

int CalendarAccessible::childCount() const
{
    return CalendarCellAccessible::HeaderCount + CalendarRange::CellCount;
}

QAccessibleInterface *CalendarAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    // Tools keep a cell by its identity, so each place gets one interface for the grid's life.
    const auto known = m_childIds.constFind(index);
    if (known != m_childIds.constEnd())
        return QAccessible::accessibleInterface(*known);
    auto *cell = new CalendarCellAccessible(Grid(), index);
    m_childIds.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int CalendarAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *cell = dynamic_cast<const CalendarCellAccessible *>(child);
    return cell && cell->Grid() == Grid() ? cell->ChildIndex() : -1;
}

QAccessibleInterface *CalendarAccessible::childAt(int x, int y) const
{
    const QPoint local = Grid()->mapFromGlobal(QPoint(x, y));
    for (int column = 0; column < CalendarRange::ColumnCount; ++column) {
        if (Grid()->HeaderRect(column).contains(local))
            return child(column);
    }
    const int index = Grid()->CellAt(local);
    return index >= 1 ? child(ChildOfDay(index)) : nullptr;
}

QAccessibleInterface *CalendarAccessible::caption() const
{
    return nullptr;
}

QAccessibleInterface *CalendarAccessible::summary() const
{
    return nullptr;
}

QAccessibleInterface *CalendarAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= RowCount || column < 0 || column >= CalendarRange::ColumnCount)
        return nullptr;
    return child(ChildOfDay(row * CalendarRange::ColumnCount + column + 1));
}

int CalendarAccessible::selectedCellCount() const
{
    return Grid()->SelectedIndex() >= 1 ? 1 : 0;
}

QList<QAccessibleInterface *> CalendarAccessible::selectedCells() const
{
    const int index = Grid()->SelectedIndex();
    if (index < 1)
        return {};
    return { child(ChildOfDay(index)) };
}

QString CalendarAccessible::columnDescription(int column) const
{
    if (column < 0 || column >= CalendarRange::ColumnCount)
        return {};
    return CalendarGrid::WeekdayCaption(column);
}

QString CalendarAccessible::rowDescription(int) const
{
    return {};
}

int CalendarAccessible::selectedColumnCount() const
{
    return 0;
}

int CalendarAccessible::selectedRowCount() const
{
    return 0;
}

int CalendarAccessible::columnCount() const
{
    return CalendarRange::ColumnCount;
}

int CalendarAccessible::rowCount() const
{
    return RowCount;
}

QList<int> CalendarAccessible::selectedColumns() const
{
    return {};
}

QList<int> CalendarAccessible::selectedRows() const
{
    return {};
}

bool CalendarAccessible::isColumnSelected(int) const
{
    return false;
}

bool CalendarAccessible::isRowSelected(int) const
{
    return false;
}

// Only the calendar selects, one day at a time, by its own rules; tools cannot select rows or columns.
bool CalendarAccessible::selectRow(int)
{
    return false;
}

bool CalendarAccessible::selectColumn(int)
{
    return false;
}

bool CalendarAccessible::unselectRow(int)
{
    return false;
}

bool CalendarAccessible::unselectColumn(int)
{
    return false;
}

void CalendarAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // The grid has no item model: its rows and columns never change, and what a cell shows is
    // announced by the grid as it changes.
}
