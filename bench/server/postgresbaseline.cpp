#include "postgresbaseline.h"

#include <QDate>

#include <libpq-fe.h>

#include <stdexcept>

namespace {

// "?" placeholders become libpq's "$1", "$2", ...; the statements hold no
// question mark anywhere else.
std::string numbered(const QString &sql)
{
    std::string text;
    int next = 1;
    for (const char c : sql.toUtf8()) {
        if (c == '?')
            text += "$" + std::to_string(next++);
        else
            text += c;
    }
    return text;
}

}  // namespace

PostgresBaseline::PostgresBaseline(const database::ConnectionString &where)
{
    std::string options = "dbname=" + where.databaseName.toStdString();
    if (!where.host.isEmpty())
        options += " host=" + where.host.toStdString();
    if (where.port > 0)
        options += " port=" + std::to_string(where.port);
    if (!where.user.isEmpty())
        options += " user=" + where.user.toStdString();
    if (!where.password.isEmpty())
        options += " password=" + where.password.toStdString();
    m_connection = PQconnectdb(options.c_str());
    if (PQstatus(m_connection) != CONNECTION_OK)
        throw std::runtime_error(std::string("PostgreSQL: ") + PQerrorMessage(m_connection));
}

PostgresBaseline::~PostgresBaseline()
{
    PQfinish(m_connection);
}

int PostgresBaseline::prepare(const QString &sql)
{
    const std::string name = "baseline" + std::to_string(m_names.size());
    PGresult *result = PQprepare(m_connection, name.c_str(), numbered(sql).c_str(), 0, nullptr);
    const bool prepared = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!prepared)
        throw std::runtime_error(std::string("preparar: ") + PQerrorMessage(m_connection));
    m_names.push_back(name);
    return int(m_names.size()) - 1;
}

qint64 PostgresBaseline::run(int statement, const QVariantList &values)
{
    std::vector<QByteArray> texts;
    std::vector<const char *> pointers;
    texts.reserve(size_t(values.size()));
    for (const QVariant &value : values) {
        if (value.isNull()) {
            texts.emplace_back();
            pointers.push_back(nullptr);
            continue;
        }
        texts.push_back(value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate).toUtf8()
                                                           : value.toString().toUtf8());
        pointers.push_back(texts.back().constData());
    }
    PGresult *result = PQexecPrepared(m_connection, m_names.at(size_t(statement)).c_str(), int(pointers.size()),
                                      pointers.data(), nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const std::string message = PQerrorMessage(m_connection);
        PQclear(result);
        throw std::runtime_error("executar: " + message);
    }
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            PQgetvalue(result, r, c);
    }
    PQclear(result);
    return rows;
}
