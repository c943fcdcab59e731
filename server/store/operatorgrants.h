#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace commission {

// What an operator may do at one branch, or at every branch ("*").
struct BranchGrant {
    QString branch;
    QStringList rights;  // of Rights::all(), in that order
};

// The rights an operator holds, and the one question the server asks of them.
class OperatorGrants {
public:
    static const QString everyBranch;  // "*"
    // "consultar", "gerar", "cancelar", in that order.
    static const QStringList &allRights();

    OperatorGrants() = default;
    explicit OperatorGrants(QVector<BranchGrant> grants) : m_grants(std::move(grants)) {}

    // By a grant for the branch or for every branch.
    bool allows(const QString &branch, const QString &right) const;
    // At some branch.
    bool allowsAnywhere(const QString &right) const;
    const QVector<BranchGrant> &grants() const { return m_grants; }

private:
    QVector<BranchGrant> m_grants;
};

}  // namespace commission
