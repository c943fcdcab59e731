#pragma once

#include <connectionstring.h>

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A database of its own for one test program: an SQLite file in a temporary
// folder, or a PostgreSQL database created on the server named by
// COMMISSION_TEST_POSTGRES (and dropped again at the end).
class TestDatabase {
public:
    enum class Backend { Sqlite, Postgres };

    static QString backendName(Backend backend);
    // Why the backend cannot be used here (PostgreSQL without the variable);
    // empty when it can.
    static QString unavailableReason(Backend backend);

    TestDatabase(Backend backend, const QString &name);
    ~TestDatabase();

    const database::ConnectionString &where() const { return m_where; }
    Backend backend() const { return m_backend; }

    // Empties every table and writes the schema when missing.
    void reset();

private:
    void runOnServer(const QString &statement);

    Backend m_backend;
    std::unique_ptr<QTemporaryDir> m_dir;
    database::ConnectionString m_server;
    database::ConnectionString m_where;
};
