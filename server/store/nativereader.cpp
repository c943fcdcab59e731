#include "nativereader.h"

#include "postgresreader.h"
#include "serviceerror.h"
#include "sqlitereader.h"

#include <QSqlDriver>

namespace commission {

std::unique_ptr<NativeReader> NativeReader::open(const QSqlDatabase &db)
{
    // The driver hands out its engine's own handle, named by its C type.
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (auto *sqlite = *static_cast<sqlite3 *const *>(handle.constData()))
            return std::make_unique<SqliteReader>(sqlite);
    }
    if (handle.isValid()
        && (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)) {
        if (auto *postgres = *static_cast<pg_conn *const *>(handle.constData()))
            return std::make_unique<PostgresReader>(postgres);
    }
    throw ServiceError::internal(QStringLiteral("Conexão sem acesso direto ao banco (%1).").arg(db.driverName()));
}

}  // namespace commission
