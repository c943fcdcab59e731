#pragma once

#include "dataset_export.h"
#include "fielddef.h"

#include "packet.h"

#include <QObject>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <stdexcept>

class TDataSource;

// Raised by record-set operations that cannot be done (no current row, a post
// outside edit state, an unknown field, a value of the wrong kind).
class DATASET_EXPORT DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An in-memory record set with declared fields, a current row and the states
// inactive, browse, edit and insert. It is filled whole from a data packet and
// gives its whole content back as one. Controls see it through TDataSource.
//
// Every change is reported to the attached data sources, in this order:
//   loadFromPacket  state change (only when the state changed), content reset
//   Open, Close     state change, content reset
//   Edit            state change
//   setValue        row changed
//   Post            BeforePost, state change, row changed
//   Cancel          state change, row changed
//   First .. MoveTo (a pending edit is posted first) current moved, AfterScroll
// Loading a packet positions on the first row without firing AfterScroll: the
// owner that needs the first row's detail runs its handler itself, once.
// AfterScroll fires only when the current row really changed.
//
// Rows come only from packets (no operation inserts rows), so the state Insert
// exists for handlers that test "edit or insert" but is never entered.
class DATASET_EXPORT TClientDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TClientDataSet(QObject *parent = nullptr);
    ~TClientDataSet() override;

    // Field declarations, in order. Declaring is allowed only while inactive.
    void addField(const FieldDef &field);
    const QVector<FieldDef> &fields() const;
    int fieldIndex(const QString &name) const;            // -1 when absent; case-insensitive
    const FieldDef &fieldDef(const QString &name) const;  // throws DataSetError when absent

    // Replaces the whole content with the packet and opens the set on its first
    // row (a pending edit is dropped). All or nothing: a packet that lacks a
    // declared field, declares it with another kind (text and fixed text count
    // as one kind) or carries a value of the wrong kind or too long for the
    // declared size raises packet::PacketError naming the field, and the set
    // keeps its earlier content, state and current row. Extra packet fields are
    // ignored. Fixed-text values are kept as sent.
    void loadFromPacket(const packet::Packet &packet);
    // The whole content (declared fields, every row) as one packet; a row being
    // edited counts as it was last posted.
    packet::Packet data() const;

    void Open();   // opens an empty set when inactive
    void Close();  // drops the rows and becomes inactive
    bool Active() const;
    State state() const;

    int RecordCount() const;  // 0 when inactive
    bool IsEmpty() const;     // true when inactive or without rows
    int RecNo() const;        // zero-based current row, -1 when empty
    bool Eof() const;         // true after Next() past the last row, or when empty
    bool Bof() const;

    // Navigation posts a pending edit first (BeforePost runs) and fires
    // AfterScroll when the current row changed.
    void First();
    void Next();
    void Prior();
    void Last();
    void MoveTo(int row);

    void Edit();    // browse -> edit on the current row; no-op when already editing
    void Post();    // runs BeforePost, then stores the row; edit/insert -> browse
    void Cancel();  // drops the pending changes; edit/insert -> browse

    // Values of the current row (the pending values while editing).
    QVariant value(const QString &field) const;  // null QVariant for null
    bool IsNull(const QString &field) const;
    QString AsString(const QString &field) const;                // null reads as ""
    double AsFloat(const QString &field) const;                  // null reads as 0
    void setValue(const QString &field, const QVariant &value);  // edit/insert state only; checks kind and size

    // Values of any row, for models and painting.
    QVariant valueAt(int row, int column) const;

    // Suspends display updates; nested. While suspended no state or data change
    // reaches the data sources. The last EnableControls reports one state change
    // when the state differs from the one at the first DisableControls, then one
    // data change: a content reset when rows were replaced meanwhile, otherwise a
    // refresh (any value and the current row may have changed).
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // Event handlers, as the owning form assigns them. An exception thrown by a
    // handler propagates to the caller of the operation that fired it; a
    // BeforePost that throws leaves the row in edit state.
    std::function<void(TClientDataSet &)> BeforePost;
    std::function<void(TClientDataSet &)> AfterScroll;

signals:
    // The same notifications for listeners that are not controls: emitted after
    // the data sources were told, and held back alike while controls are disabled.
    void stateChanged();
    void contentReset();           // rows replaced, opened or closed
    void rowChanged(int row);      // values of one row changed (edit, post, cancel)
    void currentChanged(int row);  // current row moved
    void refreshed();              // the last EnableControls: values and current row may differ

private:
    friend class TDataSource;
    enum class DataEvent { ContentReset, RowChanged, CurrentChanged, Refreshed };

    void attachSource(TDataSource *source);
    void detachSource(TDataSource *source);
    void requireActive() const;
    void postPending();
    void setCurrent(int row, bool bof, bool eof);
    void setState(State state);
    void notifyState();
    void notifyData(DataEvent event, int row = -1);

    struct Private;
    std::unique_ptr<Private> d;
};
