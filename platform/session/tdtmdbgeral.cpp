#include "tdtmdbgeral.h"

#include "connectionstring.h"
#include "session.h"

#include <QFileInfo>

namespace {

const QString connectionName = QStringLiteral("adcGeral");

}  // namespace

TdtmDBGeral &TdtmDBGeral::instance()
{
    static TdtmDBGeral module;
    return module;
}

TdtmDBGeral::TdtmDBGeral(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dtmDBGeral"));
}

QSqlDatabase TdtmDBGeral::adcGeral()
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase open = QSqlDatabase::database(connectionName, false);
        if (open.isOpen())
            return open;
        // Closed behind our back: start afresh from the session.
        disconnect();
    }
    // openConnection leaves no connection behind when it fails, so the next
    // use tries again.
    const database::ConnectionString where = database::ConnectionString::parse(Session::values().database);
    // A mistyped path must not become a new, empty database.
    if (where.isSqlite() && !QFileInfo::exists(where.databaseName))
        throw database::DatabaseError(QStringLiteral("O banco de dados compartilhado %1 não existe. Confira a opção"
                                                     " --database (ou a chave database do arquivo de configuração).")
                                          .arg(where.databaseName)
                                          .toStdString());
    return database::openConnection(where, connectionName);
}

void TdtmDBGeral::disconnect()
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase open = QSqlDatabase::database(connectionName, false);
        open.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

TdtmDBGeral &dtmDBGeral()
{
    return TdtmDBGeral::instance();
}
