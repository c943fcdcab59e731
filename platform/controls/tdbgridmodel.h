#pragma once

#include "datasetmodel.h"
#include "tdbgrid.h"

#include <QVector>

// The grid's table model: the record set's model plus what the grid's own
// column list adds (titles, title fonts, cell alignment). Without a column
// list it answers exactly like the record set's model.
class TDBGridModel : public DataSetModel {
    Q_OBJECT
public:
    explicit TDBGridModel(QObject *parent = nullptr);

    void setGridColumns(const QVector<TDBGrid::TColumn> &columns);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const TDBGrid::TColumn *ownColumn(int section) const;

    QVector<TDBGrid::TColumn> m_columns;
};
