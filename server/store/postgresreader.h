#pragma once

#include "nativereader.h"

#include <QByteArray>
#include <QHash>

struct pg_conn;

namespace commission {

// Reads through libpq with statements prepared once per connection, under
// names of their own beside those the Qt driver gives its statements.
class PostgresReader final : public NativeReader {
public:
    explicit PostgresReader(pg_conn *handle);
    // Drops the statements it prepared, so a later reader on the same
    // connection starts afresh.
    ~PostgresReader() override;

    PostgresReader(const PostgresReader &) = delete;
    PostgresReader &operator=(const PostgresReader &) = delete;

    void read(const QSqlDatabase &db, const QString &sql, const QVariantList &values, const Visit &visit) override;

    // The statement with its "?" placeholders numbered "$1", "$2", ... as
    // PostgreSQL wants them; a "?" inside a quoted literal stays.
    static QByteArray numberedPlaceholders(const QString &sql);

private:
    QByteArray statement(const QSqlDatabase &db, const QString &sql);
    void deallocateAll();

    pg_conn *m_handle;
    QHash<QString, QByteArray> m_statements;  // the prepared name of each text
    QByteArray m_namePrefix;
    int m_nextStatement = 0;
};

}  // namespace commission
