#pragma once

#include "ui/japaneselines.h"

#include <QWidget>

// A message's text as the box shows it: lines broken where Japanese breaks them, while the text
// itself stays the sentence as written, so that what the user selects and copies, and what a screen
// reader reads, carries nothing the user did not see. It lays out to one width and never clips.
class MessageText : public QWidget
{
    Q_OBJECT

public:
    explicit MessageText(const QString &text, QWidget *parent = nullptr);

    // Lays the text out for a width and takes the height its lines need.
    void SetLineWidth(qreal width);
    // The width of its longest paragraph on one line.
    qreal NaturalWidth() const;
    QList<JapaneseLines::Span> Lines() const { return m_lines; }
    QString SelectedText() const;
    // The selection, or the whole text when nothing is selected, to the clipboard.
    void Copy() const;
    void SelectAll();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    qsizetype PositionAt(const QPointF &point) const;
    qreal XOf(const JapaneseLines::Span &line, qsizetype position) const;

    QString m_text;
    QList<JapaneseLines::Span> m_lines;
    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
};
