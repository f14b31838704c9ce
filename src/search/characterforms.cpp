#include "search/characterforms.h"

#include "search/kanjivariants.h"
#include "search/textfold.h"

#include <memory>

namespace CharacterForms {

namespace {

constexpr char16_t WaveDash = 0x301C;
constexpr char16_t FirstKatakana = 0x30A1;
constexpr char16_t LastKatakana = 0x30F6;
constexpr char16_t KatakanaToHiragana = 0x60;

// The characters the fold looks around: the stored line break and other line breaks, voiced sound
// marks, the characters that take no room, the iteration marks, and the ヶ and が of place names.
constexpr char16_t ContextCharacters[]
    = { u'\\', u'\n', u'\r', 0x3099, 0x309A, 0x309B, 0x309C, 0xFF9E, 0xFF9F, 0x200B, 0x200C, 0x200D, 0x2060, 0xFEFF,
          0x3005, 0x303B, 0x309D, 0x309E, 0x30FD, 0x30FE, 0x30F6, 0x30B1, 0x30F5, 0x304C, 0x30AC };

// Beyond the BMP, only these blocks have compatibility forms a diary may hold: mathematical letters
// and digits, enclosed letters and ideographs, and compatibility ideographs.
constexpr std::pair<char32_t, char32_t> CompatibleBeyond[]
    = { { 0x1D400, 0x1D7FF }, { 0x1F100, 0x1F2FF }, { 0x2F800, 0x2FA1F } };

char16_t KanaAndCase(char16_t c)
{
    // ヽ and ヾ are the katakana iteration marks.
    if ((c >= FirstKatakana && c <= LastKatakana) || c == 0x30FD || c == 0x30FE)
        c -= KatakanaToHiragana;
    const auto folded = char16_t(QChar::toCaseFolded(char32_t(c)));
    return folded == TextFold::Separator ? char16_t(QChar::ReplacementCharacter) : folded;
}

QString Folded(char32_t c)
{
    if (c == u'\t')
        return QStringLiteral(" ");
    // Converters of Shift_JIS disagree whether 0x8160 is the wave dash or the full-width tilde.
    if (c == WaveDash)
        return QStringLiteral("~");
    const QHash<char32_t, char32_t> &variants = KanjiVariants::SearchedAs();
    QString folded;
    for (const char32_t unit : QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC).toUcs4()) {
        const char32_t form = variants.value(unit, unit);
        if (QChar::requiresSurrogates(form))
            folded += QString::fromUcs4(&form, 1);
        else
            folded += QChar(KanaAndCase(char16_t(form)));
    }
    return folded;
}

std::unique_ptr<Forms> Make()
{
    auto forms = std::make_unique<Forms>();
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString folded = Folded(c);
        if (folded.size() == 1)
            forms->single[c] = folded.at(0).unicode();
        else
            forms->expanded.insert(char16_t(c), folded);
    }
    for (const char16_t c : ContextCharacters)
        forms->single[c] = Context;
    const auto addBeyond = [&forms](char32_t c) {
        const QString folded = Folded(c);
        if (folded != QString::fromUcs4(&c, 1))
            forms->beyond.insert(c, folded);
    };
    for (const auto &[first, last] : CompatibleBeyond) {
        for (char32_t c = first; c <= last; ++c)
            addBeyond(c);
    }
    for (auto variant = KanjiVariants::SearchedAs().keyBegin(); variant != KanjiVariants::SearchedAs().keyEnd();
         ++variant) {
        if (QChar::requiresSurrogates(*variant))
            addBeyond(*variant);
    }
    return forms;
}

}

const Forms &Get()
{
    static const std::unique_ptr<Forms> forms = Make();
    return *forms;
}

}
