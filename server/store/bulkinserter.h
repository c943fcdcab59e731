#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace commission {

// Inserts many rows into one table with multi-row INSERT statements, a few
// hundred rows per statement: far fewer round trips than one statement per
// row, which matters most on PostgreSQL. The caller owns the transaction.
class BulkInserter {
public:
    BulkInserter(const QSqlDatabase &db, const QString &table, const QStringList &columns, int rowsPerStatement = 250);

    void add(const QVariantList &row);  // raises ServiceError
    void finish();                      // writes the rows still pending

private:
    QString statement(int rows) const;
    void write(QSqlQuery &query);

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    QVariantList m_pending;
    std::optional<QSqlQuery> m_fullStatement;
};

}  // namespace commission
