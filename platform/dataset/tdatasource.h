#pragma once

#include "dataset_export.h"
#include "tclientdataset.h"

#include <QObject>
#include <QPointer>

#include <functional>

// Links controls to a record set. Forwards the set's changes as two events:
// state changes (open, close, edit, insert, post, cancel) and data changes
// (content loaded, current row moved, a row's values changed). While the set's
// controls are disabled only the final EnableControls produces one data change.
// The set calls its data sources directly (not through queued or signal
// delivery), so a handler's exception reaches the operation that caused it.
class DATASET_EXPORT TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);

    void setDataSet(TClientDataSet *dataSet);
    TClientDataSet *dataSet() const;

    // Form handlers (OnStateChange, OnDataChange). Exceptions propagate to the
    // operation on the record set that caused the event. Controls are told
    // first (signals below), so a throwing handler never leaves a grid showing
    // rows that are gone.
    std::function<void(TDataSource &)> OnStateChange;
    std::function<void(TDataSource &)> OnDataChange;

signals:
    // For controls (models, labels): emitted before the handlers above.
    // dataChanged accompanies every data change, after the specific signal.
    void stateChanged();
    void dataChanged();
    void contentReset();
    void rowChanged(int row);
    void currentChanged(int row);
    void refreshed();       // the set's last EnableControls: re-read values and current row
    void dataSetChanged();  // another set (or none) is linked

private:
    friend class TClientDataSet;
    void stateEvent();
    void dataEvent(TClientDataSet::DataEvent event, int row);
    void dataSetDestroyed();

    QPointer<TClientDataSet> m_dataSet;
};
