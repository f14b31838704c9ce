#include "store/textcodec.h"

namespace TextCodec {

namespace {

const QChar Backslash = u'\\';
const QChar SmallN = u'n';
const QChar Cr = u'\r';
const QChar Lf = u'\n';

// A line break is stored as these two characters; existing month files rely on it.
const QString Marker = QStringLiteral("\\n");

// A title without a line break keeps 19 characters, not 20; existing lists rely on it.
constexpr qsizetype TitleWithoutBreak = 19;
constexpr qsizetype TitleLimit = 20;

}

QString EncodeText(const QString &displayText)
{
    QString stored;
    stored.reserve(displayText.size());
    for (qsizetype i = 0; i < displayText.size(); ++i) {
        const QChar c = displayText.at(i);
        if (c == Cr && i + 1 < displayText.size() && displayText.at(i + 1) == Lf) {
            stored += Marker;
            ++i;
        } else if (c == Lf) {
            // The editor gives its line breaks as a lone LF.
            stored += Marker;
        } else {
            stored += c;
        }
    }
    return stored;
}

QString DecodeText(const QString &storedText)
{
    QString display;
    display.reserve(storedText.size());
    for (qsizetype i = 0; i < storedText.size(); ++i) {
        if (storedText.at(i) == Backslash && i + 1 < storedText.size() && storedText.at(i + 1) == SmallN) {
            display += Lf;
            ++i;
        } else {
            display += storedText.at(i);
        }
    }
    return display;
}

QString MakeTitle(const QString &storedText)
{
    const qsizetype marker = storedText.indexOf(Marker);
    qsizetype length = marker < 0 ? TitleWithoutBreak : qMin(marker, TitleLimit);
    // A cut between the two halves of a character outside the basic plane would leave half a
    // character on screen; the title ends before it instead.
    if (length > 0 && length < storedText.size() && storedText.at(length - 1).isHighSurrogate())
        --length;
    return storedText.left(length);
}

}
