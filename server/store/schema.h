#pragma once

#include <QSqlDatabase>

namespace commission {

// The shared database's tables, created and brought up to date on start.
// The same definitions serve SQLite and PostgreSQL (see SqlDialect).
class Schema {
public:
    // Applies every step the database has not seen yet, in one transaction;
    // servers starting at the same time on one PostgreSQL database wait for
    // each other. A database at a step newer than this server knows is
    // refused (ServiceError naming both steps) and left as it is. Raises
    // ServiceError.
    static void migrate(const QSqlDatabase &db);
    // The same, up to `step` only: a database as an earlier server left it.
    static void migrateTo(const QSqlDatabase &db, int step);

    // The step the database is at; 0 for an empty database.
    static int version(const QSqlDatabase &db);
    static int latestVersion();
};

}  // namespace commission
