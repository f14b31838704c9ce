#pragma once

#include "search/searchdate.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// What the user typed into the search field, as folded words: an entry is found when every word
// occurs in it, in any order, no excluded word does, and its day lies in the date among them, if
// any. Spaces, ASCII or full-width, part the words; a phrase in quotes ("…", 「…」, “…”) is one word,
// its spaces included; a word or phrase after a minus sign is excluded.
class SearchQuery
{
public:
    SearchQuery() = default;
    explicit SearchQuery(const QString &typed);

    // Excluded words alone find nothing: they narrow what something else finds.
    bool IsEmpty() const { return m_words.isEmpty() && !m_date; }
    // The words to look for, dates left out; none when a date alone was typed.
    const QStringList &Words() const { return m_words; }
    const QStringList &Excluded() const { return m_excluded; }
    const std::optional<SearchDate> &Date() const { return m_date; }
    // The word to look for first, and the character of it to scan for: the one likely rarest in a
    // diary, so that the scan stops as seldom as it can.
    qsizetype LeadWord() const { return m_lead; }
    qsizetype LeadCharacter() const { return m_leadCharacter; }
    // Whether every word occurs in folded text and no excluded one does.
    bool Matches(QStringView folded) const;
    bool Excludes(QStringView folded) const;

private:
    void ChooseLead();

    QStringList m_words;
    QStringList m_excluded;
    std::optional<SearchDate> m_date;
    qsizetype m_lead = 0;
    qsizetype m_leadCharacter = 0;
};
