#pragma once

#include "dataset_export.h"
#include "fielddef.h"

#include "packet.h"

#include <QObject>
#include <QVariant>
#include <QVector>

#include <functional>
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
class DATASET_EXPORT TClientDataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TClientDataSet(QObject *parent = nullptr);
    ~TClientDataSet() override;

    // Field declarations, in order. Declaring is allowed only while inactive.
    void addField(const FieldDef &field);
    const QVector<FieldDef> &fields() const;
    int fieldIndex(const QString &name) const;          // -1 when absent; case-insensitive
    const FieldDef &fieldDef(const QString &name) const; // throws DataSetError when absent

    // Replaces the whole content with the packet and opens the set on its first
    // row. All or nothing: a packet that lacks a declared field or carries a
    // value of the wrong kind raises packet::PacketError naming the field, and
    // the set keeps its earlier content and state. Extra packet fields are
    // ignored. Fixed-text values are kept as sent.
    void loadFromPacket(const packet::Packet &packet);
    // The whole content (declared fields, every row) as one packet; a row being
    // edited counts as it was last posted.
    packet::Packet data() const;

    void Open();    // opens an empty set when inactive
    void Close();   // drops the rows and becomes inactive
    bool Active() const;
    State state() const;

    int RecordCount() const;   // 0 when inactive
    bool IsEmpty() const;      // true when inactive or without rows
    int RecNo() const;         // zero-based current row, -1 when empty
    bool Eof() const;          // true after Next() past the last row, or when empty
    bool Bof() const;

    // Navigation posts a pending edit first (BeforePost runs) and fires
    // AfterScroll when the current row changed.
    void First();
    void Next();
    void Prior();
    void Last();
    void MoveTo(int row);

    void Edit();     // browse -> edit on the current row; no-op when already editing
    void Post();     // runs BeforePost, then stores the row; edit/insert -> browse
    void Cancel();   // drops the pending changes; edit/insert -> browse

    // Values of the current row (the pending values while editing).
    QVariant value(const QString &field) const;         // null QVariant for null
    bool IsNull(const QString &field) const;
    QString AsString(const QString &field) const;       // null reads as ""
    double AsFloat(const QString &field) const;          // null reads as 0
    void setValue(const QString &field, const QVariant &value); // edit/insert state only; checks kind and size

    // Values of any row, for models and painting.
    QVariant valueAt(int row, int column) const;

    // Suspends display updates; nested. The last EnableControls tells every
    // data source to refresh once.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // Event handlers, as the owning form assigns them. An exception thrown by a
    // handler propagates to the caller of the operation that fired it; a
    // BeforePost that throws leaves the row in edit state.
    std::function<void(TClientDataSet &)> BeforePost;
    std::function<void(TClientDataSet &)> AfterScroll;

signals:
    // Lower-level notifications used by TDataSource; controls listen there.
    void stateChanged();
    void contentReset();          // rows replaced, opened or closed
    void rowChanged(int row);     // values of one row changed (edit, post, cancel)
    void currentChanged(int row); // current row moved

private:
    friend class TDataSource;
    struct Private;
    Private *d;
};
