#include "testdatabase.h"

#include <connectionprovider.h>
#include <schema.h>
#include <sqlrunner.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <stdexcept>

namespace {

const char *postgresVariable = "COMMISSION_TEST_POSTGRES";

// Children before parents.
const QStringList tablesInDeleteOrder = {
    QStringLiteral("AUDITCOMISSAOORC"), QStringLiteral("AUDITCOMISSAO"),  QStringLiteral("ORCACOMISSAO"),
    QStringLiteral("CONTAPAGAR"),       QStringLiteral("ORCAEVENTO"),     QStringLiteral("PARAMORCAEVE"),
    QStringLiteral("CLIENTE"),          QStringLiteral("TIPOEVENTO"),     QStringLiteral("VENDEDOR"),
    QStringLiteral("FILIAL"),           QStringLiteral("SESSAOOPERADOR"), QStringLiteral("FALHAENTRADA"),
    QStringLiteral("OPERADORDIREITO"),  QStringLiteral("OPERADOR"),
};

}  // namespace

QString TestDatabase::backendName(Backend backend)
{
    return backend == Backend::Sqlite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

QString TestDatabase::unavailableReason(Backend backend)
{
    if (backend == Backend::Postgres && qEnvironmentVariableIsEmpty(postgresVariable))
        return QStringLiteral("%1 não definida: testes em PostgreSQL pulados.").arg(QLatin1String(postgresVariable));
    return QString();
}

TestDatabase::TestDatabase(Backend backend, const QString &name) : m_backend(backend)
{
    if (backend == Backend::Sqlite) {
        m_dir = std::make_unique<QTemporaryDir>();
        m_where = database::ConnectionString::parse(m_dir->filePath(name + QStringLiteral(".db")));
        return;
    }
    m_server = database::ConnectionString::parse(qEnvironmentVariable(postgresVariable));
    m_where = m_server;
    m_where.databaseName = QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
    runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_where.databaseName));
    runOnServer(QStringLiteral("CREATE DATABASE %1").arg(m_where.databaseName));
}

TestDatabase::~TestDatabase()
{
    if (m_backend == Backend::Postgres)
        runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_where.databaseName));
}

void TestDatabase::runOnServer(const QString &statement)
{
    const QString name = QStringLiteral("test-server-admin");
    {
        QSqlDatabase db = database::openConnection(m_server, name);
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw std::runtime_error(("falhou: " + statement).toStdString());
    }
    QSqlDatabase::removeDatabase(name);
}

void TestDatabase::reset()
{
    commission::ConnectionProvider connections(m_where);
    const QSqlDatabase db = connections.database();
    commission::Schema::migrate(db);
    commission::WriteTransaction transaction(db);
    for (const QString &table : tablesInDeleteOrder)
        commission::SqlRunner::run(db, QStringLiteral("DELETE FROM %1").arg(table));
    transaction.commit();
}
