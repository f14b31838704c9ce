#pragma once

#include "search/diarysearch.h"
#include "search/matchplaces.h"
#include "search/searchquery.h"

#include <QAbstractListModel>
#include <QDate>

#include <vector>

// The entries a search has found, in the order it found them: a row's date, the entry's title and a line of
// the entry around the first word found, with every word found marked. Lines are made for the
// rows that are shown, not for every hit.
class SearchResultModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        DateRole = Qt::UserRole,
        TitleRole,
        LineRole,
        // The marked words of LineRole, as a QList<QPoint> of begin and length.
        MarksRole
    };

    // The rows of one year, which lie together in either order.
    struct YearRows
    {
        int year = 0;
        int firstRow = 0;
        int count = 0;
    };

    explicit SearchResultModel(QObject *parent = nullptr);

    // The query the next fresh batch comes from; its words are marked from then on.
    void ExpectQuery(const SearchQuery &query);
    void Take(const SearchBatch &batch);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The day of the row; invalid for an entry whose DATE is no day of its month.
    QDate Date(int row) const;
    int Position(int row) const;
    // Where the first word found stands in the entry as the editor shows it.
    MatchPlaces::Place FirstPlace(int row) const;
    // The row of that day's entry, or -1.
    int RowOf(const QDate &date, int position) const;
    const std::vector<YearRows> &Years() const { return m_years; }

private:
    void CountYears(size_t fromHit);

    SearchQuery m_expected;
    SearchQuery m_query;
    std::vector<SearchHit> m_hits;
    std::vector<YearRows> m_years;
};
