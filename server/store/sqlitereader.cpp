#include "sqlitereader.h"

#include "sqlrunner.h"

#include <QScopeGuard>
#include <QSqlError>

#include <sqlite3.h>

namespace commission {

namespace {

class SqliteRow final : public NativeRow {
public:
    explicit SqliteRow(sqlite3_stmt *statement) : m_statement(statement) {}

    bool isNull(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }

    std::string_view text(int column) const override
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        if (!bytes)
            return {};
        return {bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column))};
    }

    double number(int column) const override { return sqlite3_column_double(m_statement, column); }

private:
    sqlite3_stmt *m_statement;
};

}  // namespace

SqliteReader::SqliteReader(sqlite3 *handle) : m_handle(handle) {}

SqliteReader::~SqliteReader()
{
    finalizeAll();
}

void SqliteReader::finalizeAll()
{
    for (sqlite3_stmt *statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
}

void SqliteReader::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values, const Visit &visit)
{
    sqlite3_stmt *prepared = statement(db, sql);
    // Resetting ends the read, so its lock is not held into the next write.
    const auto closeCursor = qScopeGuard([prepared] {
        sqlite3_reset(prepared);
        sqlite3_clear_bindings(prepared);
    });
    bind(db, sql, prepared, values);
    const SqliteRow row(prepared);
    for (;;) {
        const int step = sqlite3_step(prepared);
        if (step == SQLITE_DONE)
            return;
        if (step != SQLITE_ROW)
            fail(db, sql);
        visit(row);
    }
}

sqlite3_stmt *SqliteReader::statement(const QSqlDatabase &db, const QString &sql)
{
    const auto kept = m_statements.constFind(sql);
    if (kept != m_statements.constEnd())
        return kept.value();
    if (m_statements.size() >= maxStatements)
        finalizeAll();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v3(m_handle, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &prepared, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(prepared);
        fail(db, sql);
    }
    m_statements.insert(sql, prepared);
    return prepared;
}

void SqliteReader::bind(const QSqlDatabase &db, const QString &sql, sqlite3_stmt *statement, const QVariantList &values)
{
    if (values.size() != sqlite3_bind_parameter_count(statement))
        throw SqlRunner::failure(db, QSqlError(QStringLiteral("Parameter count mismatch"), QString()), sql);
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        const int position = i + 1;
        int bound = SQLITE_OK;
        if (value.isNull()) {
            bound = sqlite3_bind_null(statement, position);
        } else if (value.typeId() == QMetaType::Double) {
            bound = sqlite3_bind_double(statement, position, value.toDouble());
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            bound = sqlite3_bind_int64(statement, position, value.toLongLong());
        } else {
            // A date too: its text is the ISO date.
            const QByteArray text = value.toString().toUtf8();
            bound = sqlite3_bind_text(statement, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        if (bound != SQLITE_OK)
            fail(db, sql);
    }
}

void SqliteReader::fail(const QSqlDatabase &db, const QString &sql) const
{
    const QSqlError error(QString(), QString::fromUtf8(sqlite3_errmsg(m_handle)), QSqlError::StatementError,
                          QString::number(sqlite3_extended_errcode(m_handle)));
    throw SqlRunner::failure(db, error, sql);
}

}  // namespace commission
