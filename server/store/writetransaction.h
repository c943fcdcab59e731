#pragma once

#include <QSqlDatabase>

namespace commission {

// A write transaction that rolls back unless committed, so a failure or an
// early refusal anywhere inside leaves nothing half written.
// On SQLite it starts with BEGIN IMMEDIATE: the write lock is taken at once
// (waiting up to the busy timeout), so two writers never both read a state
// that only one of them may change. On PostgreSQL the writers rely on row
// locks and unique keys instead.
class WriteTransaction {
public:
    explicit WriteTransaction(const QSqlDatabase &db);  // raises ServiceError when it cannot begin
    ~WriteTransaction();

    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    void commit();  // raises ServiceError when the commit fails

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

}  // namespace commission
