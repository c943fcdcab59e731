#pragma once

#include "nativereader.h"

#include <QHash>

struct sqlite3;
struct sqlite3_stmt;

namespace commission {

// Reads through SQLite's C API with statements prepared once per
// connection.
class SqliteReader final : public NativeReader {
public:
    explicit SqliteReader(sqlite3 *handle);
    ~SqliteReader() override;  // finalizes every kept statement

    SqliteReader(const SqliteReader &) = delete;
    SqliteReader &operator=(const SqliteReader &) = delete;

    void read(const QSqlDatabase &db, const QString &sql, const QVariantList &values, const Visit &visit) override;

private:
    sqlite3_stmt *statement(const QSqlDatabase &db, const QString &sql);
    void bind(const QSqlDatabase &db, const QString &sql, sqlite3_stmt *statement, const QVariantList &values);
    [[noreturn]] void fail(const QSqlDatabase &db, const QString &sql) const;
    void finalizeAll();

    sqlite3 *m_handle;
    QHash<QString, sqlite3_stmt *> m_statements;
};

}  // namespace commission
