#include "ui/japanesebreaks.h"

#include <array>

namespace JapaneseBreaks {

namespace {

constexpr qsizetype ShortQuote = 12;
constexpr qsizetype LongWord = 20;
// Kana words that go with the word after them.
constexpr std::array<QStringView, 6> Prefixes = { u"この", u"その", u"あの", u"どの", u"お", u"ご" };
// Verbs that help a て-form and start a phrase of their own.
constexpr std::array<QStringView, 13> Helpers = { u"ください", u"おい", u"おく", u"おき", u"いる", u"いま", u"いた",
    u"いな", u"しま", u"ある", u"あり", u"みて", u"みる" };
// Endings of a phrase: polite and negative forms, and particles of more than one kana.
constexpr std::array<QStringView, 18> Endings = { u"ください", u"ません", u"ました", u"ます", u"です", u"でした",
    u"から", u"まで", u"ので", u"ため", u"ても", u"には", u"では", u"とは", u"ずに", u"ように", u"ながら", u"けれど" };

bool IsHiragana(QChar c)
{
    return c.unicode() >= 0x3041 && c.unicode() <= 0x309E;
}

bool IsKatakana(QChar c)
{
    // The middle dot separates words; the prolonged sound mark belongs to its word.
    return (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA) || c.unicode() == 0x30FC;
}

// Kanji written together make one word (日記, 保存, 同期); 々 repeats the one before it.
bool IsKanji(QChar c)
{
    return (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) || c.unicode() == 0x3005;
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
    return c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF;
}

bool IsSpace(QChar c)
{
    return c == u' ' || c.unicode() == 0x3000;
}

// A word a phrase is built on: a kana ending or a particle clings to it.
bool IsStem(QChar c)
{
    return IsKanji(c) || IsKatakana(c) || IsDigit(c);
}

// What no line may start with: closing punctuation, small kana and marks that belong to the kana before.
bool StartsNoLine(QChar c)
{
    return QStringView(
        u"。、，．」』）】〕〉》？！：；ー・ゝゞぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ),:;!?]}")
        .contains(c);
}

// What no line may end with: opening brackets.
bool EndsNoLine(QChar c)
{
    return QStringView(u"「『（【〔〈《([{").contains(c);
}

bool InShortQuote(const QString &text, qsizetype at)
{
    const qsizetype open = text.lastIndexOf(u'「', at - 1);
    if (open < 0 || text.lastIndexOf(u'」', at - 1) > open)
        return false;
    const qsizetype close = text.indexOf(u'」', at);
    return close >= 0 && close - open <= ShortQuote;
}

// A run of Latin letters, digits and signs is one word; a path, or a word as long as a file name,
// breaks after each / and before a . or -, so that it wraps where it is easiest to read on.
bool PathBreak(const QString &text, qsizetype at)
{
    const auto inWord = [](QChar c) { return !IsSpace(c) && !IsJapanese(c) && c != u'\n'; };
    qsizetype start = at;
    while (start > 0 && inWord(text.at(start - 1)))
        --start;
    qsizetype end = at;
    while (end < text.size() && inWord(text.at(end)))
        ++end;
    const QStringView word = QStringView(text).mid(start, end - start);
    if (!word.contains(u'/') && !word.contains(u'\\') && word.size() < LongWord)
        return false;
    const QChar before = text.at(at - 1), after = text.at(at);
    if (before == u'/' || before == u'\\')
        return true;
    return (after == u'.' || after == u'-') && !QStringView(u"/\\.-").contains(before);
}

// Two kana a phrase ends between: after an ending (ます, ください, から) or a particle, before a word
// that starts a phrase of its own, and after a て-form before the verb that helps it (取って/おいて).
bool PhraseEnds(const QString &text, qsizetype at)
{
    qsizetype start = at;
    while (start > 0 && IsHiragana(text.at(start - 1)))
        --start;
    const QStringView head = QStringView(text).mid(start, at - start);
    const QStringView tail = QStringView(text).mid(at);
    if (head.endsWith(u'て') || head.endsWith(u'で')) {
        for (const QStringView helper : Helpers) {
            if (tail.startsWith(helper))
                return true;
        }
    }
    // Kana that continue a word or cling to the phrase before them.
    if (QStringView(u"かがはをにでのもとへやねよばんすしただてるれりらうずぁぃぅぇぉっゃゅょゎ").contains(tail.front()))
        return false;
    for (const QStringView ending : Endings) {
        if (head.endsWith(ending))
            return true;
    }
    // を and は are particles wherever they stand; the others only right after the word they follow,
    // since も in もう or の in この belong to the word.
    const bool afterStem = start > 0 && (IsStem(text.at(start - 1)) || text.at(start - 1) == u'」');
    return head.endsWith(u'を') || head.endsWith(u'は')
        || (afterStem && head.size() == 1 && QStringView(u"がにでとのもへ").contains(head.front()));
}

// Kana that belong to the word after them: お and ご (ご確認), この and its kin (この月).
bool PrefixOf(const QString &text, qsizetype at)
{
    const QStringView run = QStringView(text).left(at);
    return std::any_of(Prefixes.begin(), Prefixes.end(), [run](QStringView prefix) { return run.endsWith(prefix); });
}

bool WordsJoined(const QString &text, qsizetype at)
{
    const QChar before = text.at(at - 1), after = text.at(at);
    if ((IsKatakana(before) && IsKatakana(after)) || (IsKanji(before) && IsKanji(after)))
        return true;
    if (IsDigit(before) && (IsDigit(after) || IsUnit(after)))
        return true;
    // 2026年12月7日: a unit after a number runs on into the next number.
    if (IsUnit(before) && IsDigit(after) && at >= 2 && IsDigit(text.at(at - 2)))
        return true;
    // A stem keeps its kana ending and its particles (置けません, 日記を).
    return (IsStem(before) && IsHiragana(after)) || (IsHiragana(before) && IsStem(after) && PrefixOf(text, at));
}

// The last character of a sentence goes with its end, so that no lone kana ends a line.
bool BeforeSentenceEnd(const QString &text, qsizetype at)
{
    return at + 1 < text.size() && IsSentenceEnd(text.at(at + 1)) && IsJapanese(text.at(at));
}

}

bool MayBreakInWord(const QString &text, qsizetype at)
{
    return !text.at(at).isLowSurrogate() && !StartsNoLine(text.at(at)) && !EndsNoLine(text.at(at - 1));
}

bool MayBreakBefore(const QString &text, qsizetype at)
{
    const QChar before = text.at(at - 1), after = text.at(at);
    if (before == u'\n' || after == u'\n')
        return true;
    if (IsSpace(after) || StartsNoLine(after) || EndsNoLine(before) || InShortQuote(text, at))
        return false;
    if (IsSpace(before))
        return true;
    if (!IsJapanese(before) && !IsJapanese(after))
        return PathBreak(text, at);
    if (WordsJoined(text, at) || BeforeSentenceEnd(text, at))
        return false;
    if (IsHiragana(before) && IsHiragana(after))
        return PhraseEnds(text, at);
    return true;
}

}
