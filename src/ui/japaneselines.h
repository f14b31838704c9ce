#pragma once

#include <QList>
#include <QString>

class QFontMetricsF;

// Fills lines of a given width with a message at the places JapaneseBreaks allows. A word wider than
// the whole line breaks between any two characters rather than be cut off.
namespace JapaneseLines {

struct Span
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// The lines, each without the line feed that ended it.
QList<Span> Fit(const QString &text, const QFontMetricsF &metrics, qreal width);

}
