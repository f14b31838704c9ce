#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class CalendarGrid;

// One cell of the calendar grid as assistive tools see it: a weekday header or a day. A day cell
// is named with the full date it shows and described as having entries when that day is marked.
class CalendarCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    // One weekday header per column comes before the day cells among the table's children.
    static constexpr int HeaderCount = 7;

    // childIndex as the table counts its children: headers first, then the day cells.
    CalendarCellAccessible(CalendarGrid *grid, int childIndex);

    int ChildIndex() const { return m_childIndex; }
    CalendarGrid *Grid() const { return m_grid; }

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override;
    int columnIndex() const override;
    int rowIndex() const override;
    int columnExtent() const override;
    int rowExtent() const override;
    QAccessibleInterface *table() const override;

private:
    bool IsHeader() const;
    // 1 to 42 for a day cell, as the grid numbers them.
    int DayIndex() const;

    QPointer<CalendarGrid> m_grid;
    int m_childIndex;
};
