#pragma once

#include "connectionstring.h"
#include "database_export.h"

#include <QString>

class QSqlError;

namespace database {

// Turns a driver's failure into a sentence an operator can act on, in
// Portuguese: what happened to which database and what to check. The
// driver's own text, English and full of internals, goes to the log only.
class DATABASE_EXPORT DatabaseFailure {
public:
    enum class Kind { MissingTable, ReadOnly, CannotOpen, NotADatabase, Busy, Unreachable, Other };

    static Kind classify(const QSqlError &error);
    static QString describe(const QSqlError &error, const ConnectionString &where);
    // Logs the driver's text and raises DatabaseError with describe()'s.
    [[noreturn]] static void raise(const QSqlError &error, const ConnectionString &where);
};

}  // namespace database
