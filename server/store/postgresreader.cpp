#include "postgresreader.h"

#include "sqlrunner.h"

#include <QSqlError>

#include <libpq-fe.h>

#include <atomic>
#include <charconv>
#include <memory>
#include <vector>

namespace commission {

namespace {

struct ResultDeleter {
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PostgresRow final : public NativeRow {
public:
    explicit PostgresRow(const PGresult *result) : m_result(result) {}

    void moveTo(int row) { m_row = row; }

    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column) != 0; }

    std::string_view text(int column) const override
    {
        return {PQgetvalue(m_result, m_row, column), static_cast<std::size_t>(PQgetlength(m_result, m_row, column))};
    }

    double number(int column) const override
    {
        const std::string_view digits = text(column);
        double value = 0;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc())
            return 0;
        return value;
    }

private:
    const PGresult *m_result;
    int m_row = 0;
};

// A lost connection leaves no result at all; its message is then the
// connection's.
ServiceError failure(const QSqlDatabase &db, PGconn *handle, const PGresult *result, const QString &sql)
{
    const QSqlError error(QString(), QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(handle)),
                          PQstatus(handle) == CONNECTION_BAD ? QSqlError::ConnectionError : QSqlError::StatementError,
                          QString::fromLatin1(result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr));
    return SqlRunner::failure(db, error, sql);
}

}  // namespace

PostgresReader::PostgresReader(pg_conn *handle) : m_handle(handle)
{
    // Names of this reader's own: one left behind by a reader gone in a
    // failed transaction cannot collide with them.
    static std::atomic<quint64> readers{0};
    m_namePrefix = "commission_read_" + QByteArray::number(readers++) + '_';
}

PostgresReader::~PostgresReader()
{
    if (PQstatus(m_handle) == CONNECTION_OK)
        deallocateAll();
}

void PostgresReader::deallocateAll()
{
    for (const QByteArray &name : std::as_const(m_statements))
        Result(PQexec(m_handle, ("DEALLOCATE " + name).constData()));
    m_statements.clear();
}

QByteArray PostgresReader::numberedPlaceholders(const QString &sql)
{
    QByteArray numbered;
    numbered.reserve(sql.size() + 16);
    int next = 1;
    bool quoted = false;
    for (const char byte : sql.toUtf8()) {
        if (byte == '\'')
            quoted = !quoted;
        if (byte == '?' && !quoted)
            numbered += '$' + QByteArray::number(next++);
        else
            numbered += byte;
    }
    return numbered;
}

QByteArray PostgresReader::statement(const QSqlDatabase &db, const QString &sql)
{
    const auto kept = m_statements.constFind(sql);
    if (kept != m_statements.constEnd())
        return kept.value();
    if (m_statements.size() >= maxStatements)
        deallocateAll();
    const QByteArray name = m_namePrefix + QByteArray::number(m_nextStatement++);
    const Result prepared(PQprepare(m_handle, name.constData(), numberedPlaceholders(sql).constData(), 0, nullptr));
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        throw failure(db, m_handle, prepared.get(), sql);
    m_statements.insert(sql, name);
    return name;
}

void PostgresReader::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values, const Visit &visit)
{
    const QByteArray name = statement(db, sql);
    std::vector<QByteArray> texts;
    std::vector<const char *> parameters;
    texts.reserve(values.size());
    parameters.reserve(values.size());
    for (const QVariant &value : values) {
        if (value.isNull()) {
            parameters.push_back(nullptr);
        } else {
            texts.push_back(value.toString().toUtf8());
            parameters.push_back(texts.back().constData());
        }
    }
    const Result result(
        PQexecPrepared(m_handle, name.constData(), int(parameters.size()), parameters.data(), nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw failure(db, m_handle, result.get(), sql);
    PostgresRow row(result.get());
    const int rows = PQntuples(result.get());
    for (int r = 0; r < rows; ++r) {
        row.moveTo(r);
        visit(row);
    }
}

}  // namespace commission
