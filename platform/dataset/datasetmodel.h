#pragma once

#include "dataset_export.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class TDataSource;

// A table model over the record set of a data source. Columns are the given
// field names, or, when none are given, the visible fields in their order.
// DisplayRole gives the value formatted for display (dates as dd/MM/yyyy,
// floats with the field's display format), EditRole the raw value, and
// Qt::UserRole the field name of the column. Setting data edits and posts the
// row through the record set, so BeforePost always runs.
class DATASET_EXPORT DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject *parent = nullptr);

    void setDataSource(TDataSource *source);
    TDataSource *dataSource() const;
    void setColumns(const QStringList &fieldNames);  // empty: the visible fields
    QStringList columnFields() const;
    QString fieldAt(int column) const;
    int columnOfField(const QString &fieldName) const;  // -1 when not shown

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QPointer<TDataSource> m_source;
    QStringList m_columns;
};
