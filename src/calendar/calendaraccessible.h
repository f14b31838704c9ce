#pragma once

#include <QAccessibleWidget>
#include <QHash>

class CalendarGrid;

// What assistive tools see of the painted calendar grid: a table of six weeks under a row of
// weekday headers, each day cell named with its full date. Children 0 to 6 are the headers,
// 7 to 48 the day cells row by row; a cell keeps its place (and its identity for the tools)
// while the month changes under it, and its name follows the date shown there. It reports, it
// never selects: the calendar that owns the grid keeps the rules of selection.
class CalendarAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit CalendarAccessible(CalendarGrid *grid);
    ~CalendarAccessible() override;

    // Lets assistive tools see grid as this table and hear of its changes. Qt builds this
    // interface for every calendar grid from the first call on.
    static void Follow(CalendarGrid *grid);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QAccessibleInterface *caption() const override;
    QAccessibleInterface *summary() const override;
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    CalendarGrid *Grid() const;

    mutable QHash<int, QAccessible::Id> m_childIds;
};
