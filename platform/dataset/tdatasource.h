#pragma once

#include "dataset_export.h"

#include <QObject>
#include <QPointer>

#include <functional>

class TClientDataSet;

// Links controls to a record set. Forwards the set's changes as two events:
// state changes (open, close, edit, insert, post, cancel) and data changes
// (content loaded, current row moved, a row's values changed). While the set's
// controls are disabled only the final EnableControls produces one data change.
class DATASET_EXPORT TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);

    void setDataSet(TClientDataSet *dataSet);
    TClientDataSet *dataSet() const;

    // Form handlers (OnStateChange, OnDataChange). Exceptions propagate to the
    // operation on the record set that caused the event.
    std::function<void(TDataSource &)> OnStateChange;
    std::function<void(TDataSource &)> OnDataChange;

signals:
    // For controls (models, labels): emitted after the handlers above.
    void stateChanged();
    void dataChanged();
    void contentReset();
    void rowChanged(int row);
    void currentChanged(int row);
    void dataSetChanged();

private:
    QPointer<TClientDataSet> m_dataSet;
    QMetaObject::Connection m_connections[4];
};
