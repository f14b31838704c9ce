#pragma once

#include <QStyledItemDelegate>

// Draws a found entry in two lines: its date and title, then the line around the first word found
// with the words found in bold on a marker colour. Each line is cut where the row ends, at a
// character, never through one.
class SearchResultDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
