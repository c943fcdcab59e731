#include "searchfiltermodel.h"

SearchFilterModel::SearchFilterModel(QObject *parent) : QSortFilterProxyModel(parent) {}

void SearchFilterModel::setSearch(const QString &wanted)
{
    m_search = SearchText(wanted);
    invalidateRowsFilter();
}

bool SearchFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_search.isEmpty())
        return true;
    const QAbstractItemModel *source = sourceModel();
    for (int column = 0; column < source->columnCount(sourceParent); ++column) {
        if (m_search.foundIn(source->index(sourceRow, column, sourceParent).data(Qt::DisplayRole).toString()))
            return true;
    }
    return false;
}
