#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QDate>
#include <optional>
#include <vector>

// One entry of the month as the list window shows it: a copy taken when the list is filled, so
// later changes in the main window do not reach it.
struct ArticleRow
{
    // DATE exactly as stored; empty when the ARTICLE has none.
    QString dayText;
    QString title;
    // The day DATE names, 1 to 31; none when it is missing, no number or out of that range.
    std::optional<int> day;
    // The month the row was filled from.
    int year = 0;
    int month = 0;

    // The date the row stands for; invalid when DATE names no day of the row's month.
    QDate Date() const { return day ? QDate(year, month, *day) : QDate(); }
};

// The rows of the list window with their sort state: a key column and whether sorting is on.
// Sorting is always ascending; the day column orders by day number, with rows whose DATE names
// no day after the others; titles compare as text of the current locale; rows with equal keys
// keep the order in which they were added.
class ArticleListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        DayColumn = 0,
        TitleColumn = 1
    };

    explicit ArticleListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Removes every row; the sort state stays.
    void Clear();
    // Adds rows after the present ones, or into their sorted places while sorting is on.
    void Append(std::vector<ArticleRow> rows);
    // Makes column the sort key, switches sorting on and puts the rows in order at once.
    void SortBy(int column);
    const ArticleRow &Row(int position) const;

private:
    struct Entry
    {
        ArticleRow row;
        // Position among all rows added since the last Clear; breaks ties between equal keys.
        qsizetype sequence;
    };

    bool Less(const Entry &left, const Entry &right) const;
    void SortEntries();

    std::vector<Entry> m_entries;
    qsizetype m_nextSequence = 0;
    int m_sortKey = DayColumn;
    bool m_sorted = false;
    QCollator m_collator;
};
