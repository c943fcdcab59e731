#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace commission {

// The few places where SQLite and PostgreSQL need different SQL. Everything
// else the server runs is the same text on both engines.
class SqlDialect {
public:
    enum class Engine { Sqlite, Postgres };

    static SqlDialect of(const QSqlDatabase &db);
    explicit SqlDialect(Engine engine) : m_engine(engine) {}

    bool isPostgres() const { return m_engine == Engine::Postgres; }

    // Row locks for read-then-write sequences; SQLite locks the whole
    // database for a write transaction instead (see WriteTransaction).
    QString forUpdate() const;

    // Column types and key definitions for table definitions written with the
    // placeholders %DATE%, %TIMESTAMP% and %IDENTITY%.
    QString tableDefinition(QString text) const;

    // A duplicate in a primary or unique key.
    bool isUniqueViolation(const QSqlError &error) const;

private:
    Engine m_engine;
};

}  // namespace commission
