#include "sqlrunner.h"

#include "sqldialect.h"

#include <QSqlError>
#include <QStringList>

namespace commission {

namespace {

bool prepareAndExec(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    query.setForwardOnly(true);
    // Statements without values run unprepared: PostgreSQL cannot prepare
    // table definitions.
    if (values.isEmpty())
        return query.exec(sql);
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// PostgreSQL: the connection broke. SQLite (whose driver reports every
// failure as a connection error): SQLITE_BUSY or SQLITE_LOCKED with any
// extended code, another writer held the database past the busy timeout.
bool isUnavailable(const QSqlDatabase &db, const QSqlError &error)
{
    if (SqlDialect::of(db).isPostgres())
        return error.type() == QSqlError::ConnectionError;
    const int primaryCode = error.nativeErrorCode().toInt() & 0xff;
    return primaryCode == 5 || primaryCode == 6;
}

// PostgreSQL gave up the transaction to break a deadlock or keep it
// serializable; the same work in a new transaction may succeed.
bool isConflict(const QSqlDatabase &db, const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return SqlDialect::of(db).isPostgres() && (code == QLatin1String("40001") || code == QLatin1String("40P01"));
}

}  // namespace

QSqlQuery SqlRunner::run(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    if (!prepareAndExec(query, sql, values))
        throw failure(db, query.lastError(), sql);
    return query;
}

bool SqlRunner::runUnlessDuplicate(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    // On PostgreSQL a failed statement spoils the whole transaction, and even
    // freeing the failed statement would fail; a savepoint keeps the
    // transaction usable until the caller rolls it back.
    const SqlDialect dialect = SqlDialect::of(db);
    if (dialect.isPostgres())
        run(db, QStringLiteral("SAVEPOINT BEFORE_UNIQUE_KEY"));
    QSqlQuery query(db);
    if (prepareAndExec(query, sql, values)) {
        if (dialect.isPostgres())
            run(db, QStringLiteral("RELEASE SAVEPOINT BEFORE_UNIQUE_KEY"));
        return true;
    }
    if (!dialect.isUniqueViolation(query.lastError()))
        throw failure(db, query.lastError(), sql);
    if (dialect.isPostgres())
        run(db, QStringLiteral("ROLLBACK TO SAVEPOINT BEFORE_UNIQUE_KEY"));
    return false;
}

QString SqlRunner::placeholders(int count)
{
    QStringList marks;
    marks.reserve(count);
    for (int i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

QString SqlRunner::rowPlaceholders(int rows, int columns)
{
    const QString row = QLatin1Char('(') + placeholders(columns) + QLatin1Char(')');
    QStringList all;
    all.reserve(rows);
    for (int i = 0; i < rows; ++i)
        all.append(row);
    return all.join(QStringLiteral(", "));
}

ServiceError SqlRunner::failure(const QSqlDatabase &db, const QSqlError &error, const QString &sql)
{
    // The statement's first words say which step failed; with the driver's
    // text they go to the log only.
    const QString detail =
        QStringLiteral("%1 ...: %2").arg(sql.simplified().section(QLatin1Char(' '), 0, 3), error.text().trimmed());
    if (isUnavailable(db, error))
        return ServiceError(ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados indisponível"), detail);
    if (isConflict(db, error))
        return ServiceError(ServiceError::Kind::Conflict, QStringLiteral("Transação interrompida pelo banco"), detail);
    return ServiceError(ServiceError::Kind::Database, QStringLiteral("Falha no banco de dados"), detail);
}

}  // namespace commission
