#pragma once

#include "quotefilter.h"

#include <QHash>
#include <QJsonValue>
#include <QString>

#include <string>

namespace commission {

class CallArguments;
class CommissionService;
struct SignedInOperator;

// What a call answered, and what its log line tells.
struct CallOutcome {
    std::string body;  // the whole answer, {"result": ...}
    QString branch;    // the branch the call was about, when known
    QString refusal;   // the catalogue key of a refused generation
};

// The remote object "ORE09700.rdmManuComissao": one short handler per
// method that reads and checks the arguments, calls the service and shapes
// the answer.
class CommissionEndpoint {
public:
    static const QString objectName;

    explicit CommissionEndpoint(CommissionService &service);

    bool hasMethod(const QString &method) const { return m_handlers.contains(method); }
    // Each method checks first that the signed-in operator holds its right
    // at every branch it touches (ServiceError Forbidden otherwise).
    CallOutcome call(const QString &method, const CallArguments &arguments, const QString &origin,
                     const SignedInOperator &signedIn);

private:
    struct Call {
        const CallArguments &arguments;
        const QString &origin;
        const SignedInOperator &signedIn;
    };
    using Handler = CallOutcome (CommissionEndpoint::*)(const Call &);

    CallOutcome getParamOrcaEve(const Call &call);
    CallOutcome getVendedores(const Call &call);
    CallOutcome getOrcamentos(const Call &call);
    CallOutcome setComissao(const Call &call);
    CallOutcome setCancelaComissao(const Call &call);
    CallOutcome getHistoricoComissao(const Call &call);

    // The eight listing arguments; the second is a salesperson list
    // (GetVendedores) or one salesperson code (GetOrcamentos).
    enum class SalespersonArgument { List, Single };
    static QuoteFilter readFilter(const CallArguments &arguments, SalespersonArgument kind, QString *salesperson);

    CommissionService &m_service;
    QHash<QString, Handler> m_handlers;
};

}  // namespace commission
