#pragma once

#include "commissionrecords.h"

#include <QSqlDatabase>

#include <optional>

namespace commission {

// Reads branches and salespeople.
class MasterDataRepository {
public:
    explicit MasterDataRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    std::optional<Salesperson> salesperson(const QString &code) const;
    std::optional<Branch> branch(const QString &code) const;

private:
    QSqlDatabase m_db;
};

}  // namespace commission
