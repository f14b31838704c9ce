#include "search/monthindex.h"

#include "search/searchquery.h"
#include "search/textfold.h"

#include <algorithm>

MonthIndex::MonthIndex(int year, int month, const MonthEntries::FileStamp &stamp, std::vector<MonthRow> entries)
    : m_year(year)
    , m_month(month)
    , m_stamp(stamp)
{
    std::stable_sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.day > b.day; });
    for (const MonthRow &row : entries)
        m_characters += row.text.size();
    m_folded.reserve(m_characters + qsizetype(entries.size()));
    m_entries.reserve(entries.size());
    for (MonthRow &row : entries) {
        const auto begin = qint32(m_folded.size());
        TextFold::AppendFolded(row.text, m_folded);
        // Text converted from the file's bytes has room for as many characters as it had bytes.
        row.text.squeeze();
        m_entries.push_back({ std::move(row.text), begin, qint32(m_folded.size()), row.position, qint8(*row.day) });
        // No word holds the separator, so no match runs from one entry into the next.
        m_folded += QChar(TextFold::Separator);
    }
    m_folded.squeeze();
}

bool MonthIndex::MatchesBeyondLead(const SearchQuery &query, const Entry &entry) const
{
    if (query.Date() && !query.Date()->CoversDay(m_year, m_month, entry.day))
        return false;
    const QStringView folded = Folded(entry);
    for (qsizetype word = 0; word < query.Words().size(); ++word) {
        if (word != query.LeadWord() && !folded.contains(query.Words()[word]))
            return false;
    }
    return !query.Excludes(folded);
}

QStringView MonthIndex::Folded(const Entry &entry) const
{
    return QStringView(m_folded).sliced(entry.foldedBegin, entry.foldedEnd - entry.foldedBegin);
}

void MonthIndex::Search(const SearchQuery &query, std::vector<int> &found) const
{
    if (query.IsEmpty() || (query.Date() && !query.Date()->CoversMonth(m_year, m_month)))
        return;
    if (query.Words().isEmpty()) {
        // A date alone lists the period's entries.
        for (size_t entry = 0; entry < m_entries.size(); ++entry) {
            if (query.Date()->CoversDay(m_year, m_month, m_entries[entry].day)
                && !query.Excludes(Folded(m_entries[entry])))
                found.push_back(int(entry));
        }
        return;
    }
    const QString &lead = query.Words()[query.LeadWord()];
    const qsizetype offset = query.LeadCharacter();
    const QChar scanned = lead[offset];
    const QStringView all(m_folded);
    size_t entry = 0;
    // The scan looks for one character with the processor's vector instructions; only where it
    // stops is the whole word compared.
    for (qsizetype at = all.indexOf(scanned, offset); at >= 0; at = all.indexOf(scanned, at + 1)) {
        const qsizetype start = at - offset;
        if (start + lead.size() > all.size() || all.sliced(start, lead.size()) != lead)
            continue;
        while (m_entries[entry].foldedEnd <= start)
            ++entry;
        if (MatchesBeyondLead(query, m_entries[entry]))
            found.push_back(int(entry));
        if (++entry == m_entries.size())
            break;
        at = m_entries[entry].foldedBegin + offset - 1;
    }
}

qsizetype MonthIndex::Bytes() const
{
    // Each stored text's own allocation carries a header besides its characters.
    constexpr qsizetype TextHeader = 32;
    qsizetype bytes
        = qsizetype(sizeof(MonthIndex)) + m_folded.capacity() * 2 + qsizetype(m_entries.capacity() * sizeof(Entry));
    for (const Entry &entry : m_entries)
        bytes += TextHeader + entry.text.capacity() * 2;
    return bytes;
}
