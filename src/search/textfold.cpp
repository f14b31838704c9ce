#include "search/textfold.h"

#include <array>
#include <memory>

namespace TextFold {

namespace {

using Table = std::array<char16_t, 0x10000>;

constexpr char16_t IdeographicSpace = 0x3000;
constexpr char16_t WaveDash = 0x301C;
constexpr char16_t FirstKatakana = 0x30A1;
constexpr char16_t LastKatakana = 0x30F6;
constexpr char16_t KatakanaToHiragana = 0x60;
constexpr char16_t FirstWidthForm = 0xFF00;
constexpr char16_t LastWidthForm = 0xFFEF;
constexpr char16_t VoicedMark = 0x309B;
constexpr char16_t SemiVoicedMark = 0x309C;
// What the table gives for a character that folds by what stands around it. No character folds to
// it: it is the separator between entries.
constexpr char16_t SpecialCharacter = Separator;

bool IsVoicedMark(char16_t c)
{
    return c == 0x3099 || c == VoicedMark || c == 0xFF9E;
}

// The half-width and full-width forms fold by their compatibility mapping, where it is one character.
char16_t Narrowed(char16_t c)
{
    if (c == IdeographicSpace || c == u'\t')
        return u' ';
    // Converters of Shift_JIS disagree whether 0x8160 is the wave dash or the full-width tilde.
    if (c == WaveDash)
        return u'~';
    if (c < FirstWidthForm || c > LastWidthForm)
        return c;
    const QString compatible = QString(QChar(c)).normalized(QString::NormalizationForm_KC);
    return compatible.size() == 1 ? compatible.at(0).unicode() : c;
}

char16_t Hiragana(char16_t c)
{
    if (c >= FirstKatakana && c <= LastKatakana)
        return c - KatakanaToHiragana;
    // The iteration marks ヽ and ヾ.
    if (c == 0x30FD || c == 0x30FE)
        return c - KatakanaToHiragana;
    return c;
}

std::unique_ptr<Table> MakeTable()
{
    auto table = std::make_unique<Table>();
    for (char32_t c = 0; c < 0x10000; ++c) {
        const auto unit = char16_t(c);
        if (QChar::isSurrogate(c)) {
            (*table)[c] = unit;
            continue;
        }
        const char16_t folded = char16_t(QChar::toCaseFolded(char32_t(Hiragana(Narrowed(unit)))));
        (*table)[c] = folded == Separator ? char16_t(QChar::ReplacementCharacter) : folded;
    }
    for (const char16_t c : { u'\\', u'\n', u'\r', u'\u3099', u'\u309A', u'\u309B', u'\u309C', u'\uFF9E', u'\uFF9F' })
        (*table)[c] = SpecialCharacter;
    return table;
}

const Table &Folding()
{
    static const std::unique_ptr<Table> table = MakeTable();
    return *table;
}

// The kana that a voiced or semi-voiced sound mark makes of c, or 0 when it makes none.
char16_t Joined(char16_t c, char16_t mark)
{
    const QString pair = QString(QChar(c)) + QChar(mark);
    const QString composed = pair.normalized(QString::NormalizationForm_C);
    return composed.size() == 1 ? composed.at(0).unicode() : 0;
}

struct Joining
{
    std::array<char16_t, 0x100> voiced {};
    std::array<char16_t, 0x100> semiVoiced {};
};

const Joining &Joins()
{
    static const Joining joins = [] {
        Joining made;
        for (char16_t c = 0; c < 0x100; ++c) {
            made.voiced[c] = Joined(char16_t(0x3000 + c), 0x3099);
            made.semiVoiced[c] = Joined(char16_t(0x3000 + c), 0x309A);
        }
        return made;
    }();
    return joins;
}

char16_t JoinedWith(char16_t previous, char16_t mark)
{
    if (previous < 0x3000 || previous > 0x30FF)
        return 0;
    const Joining &joins = Joins();
    return IsVoicedMark(mark) ? joins.voiced[previous - 0x3000] : joins.semiVoiced[previous - 0x3000];
}

// One pass for both forms. A stored line break is a backslash and an n, read from the left as the
// codec reads it; lone CR and LF come from other tools and break lines as well.
// One pass for both forms. Most characters only go through the table; those it gives as 0 need a
// look around them. A stored line break is a backslash and an n, read from the left as the codec
// reads it; lone CR and LF come from other tools and break lines as well.
template <typename Place> void Fold(QStringView stored, QString &folded, Place place)
{
    const Table &table = Folding();
    const qsizetype start = folded.size();
    folded.resize(start + stored.size());
    char16_t *out = reinterpret_cast<char16_t *>(folded.data()) + start;
    qsizetype length = 0;
    qsizetype previousEnd = -1;
    const qsizetype size = stored.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = stored[i].unicode();
        char16_t next = table[c];
        if (next == SpecialCharacter) {
            if (c == u'\n' || c == u'\r')
                continue;
            if (c == u'\\') {
                if (i + 1 < size && stored[i + 1] == u'n') {
                    ++i;
                    continue;
                }
                next = c;
            } else if (const char16_t joined = length > 0 && previousEnd == i ? JoinedWith(out[length - 1], c) : 0) {
                out[length - 1] = joined;
                place.Extend(i + 1);
                previousEnd = i + 1;
                continue;
            } else {
                next = IsVoicedMark(c) ? VoicedMark : SemiVoicedMark;
            }
        }
        out[length++] = next;
        place.Add(i, i + 1);
        previousEnd = i + 1;
    }
    folded.truncate(start + length);
}

struct NoPlaces
{
    void Add(qsizetype, qsizetype) { }
    void Extend(qsizetype) { }
};

struct Places
{
    Placed &placed;
    void Add(qsizetype begin, qsizetype end)
    {
        placed.begins.push_back(int(begin));
        placed.ends.push_back(int(end));
    }
    void Extend(qsizetype end) { placed.ends.back() = int(end); }
};

}

QString Folded(QStringView stored)
{
    QString folded;
    Fold(stored, folded, NoPlaces());
    return folded;
}

void AppendFolded(QStringView stored, QString &folded)
{
    Fold(stored, folded, NoPlaces());
}

Placed FoldedWithPlaces(QStringView stored)
{
    Placed placed;
    placed.begins.reserve(size_t(stored.size()));
    placed.ends.reserve(size_t(stored.size()));
    Fold(stored, placed.folded, Places { placed });
    return placed;
}

}
