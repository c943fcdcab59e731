#include "tdbgridmodel.h"

TDBGridModel::TDBGridModel(QObject *parent) : DataSetModel(parent) {}

void TDBGridModel::setGridColumns(const QVector<TDBGrid::TColumn> &columns)
{
    m_columns = columns;
    QStringList fields;
    for (const TDBGrid::TColumn &column : columns)
        fields << column.fieldName;
    setColumns(fields);
}

const TDBGrid::TColumn *TDBGridModel::ownColumn(int section) const
{
    return section >= 0 && section < m_columns.size() ? &m_columns[section] : nullptr;
}

QVariant TDBGridModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole) {
        if (const TDBGrid::TColumn *column = ownColumn(index.column()))
            return static_cast<int>(column->alignment);
    }
    return DataSetModel::data(index, role);
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The indicator column carries no row numbers.
        return role == Qt::DisplayRole ? QVariant(QString()) : DataSetModel::headerData(section, orientation, role);
    }
    if (const TDBGrid::TColumn *column = ownColumn(section)) {
        if (role == Qt::DisplayRole && !column->title.isEmpty())
            return column->title;
        if (role == Qt::FontRole && column->hasTitleFont)
            return column->titleFont;
    }
    return DataSetModel::headerData(section, orientation, role);
}
