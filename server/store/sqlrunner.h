#pragma once

#include "serviceerror.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class QSqlError;

namespace commission {

// Runs parameterised statements. Every value reaches the database as a bound
// parameter; statement texts are built only from constants and placeholders.
class SqlRunner {
public:
    // Prepares the statement, binds the values in order and runs it; the
    // query is forward-only. Raises ServiceError (see failure()).
    static QSqlQuery run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});

    // As run(), but a duplicate primary or unique key answers false instead
    // of raising.
    static bool runUnlessDuplicate(const QSqlDatabase &db, const QString &sql, const QVariantList &values);

    // "?, ?, ?" for count values.
    static QString placeholders(int count);
    // "(?, ?), (?, ?)" for rows of columns values.
    static QString rowPlaceholders(int rows, int columns);

    // The error of a failed statement: Unavailable when the connection is
    // lost (PostgreSQL) or the database stayed busy (SQLite), Conflict for a
    // deadlock or serialization failure, else Database. The driver's text
    // goes into the detail, never into the message.
    static ServiceError failure(const QSqlDatabase &db, const QSqlError &error, const QString &sql);
};

}  // namespace commission
