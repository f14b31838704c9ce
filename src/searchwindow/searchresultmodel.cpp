#include "searchwindow/searchresultmodel.h"

#include "search/resultline.h"
#include "store/text/textcodec.h"

namespace {

QString DateText(const QDate &date)
{
    static const QStringList weekdays = QStringLiteral("月火水木金土日").split(QString(), Qt::SkipEmptyParts);
    return QStringLiteral("%1年%2月%3日(%4)")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(weekdays[date.dayOfWeek() - 1]);
}

}

SearchResultModel::SearchResultModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void SearchResultModel::ExpectQuery(const SearchQuery &query)
{
    m_expected = query;
}

void SearchResultModel::Take(const SearchBatch &batch)
{
    if (batch.fresh) {
        beginResetModel();
        m_query = m_expected;
        m_hits = batch.hits;
        m_years.clear();
        CountYears(0);
        endResetModel();
        return;
    }
    if (batch.hits.empty())
        return;
    const size_t first = m_hits.size();
    beginInsertRows(QModelIndex(), int(first), int(first + batch.hits.size()) - 1);
    m_hits.insert(m_hits.end(), batch.hits.begin(), batch.hits.end());
    CountYears(first);
    endInsertRows();
}

void SearchResultModel::CountYears(size_t fromHit)
{
    for (size_t hit = fromHit; hit < m_hits.size(); ++hit) {
        const int year = m_hits[hit].month->Year();
        if (m_years.empty() || m_years.back().year != year)
            m_years.push_back({ year, int(hit), 0 });
        ++m_years.back().count;
    }
}

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SearchHit &hit = m_hits[size_t(index.row())];
    const QDate date = Date(index.row());
    const QString dateText = date.isValid()
        ? DateText(date)
        : QStringLiteral("%1年%2月%3日").arg(hit.month->Year()).arg(hit.month->Month()).arg(hit.month->Day(hit.entry));
    switch (role) {
    case DateRole:
        return dateText;
    case TitleRole:
        return TextCodec::MakeTitle(hit.month->Text(hit.entry));
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return dateText + u' ' + TextCodec::MakeTitle(hit.month->Text(hit.entry));
    case LineRole:
        return ResultLine::Around(hit.month->Text(hit.entry), m_query).text;
    case MarksRole:
        return QVariant::fromValue(ResultLine::Around(hit.month->Text(hit.entry), m_query).marks);
    default:
        return {};
    }
}

QDate SearchResultModel::Date(int row) const
{
    const SearchHit &hit = m_hits[size_t(row)];
    return QDate(hit.month->Year(), hit.month->Month(), hit.month->Day(hit.entry));
}

int SearchResultModel::Position(int row) const
{
    const SearchHit &hit = m_hits[size_t(row)];
    return hit.month->Position(hit.entry);
}

MatchPlaces::Place SearchResultModel::FirstPlace(int row) const
{
    const SearchHit &hit = m_hits[size_t(row)];
    const std::vector<MatchPlaces::Place> places = MatchPlaces::Of(hit.month->Text(hit.entry), m_query);
    return places.empty() ? MatchPlaces::Place() : places.front();
}

int SearchResultModel::RowOf(const QDate &date, int position) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (Position(row) == position && Date(row) == date)
            return row;
    }
    return -1;
}
