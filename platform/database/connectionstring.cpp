#include "connectionstring.h"

#include "databasefailure.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace database {

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw DatabaseError(message.toStdString());
}

}  // namespace

ConnectionString ConnectionString::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        fail(QStringLiteral("Banco de dados não informado."));

    ConnectionString result;
    if (trimmed.startsWith(QLatin1String("postgresql://")) || trimmed.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(trimmed, QUrl::StrictMode);
        const QString name = url.path().mid(1);
        if (!url.isValid() || url.host().isEmpty() || name.isEmpty())
            fail(QStringLiteral("Endereço de banco PostgreSQL inválido: %1").arg(url.toString(QUrl::RemovePassword)));
        result.driver = QStringLiteral("QPSQL");
        result.host = url.host();
        result.port = url.port(5432);
        result.user = url.userName();
        result.password = url.password();
        result.databaseName = name;
        return result;
    }

    result.driver = QStringLiteral("QSQLITE");
    result.databaseName = trimmed.startsWith(QLatin1String("sqlite:")) ? trimmed.mid(7) : trimmed;
    if (result.databaseName.isEmpty())
        fail(QStringLiteral("Arquivo de banco SQLite não informado."));
    return result;
}

QString ConnectionString::describe() const
{
    if (isSqlite())
        return QStringLiteral("sqlite:%1").arg(databaseName);
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(databaseName);
}

QSqlDatabase openConnection(const ConnectionString &where, const QString &connectionName)
{
    if (!QSqlDatabase::isDriverAvailable(where.driver))
        fail(QStringLiteral("Driver de banco %1 não está instalado.").arg(where.driver));

    QSqlDatabase db = QSqlDatabase::addDatabase(where.driver, connectionName);
    db.setDatabaseName(where.databaseName);
    if (where.isSqlite()) {
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setUserName(where.user);
        db.setPassword(where.password);
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    }
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        DatabaseFailure::raise(error, where);
    }
    if (where.isSqlite()) {
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    }
    return db;
}

}  // namespace database
