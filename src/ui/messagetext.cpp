#include "ui/messagetext.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A screen reader reads it as text, as it does a label.
QAccessibleInterface *TextAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("MessageText"))
        return nullptr;
    return new QAccessibleWidget(qobject_cast<QWidget *>(object), QAccessible::StaticText);
}

}

MessageText::MessageText(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
{
    // Before the name is set: setting it makes the interface, once a screen reader listens.
    static const bool accessible = (QAccessible::installFactory(TextAccessible), true);
    Q_UNUSED(accessible);
    setAccessibleName(text);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::IBeamCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void MessageText::SetLineWidth(qreal width)
{
    const QFontMetricsF metrics(font());
    m_lines = JapaneseLines::Fit(m_text, metrics, width);
    setFixedSize(qCeil(width), qCeil(metrics.lineSpacing() * qreal(m_lines.size())));
    update();
}

qreal MessageText::NaturalWidth() const
{
    const QFontMetricsF metrics(font());
    qreal widest = 0;
    for (const QStringView paragraph : QStringView(m_text).split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(paragraph.toString()));
    return widest;
}

QString MessageText::SelectedText() const
{
    const auto [from, to] = std::minmax(m_anchor, m_cursor);
    return m_text.mid(from, to - from);
}

void MessageText::Copy() const
{
    const QString selected = SelectedText();
    QApplication::clipboard()->setText(selected.isEmpty() ? m_text : selected);
}

void MessageText::SelectAll()
{
    m_anchor = 0;
    m_cursor = m_text.size();
    update();
}

qreal MessageText::XOf(const JapaneseLines::Span &line, qsizetype position) const
{
    const qsizetype length = std::clamp(position - line.start, qsizetype(0), line.length);
    return QFontMetricsF(font()).horizontalAdvance(m_text.mid(line.start, length));
}

qsizetype MessageText::PositionAt(const QPointF &point) const
{
    if (m_lines.isEmpty())
        return 0;
    const qreal spacing = QFontMetricsF(font()).lineSpacing();
    const auto row = std::clamp(qsizetype(point.y() / spacing), qsizetype(0), m_lines.size() - 1);
    const JapaneseLines::Span &line = m_lines.at(row);
    qsizetype nearest = line.start;
    for (qsizetype at = line.start + 1; at <= line.start + line.length; ++at) {
        if (std::abs(XOf(line, at) - point.x()) < std::abs(XOf(line, nearest) - point.x()))
            nearest = at;
    }
    return nearest;
}

void MessageText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    const auto [from, to] = std::minmax(m_anchor, m_cursor);
    qreal top = 0;
    for (const JapaneseLines::Span &line : m_lines) {
        const qreal baseline = top + metrics.ascent();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QPointF(0, baseline), m_text.mid(line.start, line.length));
        const qsizetype selectedFrom = std::max(from, line.start);
        const qsizetype selectedTo = std::min(to, line.start + line.length);
        if (selectedFrom < selectedTo) {
            const qreal left = XOf(line, selectedFrom);
            painter.fillRect(QRectF(left, top, XOf(line, selectedTo) - left, metrics.lineSpacing()),
                palette().color(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
            painter.drawText(QPointF(left, baseline), m_text.mid(selectedFrom, selectedTo - selectedFrom));
        }
        top += metrics.lineSpacing();
    }
}

void MessageText::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_anchor = m_cursor = PositionAt(event->position());
    update();
}

void MessageText::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    m_cursor = PositionAt(event->position());
    update();
}

void MessageText::mouseDoubleClickEvent(QMouseEvent *)
{
    SelectAll();
}

void MessageText::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy))
        Copy();
    else if (event->matches(QKeySequence::SelectAll))
        SelectAll();
    else
        QWidget::keyPressEvent(event);
}
