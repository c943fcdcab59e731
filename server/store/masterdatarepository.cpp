#include "masterdatarepository.h"

#include "sqlrunner.h"
#include "sqlvalues.h"

namespace commission {

std::optional<Salesperson> MasterDataRepository::salesperson(const QString &code) const
{
    QSqlQuery query = SqlRunner::run(
        m_db,
        QStringLiteral("SELECT CDVENDEDOR, NMFANVEN, CDFORNECED, IDGERACOMISVEND FROM VENDEDOR WHERE CDVENDEDOR = ?"),
        {code});
    if (!query.next())
        return std::nullopt;
    return Salesperson{query.value(0).toString(), query.value(1).toString(),
                       SqlValues::toText(query.value(2)).trimmed(), query.value(3).toString() != QLatin1String("N")};
}

std::optional<Branch> MasterDataRepository::branch(const QString &code) const
{
    QSqlQuery query =
        SqlRunner::run(m_db, QStringLiteral("SELECT CDFILIAL, CDEMPRESA FROM FILIAL WHERE CDFILIAL = ?"), {code});
    if (!query.next())
        return std::nullopt;
    return Branch{query.value(0).toString(), SqlValues::toText(query.value(1)).trimmed()};
}

}  // namespace commission
