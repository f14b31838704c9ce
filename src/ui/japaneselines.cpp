#include "ui/japaneselines.h"

#include "ui/japanesebreaks.h"

#include <QFontMetricsF>

namespace JapaneseLines {

namespace {

// Spaces at a line's end take no room: they are where it broke.
qreal InkWidth(const QFontMetricsF &metrics, QStringView line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return metrics.horizontalAdvance(line.toString());
}

// Where the line that starts at start ends within a paragraph that ends at end.
qsizetype LineEnd(const QString &text, qsizetype start, qsizetype end, const QFontMetricsF &metrics, qreal width)
{
    const auto fits
        = [&](qsizetype at) { return InkWidth(metrics, QStringView(text).mid(start, at - start)) <= width; };
    if (fits(end))
        return end;
    qsizetype best = -1;
    for (qsizetype at = start + 1; at < end && fits(at); ++at) {
        if (JapaneseBreaks::MayBreakBefore(text, at))
            best = at;
    }
    if (best > start)
        return best;
    // A word wider than the line: as many characters as fit, and at least one.
    qsizetype at = start + 1;
    while (at < end && !JapaneseBreaks::MayBreakInWord(text, at))
        ++at;
    for (qsizetype next = at + 1; next <= end && fits(next); ++next) {
        if (next == end || JapaneseBreaks::MayBreakInWord(text, next))
            at = next;
    }
    return at;
}

}

QList<Span> Fit(const QString &text, const QFontMetricsF &metrics, qreal width)
{
    QList<Span> lines;
    qsizetype start = 0;
    for (const QStringView paragraph : QStringView(text).split(u'\n')) {
        const qsizetype end = start + paragraph.size();
        qsizetype lineStart = start;
        do {
            const qsizetype lineEnd = LineEnd(text, lineStart, end, metrics, width);
            lines.append({ lineStart, lineEnd - lineStart });
            lineStart = lineEnd;
        } while (lineStart < end);
        start = end + 1;
    }
    return lines;
}

}
