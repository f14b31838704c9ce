#include "ui/japanesebreaks.h"

namespace JapaneseBreaks {

namespace {

constexpr QChar WordJoiner(0x2060);
constexpr qsizetype ShortQuote = 12;

bool IsKatakana(QChar c)
{
    // The middle dot separates words; the prolonged sound mark belongs to its word.
    return (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA) || c.unicode() == 0x30FC;
}

// Kanji written together make one word (日記, 保存, 同期); the line breaks before or after it.
bool IsKanji(QChar c)
{
    return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF;
}

bool IsDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19);
}

bool IsUnit(QChar c)
{
    return QStringView(u"年月日時分秒個回行件").contains(c);
}

bool IsSentenceEnd(QChar c)
{
    return QStringView(u"。？！").contains(c);
}

bool IsJapanese(QChar c)
{
    return c.unicode() >= 0x3040 && c.unicode() <= 0x9FFF;
}

// Whether a line may not break between text[at - 1] and text[at].
bool Joined(const QString &text, qsizetype at)
{
    const QChar before = text.at(at - 1);
    const QChar after = text.at(at);
    if (QStringView(u"。、」）』？！").contains(after))
        return true;
    if ((IsKatakana(before) && IsKatakana(after)) || (IsKanji(before) && IsKanji(after)))
        return true;
    // A short quoted word, such as a button's caption, stays whole; a file's long name may break.
    const qsizetype open = text.lastIndexOf(u'「', at - 1);
    if (open >= 0 && text.lastIndexOf(u'」', at - 1) < open) {
        const qsizetype close = text.indexOf(u'」', at);
        if (close >= 0 && close - open <= ShortQuote)
            return true;
    }
    if (IsDigit(before) && IsUnit(after))
        return true;
    // 2026年12月7日: a unit after a number runs on into the next number.
    if (IsUnit(before) && IsDigit(after) && at >= 2 && IsDigit(text.at(at - 2)))
        return true;
    // The last characters of a sentence go with its end (ください。), so that no lone kana ends a line.
    for (qsizetype end = at + 1; end <= at + 3 && end < text.size(); ++end) {
        if (IsSentenceEnd(text.at(end)))
            return IsJapanese(before) && IsJapanese(after);
    }
    return false;
}

}

QString Kept(const QString &text)
{
    QString kept;
    kept.reserve(text.size() + text.size() / 4);
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (at > 0 && Joined(text, at))
            kept.append(WordJoiner);
        kept.append(text.at(at));
    }
    return kept;
}

}
