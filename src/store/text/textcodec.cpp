#include "store/text/textcodec.h"

#include "store/xml/xmldom.h"

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

// Whether the character at i, with the next one when they are a surrogate pair, is one a month
// file can hold; i then steps over the pair.
bool StorableAt(const QString &text, qsizetype &i)
{
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        ++i;
        return true;
    }
    return XmlCanCarry(text.at(i).unicode());
}

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
        } else if (const qsizetype at = i; StorableAt(displayText, i)) {
            stored += QStringView(displayText).sliced(at, i - at + 1);
        } else {
            stored += QChar(QChar::ReplacementCharacter);
        }
    }
    return stored;
}

QStringList UnstorableCharacters(const QString &displayText)
{
    QStringList found;
    for (qsizetype i = 0; i < displayText.size(); ++i) {
        const QString name
            = QStringLiteral("U+%1").arg(uint(displayText.at(i).unicode()), 4, 16, QLatin1Char('0')).toUpper();
        if (!StorableAt(displayText, i) && !found.contains(name))
            found.append(name);
    }
    return found;
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
