#include "bulkinserter.h"

#include "serviceerror.h"
#include "sqlrunner.h"

#include <QSqlError>

namespace commission {

BulkInserter::BulkInserter(const QSqlDatabase &db, const QString &table, const QStringList &columns,
                           int rowsPerStatement)
    : m_db(db), m_table(table), m_columns(columns), m_rowsPerStatement(rowsPerStatement)
{
    m_pending.reserve(m_rowsPerStatement * m_columns.size());
}

QString BulkInserter::statement(int rows) const
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(m_table, m_columns.join(QStringLiteral(", ")), SqlRunner::rowPlaceholders(rows, m_columns.size()));
}

void BulkInserter::add(const QVariantList &row)
{
    if (row.size() != m_columns.size())
        throw ServiceError::internal(QStringLiteral("Linha com %1 valores para %2 colunas de %3.")
                                         .arg(row.size())
                                         .arg(m_columns.size())
                                         .arg(m_table));
    m_pending.append(row);
    if (m_pending.size() < m_rowsPerStatement * m_columns.size())
        return;
    // The full-size statement is prepared once and reused for every batch.
    if (!m_fullStatement) {
        m_fullStatement.emplace(m_db);
        if (!m_fullStatement->prepare(statement(m_rowsPerStatement)))
            throw SqlRunner::failure(m_db, m_fullStatement->lastError(), statement(1));
    }
    write(*m_fullStatement);
}

void BulkInserter::finish()
{
    if (m_pending.isEmpty())
        return;
    const int rows = m_pending.size() / m_columns.size();
    QSqlQuery query(m_db);
    if (!query.prepare(statement(rows)))
        throw SqlRunner::failure(m_db, query.lastError(), statement(1));
    write(query);
}

void BulkInserter::write(QSqlQuery &query)
{
    for (int i = 0; i < m_pending.size(); ++i)
        query.bindValue(i, m_pending[i]);
    if (!query.exec())
        throw SqlRunner::failure(m_db, query.lastError(), statement(1));
    m_pending.clear();
}

}  // namespace commission
