#include "searchwindow/searchresultdelegate.h"

#include "searchwindow/searchresultmodel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int Margin = 4;
constexpr int TitleGap = 12;
const QColor MarkColour(0xff, 0xe8, 0x80);

// One line of text from left, cut where width ends; formats mark some of it.
void DrawLine(QPainter *painter, const QString &text, const QFont &font, const QPointF &topLeft, qreal width,
    const QList<QTextLayout::FormatRange> &formats = {})
{
    QTextLayout layout(text, font, painter->device());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(qMax<qreal>(0, width));
    layout.endLayout();
    if (line.isValid())
        line.draw(painter, topLeft);
}

}

void SearchResultDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    painter->save();
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics metrics(option.font);
    const QRect area = option.rect.adjusted(Margin, Margin / 2, -Margin, -Margin / 2);
    const QString date = index.data(SearchResultModel::DateRole).toString();
    DrawLine(painter, date, option.font, area.topLeft(), area.width());
    QFont bold = option.font;
    bold.setBold(true);
    const int titleLeft = metrics.horizontalAdvance(date) + TitleGap;
    DrawLine(painter, index.data(SearchResultModel::TitleRole).toString(), bold,
        QPointF(area.left() + titleLeft, area.top()), area.width() - titleLeft);

    QTextCharFormat marked;
    marked.setFontWeight(QFont::Bold);
    if (!selected) {
        marked.setBackground(MarkColour);
        marked.setForeground(option.palette.color(group, QPalette::Text));
    }
    QList<QTextLayout::FormatRange> formats;
    for (const QPoint &mark : index.data(SearchResultModel::MarksRole).value<QList<QPoint>>())
        formats.append({ mark.x(), mark.y(), marked });
    DrawLine(painter, index.data(SearchResultModel::LineRole).toString(), option.font,
        QPointF(area.left(), area.top() + metrics.lineSpacing()), area.width(), formats);
    painter->restore();
}

QSize SearchResultDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics metrics(option.font);
    return QSize(option.rect.width(), 2 * metrics.lineSpacing() + Margin);
}
