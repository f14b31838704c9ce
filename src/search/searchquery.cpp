#include "search/searchquery.h"

#include "search/textfold.h"

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

}

SearchQuery::SearchQuery(const QString &typed)
{
    // Folding makes a full-width space an ASCII one and joins a half-width voiced mark to its kana.
    m_words = TextFold::Folded(typed).split(u' ', Qt::SkipEmptyParts);
    m_words.removeDuplicates();
    // The first date typed narrows; one typed after it is a word as any other.
    for (qsizetype word = 0; word < m_words.size() && !m_date; ++word) {
        m_date = SearchDate::Read(m_words[word]);
        if (m_date)
            m_words.removeAt(word);
    }
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
    return true;
}
