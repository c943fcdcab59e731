#include "writetransaction.h"

#include "runningcalls.h"
#include "sqldialect.h"
#include "sqlrunner.h"

#include <QSqlError>
#include <QSqlQuery>

namespace commission {

WriteTransaction::WriteTransaction(const QSqlDatabase &db) : m_db(db)
{
    if (SqlDialect::of(m_db).isPostgres()) {
        if (!m_db.transaction())
            throw SqlRunner::failure(m_db, m_db.lastError(), QStringLiteral("BEGIN"));
    } else {
        SqlRunner::run(m_db, QStringLiteral("BEGIN IMMEDIATE"));
    }
    m_open = true;
}

WriteTransaction::~WriteTransaction()
{
    if (m_open)
        m_db.rollback();
}

void WriteTransaction::commit()
{
    // A call the server's stop has abandoned commits nothing.
    bool committed = false;
    {
        const RunningCalls::Commit committing;
        committed = m_db.commit();
    }
    if (!committed)
        throw SqlRunner::failure(m_db, m_db.lastError(), QStringLiteral("COMMIT"));
    m_open = false;
}

}  // namespace commission
