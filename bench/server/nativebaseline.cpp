#include "nativebaseline.h"

#include "postgresbaseline.h"
#include "sqlitebaseline.h"

std::unique_ptr<NativeBaseline> NativeBaseline::open(const database::ConnectionString &where)
{
    if (where.isSqlite())
        return std::make_unique<SqliteBaseline>(where.databaseName);
    return std::make_unique<PostgresBaseline>(where);
}
