#pragma once

#include "nativerow.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

namespace commission {

// Reads through the database's own C library on the handle of a Qt
// connection: no value is boxed on the way, and each statement is prepared
// once and kept for as long as the reader lives. The connection's
// transaction, if one is open, covers the read. Must be destroyed before
// its connection closes.
class NativeReader {
public:
    using Visit = std::function<void(const NativeRow &)>;

    virtual ~NativeReader() = default;

    // The reader of the connection's engine (SQLite or PostgreSQL). Raises
    // ServiceError (Internal) for any other driver.
    static std::unique_ptr<NativeReader> open(const QSqlDatabase &db);

    // Runs the statement with `values` bound to its "?" placeholders in
    // order and hands every row to `visit`; the statement's cursor is closed
    // however `visit` leaves, so no read stays open under a later write.
    // Raises ServiceError as SqlRunner::failure() maps it.
    virtual void read(const QSqlDatabase &db, const QString &sql, const QVariantList &values, const Visit &visit) = 0;

protected:
    // Statements with code lists vary in their number of placeholders; past
    // this many all are dropped and prepared again as they come back.
    static constexpr int maxStatements = 64;
};

}  // namespace commission
