#include "search/monthindex.h"

#include "search/searchquery.h"
#include "search/textfold.h"

#include <algorithm>
#include <numeric>

MonthIndex::MonthIndex(
    int year, int month, const MonthEntries::FileStamp &stamp, const std::vector<MonthEntries::EntryRow> &entries)
    : m_year(year)
    , m_month(month)
    , m_stamp(stamp)
{
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(
        order.begin(), order.end(), [&entries](size_t a, size_t b) { return entries[a].day > entries[b].day; });
    qsizetype total = 0;
    for (const MonthEntries::EntryRow &row : entries)
        total += row.text.size();
    m_texts.reserve(total);
    m_folded.reserve(total + qsizetype(entries.size()));
    m_entries.reserve(entries.size());
    for (const size_t at : order) {
        const MonthEntries::EntryRow &row = entries[at];
        Entry entry { qint32(m_texts.size()), qint32(m_folded.size()), 0, row.position, qint8(row.day) };
        m_texts += row.text;
        m_folded += TextFold::Folded(row.text);
        entry.foldedEnd = qint32(m_folded.size());
        // No word holds the separator, so no match runs from one entry into the next.
        m_folded += QChar(TextFold::Separator);
        m_entries.push_back(entry);
    }
    m_texts.squeeze();
    m_folded.squeeze();
}

QStringView MonthIndex::Text(int entry) const
{
    const auto at = size_t(entry);
    const qsizetype end = at + 1 < m_entries.size() ? m_entries[at + 1].textBegin : m_texts.size();
    return QStringView(m_texts).sliced(m_entries[at].textBegin, end - m_entries[at].textBegin);
}

bool MonthIndex::HasOtherWords(const SearchQuery &query, const Entry &entry) const
{
    const QStringView folded = QStringView(m_folded).sliced(entry.foldedBegin, entry.foldedEnd - entry.foldedBegin);
    for (qsizetype word = 0; word < query.Words().size(); ++word) {
        if (word != query.LeadWord() && !folded.contains(query.Words()[word]))
            return false;
    }
    return true;
}

void MonthIndex::Search(const SearchQuery &query, std::vector<int> &found) const
{
    if (query.IsEmpty())
        return;
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
        if (HasOtherWords(query, m_entries[entry]))
            found.push_back(int(entry));
        if (++entry == m_entries.size())
            break;
        at = m_entries[entry].foldedBegin + offset - 1;
    }
}

qsizetype MonthIndex::Bytes() const
{
    return qsizetype(sizeof(MonthIndex)) + m_texts.capacity() * 2 + m_folded.capacity() * 2
        + qsizetype(m_entries.capacity() * sizeof(Entry));
}
