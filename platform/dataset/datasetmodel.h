#pragma once

#include "dataset_export.h"
#include "fielddef.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class TDataSource;

// A table model over the record set of a data source. Columns are the given
// field names, or, when none are given, the visible fields in their order.
// DisplayRole gives the value formatted for display (dates as dd/MM/yyyy, no
// date as empty; floats with a display format as two decimals with the
// locale's separators and grouped thousands, others in their shortest form),
// or what the field's display hook makes of it; EditRole the raw value, and
// Qt::UserRole the field name of the column.
// Setting data edits and posts the row through the record set, so BeforePost
// always runs; the set's errors propagate to the caller (the grid commits
// edits inside its handler guard).
//
// Content loads reset the model; row value changes report dataChanged for the
// row; the set's last EnableControls reports dataChanged for every cell. The
// columns are taken when a set is linked and at every reset, so fields are
// declared before the set is linked or loaded.
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

    // Display text of a value of the field, as DisplayRole gives it.
    static QString displayText(const FieldDef &field, const QVariant &value);

private:
    void reset();
    void takeColumns();
    void rowValuesChanged(int row);
    void allValuesChanged();

    QPointer<TDataSource> m_source;
    QStringList m_columns;
    QStringList m_shownFields;    // the field name of each column
    QVector<int> m_fieldIndexes;  // field index of each column, -1 when unknown
    int m_rowCount = 0;           // as last reported to views
};
