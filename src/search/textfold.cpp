#include "search/textfold.h"

#include "search/characterforms.h"

#include <array>

namespace TextFold {

namespace {

using CharacterForms::Context;

constexpr char16_t VoicedMark = 0x309B;
constexpr char16_t SemiVoicedMark = 0x309C;
constexpr char16_t CombiningVoicedMark = 0x3099;
constexpr char16_t Ga = 0x304C;

bool IsVoicedMark(char16_t c)
{
    return c == CombiningVoicedMark || c == VoicedMark || c == 0xFF9E;
}

bool IsSoundMark(char16_t c)
{
    return IsVoicedMark(c) || c == 0x309A || c == SemiVoicedMark || c == 0xFF9F;
}

// Characters that take no room on screen, which a pasted text may hold inside a word.
bool IsZeroWidth(char16_t c)
{
    return (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF;
}

// A kanji, or a character beyond the BMP, which in a diary is nearly always one.
bool IsKanji(char16_t c)
{
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || QChar::isSurrogate(c);
}

// ヶ, ケ, ヵ and ガ elsewhere fold as all katakana do.
char16_t AsHiragana(char16_t c)
{
    return c >= 0x30A1 ? char16_t(c - 0x60) : c;
}

bool IsHiragana(char16_t c)
{
    return c >= 0x3041 && c <= 0x3096;
}

// The kana that a voiced or semi-voiced sound mark makes of c, or 0 when it makes none.
char16_t Joined(char16_t c, char16_t mark)
{
    const QString composed = (QString(QChar(c)) + QChar(mark)).normalized(QString::NormalizationForm_C);
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
            made.voiced[c] = Joined(char16_t(0x3000 + c), CombiningVoicedMark);
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

// The kana ゝ or ゞ repeats: the one before, without its sound mark, and with a voiced one for ゞ.
char16_t Repeated(char16_t previous, bool voiced)
{
    const QString parts = QString(QChar(previous)).normalized(QString::NormalizationForm_D);
    const char16_t plain = parts.at(0).unicode();
    const char16_t joined = voiced ? JoinedWith(plain, CombiningVoicedMark) : 0;
    return joined ? joined : plain;
}

// One pass for both forms. Most characters only go through the table; those it gives as Context
// need a look around them or fold into other than one character. A stored line break is a
// backslash and an n, read from the left as the codec reads it; lone CR and LF come from other
// tools and break lines as well.
template <typename Place> class Folder
{
public:
    Folder(QStringView stored, QString &folded, Place place)
        : m_stored(stored)
        , m_folded(folded)
        , m_start(folded.size())
        , m_place(place)
    {
        m_folded.resize(m_start + stored.size());
        m_out = reinterpret_cast<char16_t *>(m_folded.data()) + m_start;
    }

    void Run()
    {
        const std::array<char16_t, 0x10000> &single = m_forms.single;
        const qsizetype size = m_stored.size();
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t c = m_stored[i].unicode();
            const char16_t folded = single[c];
            if (folded == Context)
                i = InContext(i);
            else
                Put(folded, i, i + 1);
        }
        m_folded.truncate(m_start + m_length);
    }

private:
    void Put(char16_t c, qsizetype begin, qsizetype end)
    {
        m_out[m_length++] = c;
        m_place.Add(begin, end);
        m_previousEnd = end;
    }

    // Where text stored from begin to end folds into more than one character: room is made for it
    // and for the rest of the stored text, which folds into at most one character each.
    void PutAll(QStringView text, qsizetype begin, qsizetype end)
    {
        const qsizetype needed = m_start + m_length + text.size() + (m_stored.size() - end);
        if (needed > m_folded.size()) {
            m_folded.resize(needed);
            m_out = reinterpret_cast<char16_t *>(m_folded.data()) + m_start;
        }
        for (const QChar c : text)
            Put(c.unicode(), begin, end);
    }

    // Folds the character at i by what stands around it; gives the last stored position it took.
    qsizetype InContext(qsizetype i)
    {
        const char16_t c = m_stored[i].unicode();
        const bool nextIsN = i + 1 < m_stored.size() && m_stored[i + 1] == u'n';
        if (c == u'\n' || c == u'\r' || IsZeroWidth(c) || (c == u'\\' && nextIsN))
            return c == u'\\' ? i + 1 : i;
        if (QChar::isHighSurrogate(c) && i + 1 < m_stored.size() && m_stored[i + 1].isLowSurrogate())
            return Beyond(i);
        // A backslash without an n is text, and so is half a character beyond the BMP.
        if (c == u'\\' || QChar::isSurrogate(c))
            Put(c, i, i + 1);
        else if (IsSoundMark(c))
            JoinSoundMark(c, i);
        else if (const auto expanded = m_forms.expanded.constFind(c); expanded != m_forms.expanded.cend())
            PutAll(*expanded, i, i + 1);
        else if (c == 0x3005 || c == 0x303B)
            RepeatKanji(c, i);
        else if (c == 0x309D || c == 0x309E || c == 0x30FD || c == 0x30FE)
            RepeatKana(c, i);
        else
            Put(BetweenKanji(i) ? Ga : AsHiragana(c), i, i + 1);
        return i;
    }

    // ゝ and ヽ repeat the kana before them, ゞ and ヾ voiced: いすゞ is いすず.
    void RepeatKana(char16_t c, qsizetype i)
    {
        const bool voiced = c == 0x309E || c == 0x30FE;
        if (m_length > 0 && m_previousEnd == i && IsHiragana(m_out[m_length - 1]))
            Put(Repeated(m_out[m_length - 1], voiced), i, i + 1);
        else
            Put(voiced ? 0x309E : 0x309D, i, i + 1);
    }

    void JoinSoundMark(char16_t c, qsizetype i)
    {
        if (const char16_t joined = m_length > 0 && m_previousEnd == i ? JoinedWith(m_out[m_length - 1], c) : 0) {
            m_out[m_length - 1] = joined;
            m_place.Extend(i + 1);
            m_previousEnd = i + 1;
            return;
        }
        Put(IsVoicedMark(c) ? VoicedMark : SemiVoicedMark, i, i + 1);
    }

    qsizetype Beyond(qsizetype i)
    {
        const char32_t c = QChar::surrogateToUcs4(m_stored[i], m_stored[i + 1]);
        if (const auto form = m_forms.beyond.constFind(c); form != m_forms.beyond.cend())
            PutAll(*form, i, i + 2);
        else
            PutAll(m_stored.sliced(i, 2), i, i + 2);
        return i + 1;
    }

    // 々 repeats the kanji before it, one beyond the BMP included.
    void RepeatKanji(char16_t c, qsizetype i)
    {
        if (m_length == 0 || m_previousEnd != i)
            Put(c, i, i + 1);
        else if (m_length > 1 && QChar::isLowSurrogate(m_out[m_length - 1]))
            // A copy: making room may move the folded text.
            PutAll(QString(reinterpret_cast<const QChar *>(m_out + m_length - 2), 2), i, i + 1);
        else
            Put(m_out[m_length - 1], i, i + 1);
    }

    // ヶ, ケ, ヵ, が and ガ between kanji are one in place names: 自由が丘, 自由ヶ丘, 霞ケ関.
    bool BetweenKanji(qsizetype i) const
    {
        return i > 0 && i + 1 < m_stored.size() && IsKanji(m_stored[i - 1].unicode())
            && IsKanji(m_stored[i + 1].unicode());
    }

    const CharacterForms::Forms &m_forms = CharacterForms::Get();
    QStringView m_stored;
    QString &m_folded;
    qsizetype m_start;
    Place m_place;
    char16_t *m_out = nullptr;
    qsizetype m_length = 0;
    qsizetype m_previousEnd = -1;
};

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
    Folder(stored, folded, NoPlaces()).Run();
    return folded;
}

void AppendFolded(QStringView stored, QString &folded)
{
    Folder(stored, folded, NoPlaces()).Run();
}

Placed FoldedWithPlaces(QStringView stored)
{
    Placed placed;
    placed.begins.reserve(size_t(stored.size()));
    placed.ends.reserve(size_t(stored.size()));
    Folder(stored, placed.folded, Places { placed }).Run();
    return placed;
}

}
