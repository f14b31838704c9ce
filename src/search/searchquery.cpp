#include "search/searchquery.h"

#include "search/textfold.h"

#include <algorithm>
#include <vector>

namespace {

// Kanji are the rarest characters of Japanese prose, kana and long vowel marks the most common;
// letters and digits lie between.
int Rarity(QChar c)
{
    const char16_t unit = c.unicode();
    if ((unit >= 0x3400 && unit <= 0x9FFF) || (unit >= 0xF900 && unit <= 0xFAFF))
        return 4;
    if (unit >= 0x3041 && unit <= 0x309F)
        return 2;
    if (c.isLetterOrNumber())
        return 3;
    return unit == 0x30FC || c.isSpace() || c.isPunct() ? 0 : 1;
}

// The quote that closes a phrase the character opens, or none.
char16_t Closer(QChar c)
{
    switch (c.unicode()) {
    case u'"':
        return u'"';
    case u'「':
        return u'」';
    case u'“':
        return u'”';
    default:
        return 0;
    }
}

struct Term
{
    QString text;
    bool excluded = false;
    bool quoted = false;
};

// The words of folded text. A quote opens a phrase only where a word begins, so that a bracket
// inside a word stays part of it; a quote never closed is a character of its word. A minus sign
// alone is a word.
std::vector<Term> Terms(const QString &folded)
{
    std::vector<Term> terms;
    qsizetype at = 0;
    while (at < folded.size()) {
        if (folded[at] == u' ') {
            ++at;
            continue;
        }
        Term term;
        term.excluded = folded[at] == u'-' && at + 1 < folded.size() && folded[at + 1] != u' ';
        at += term.excluded ? 1 : 0;
        const char16_t closer = Closer(folded[at]);
        const qsizetype closed = closer ? folded.indexOf(QChar(closer), at + 1) : -1;
        term.quoted = closed >= 0;
        const qsizetype end = term.quoted ? closed : folded.indexOf(u' ', at);
        const qsizetype begin = term.quoted ? at + 1 : at;
        term.text = folded.mid(begin, (end < 0 ? folded.size() : end) - begin);
        at = end < 0 ? folded.size() : end + 1;
        if (!term.text.isEmpty())
            terms.push_back(std::move(term));
    }
    return terms;
}

}

SearchQuery::SearchQuery(const QString &typed)
{
    // Folding makes a full-width space an ASCII one, a full-width minus or quote an ASCII one, and
    // joins a half-width voiced mark to its kana.
    for (const Term &term : Terms(TextFold::Folded(typed))) {
        if (term.excluded) {
            m_excluded.append(term.text);
            continue;
        }
        // The first date typed narrows; one typed after it, or quoted, is a word as any other.
        if (!term.quoted && !m_date) {
            m_date = SearchDate::Read(term.text);
            if (m_date)
                continue;
        }
        m_words.append(term.text);
    }
    m_words.removeDuplicates();
    m_excluded.removeDuplicates();
    ChooseLead();
}

void SearchQuery::ChooseLead()
{
    int best = -1;
    for (qsizetype word = 0; word < m_words.size(); ++word) {
        for (qsizetype at = 0; at < m_words[word].size(); ++at) {
            // A longer word stops the scan less often at a false start, so it wins a tie.
            const int rarity = Rarity(m_words[word][at]) * 64 + int(qMin<qsizetype>(m_words[word].size(), 63));
            if (rarity > best) {
                best = rarity;
                m_lead = word;
                m_leadCharacter = at;
            }
        }
    }
}

bool SearchQuery::Matches(QStringView folded) const
{
    for (const QString &word : m_words) {
        if (!folded.contains(word))
            return false;
    }
    return !Excludes(folded);
}

bool SearchQuery::Excludes(QStringView folded) const
{
    return std::any_of(
        m_excluded.begin(), m_excluded.end(), [folded](const QString &word) { return folded.contains(word); });
}
