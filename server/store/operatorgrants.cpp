#include "operatorgrants.h"

#include <remotecontract.h>

namespace commission {

const QString OperatorGrants::everyBranch = QStringLiteral("*");

const QStringList &OperatorGrants::allRights()
{
    using contract::RemoteContract;
    static const QStringList rights{RemoteContract::rightToList, RemoteContract::rightToGenerate,
                                    RemoteContract::rightToCancel};
    return rights;
}

bool OperatorGrants::allows(const QString &branch, const QString &right) const
{
    for (const BranchGrant &grant : m_grants) {
        if ((grant.branch == everyBranch || grant.branch == branch) && grant.rights.contains(right))
            return true;
    }
    return false;
}

bool OperatorGrants::allowsAnywhere(const QString &right) const
{
    for (const BranchGrant &grant : m_grants) {
        if (grant.rights.contains(right))
            return true;
    }
    return false;
}

}  // namespace commission
