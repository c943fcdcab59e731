#pragma once

#include "operatorgrants.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <optional>

namespace commission {

// An operator as the database keeps it.
struct StoredOperator {
    QString code;
    QString name;
    bool active = true;
    QString passwordHash;
};

// The operators and their grants (OPERADOR, OPERADORDIREITO). Statements
// only: the caller holds the transaction of a write. Raises ServiceError.
class OperatorRepository {
public:
    explicit OperatorRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    // Up to 20 upper-case letters, digits, ".", "-" or "_": what a code
    // may be, so that it is safe in a log line, a directory name or a file.
    static bool isOperatorCode(const QString &code);

    std::optional<StoredOperator> find(const QString &code) const;
    QVector<StoredOperator> all() const;
    OperatorGrants grants(const QString &code) const;

    // False when an operator of that code exists already.
    bool add(const StoredOperator &op);
    // False when no operator has that code.
    bool setPasswordHash(const QString &code, const QString &hash);
    bool setActive(const QString &code, bool active);
    // Adds the rights at the branch to those the operator has there.
    void grant(const QString &code, const QString &branch, const QStringList &rights);
    // Takes away every right at the branch; how many were taken.
    int revoke(const QString &code, const QString &branch);

    bool branchExists(const QString &branch) const;

private:
    QSqlDatabase m_db;
};

}  // namespace commission
