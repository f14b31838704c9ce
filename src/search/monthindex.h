#pragma once

#include "store/month/monthentries.h"

#include <QString>
#include <QStringView>

#include <vector>

class SearchQuery;

// One month's entries as the search keeps them: their stored texts and, for comparing, their folded
// texts in one string each, newest day first. It never changes once made, so the window reads a
// found entry from it while the search goes on elsewhere.
class MonthIndex
{
public:
    MonthIndex(int year, int month, const MonthEntries::FileStamp &stamp, std::vector<MonthRow> entries);

    int Year() const { return m_year; }
    int Month() const { return m_month; }
    const MonthEntries::FileStamp &Stamp() const { return m_stamp; }
    int EntryCount() const { return int(m_entries.size()); }
    int Day(int entry) const { return m_entries[size_t(entry)].day; }
    int Position(int entry) const { return m_entries[size_t(entry)].position; }
    const QString &Text(int entry) const { return m_entries[size_t(entry)].text; }

    // Appends the entries in which every word of query occurs and whose day lies in its date, newest
    // day first.
    void Search(const SearchQuery &query, std::vector<int> &found) const;
    // What the month holds in memory, and the length of its entries' stored texts.
    qsizetype Bytes() const;
    qsizetype Characters() const { return m_characters; }

private:
    struct Entry
    {
        QString text;
        qint32 foldedBegin;
        qint32 foldedEnd;
        qint32 position;
        qint8 day;
    };
    QStringView Folded(const Entry &entry) const;
    // Whether the entry's day lies in the query's date and the entry holds every word but the lead.
    bool MatchesBeyondLead(const SearchQuery &query, const Entry &entry) const;

    int m_year;
    int m_month;
    MonthEntries::FileStamp m_stamp;
    qsizetype m_characters = 0;
    QString m_folded;
    std::vector<Entry> m_entries;
};
