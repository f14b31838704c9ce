#include "listwindow/articlelistmodel.h"

#include <algorithm>

namespace {
const QString DayHeader = QStringLiteral("　　日付");
const QString TitleHeader = QStringLiteral("　　　タイトル");

bool DayLess(const ArticleRow &left, const ArticleRow &right)
{
    // A DATE that names no day comes from another tool; such rows follow all numbered days.
    if (left.day && right.day)
        return *left.day < *right.day;
    if (left.day || right.day)
        return bool(left.day);
    return left.dayText < right.dayText;
}

}

ArticleListModel::ArticleListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int ArticleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int ArticleListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ArticleListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ArticleRow &row = m_entries[index.row()].row;
    return index.column() == DayColumn ? row.dayText : row.title;
}

QVariant ArticleListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const QString caption = section == DayColumn ? DayHeader : section == TitleColumn ? TitleHeader : QString();
    // The ideographic spaces only move the caption on screen; a screen reader would read them.
    return role == Qt::AccessibleTextRole ? caption.trimmed() : caption;
}

Qt::ItemFlags ArticleListModel::flags(const QModelIndex &index) const
{
    // The day a row click reads must be the stored one, so nothing is editable in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void ArticleListModel::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_nextSequence = 0;
    endResetModel();
}

void ArticleListModel::Append(std::vector<ArticleRow> rows)
{
    // One reset for all rows: adding them one by one into sorted places costs far more.
    beginResetModel();
    m_entries.reserve(m_entries.size() + rows.size());
    for (ArticleRow &row : rows)
        m_entries.push_back({ std::move(row), m_nextSequence++ });
    if (m_sorted)
        SortEntries();
    endResetModel();
}

void ArticleListModel::SortBy(int column)
{
    if (column != DayColumn && column != TitleColumn)
        return;
    m_sortKey = column;
    m_sorted = true;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qsizetype> sequences;
    sequences.reserve(before.size());
    for (const QModelIndex &index : before)
        sequences.push_back(m_entries[index.row()].sequence);
    SortEntries();
    std::vector<int> positionOfSequence(m_nextSequence);
    for (int position = 0; position < int(m_entries.size()); ++position)
        positionOfSequence[m_entries[position].sequence] = position;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(positionOfSequence[sequences[i]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const ArticleRow &ArticleListModel::Row(int position) const
{
    return m_entries.at(position).row;
}

void ArticleListModel::SortEntries()
{
    std::sort(m_entries.begin(), m_entries.end(),
        [this](const Entry &left, const Entry &right) { return Less(left, right); });
}

bool ArticleListModel::Less(const Entry &left, const Entry &right) const
{
    if (m_sortKey == DayColumn) {
        if (DayLess(left.row, right.row))
            return true;
        if (DayLess(right.row, left.row))
            return false;
    } else if (const int order = m_collator.compare(left.row.title, right.row.title); order != 0) {
        return order < 0;
    }
    return left.sequence < right.sequence;
}
