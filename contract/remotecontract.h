#pragma once

#include "commission_contract_export.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace contract {

// The remote object of the commission server as both ends call it: its name
// and path, its methods with their arguments, the header that carries the
// shared secret, the widths of the codes it takes, and the catalogue keys of
// the business refusals it may answer.
class COMMISSION_CONTRACT_EXPORT RemoteContract {
public:
    enum class ArgumentKind { Text, Date, Packet };
    struct Argument {
        QString name;  // as messages about the argument name it
        ArgumentKind kind;
        bool byRef;  // passed by reference
        int size;    // maximum characters of a text; 0 for the other kinds
    };

    static const QString objectName;
    static const QString getParamOrcaEve;
    static const QString getVendedores;
    static const QString getOrcamentos;
    static const QString setComissao;
    static const QString setCancelaComissao;
    static const QString getHistoricoComissao;
    static QStringList methods();
    // "/rdm/<object>/<method>", where a call is posted.
    static QString path(const QString &method);

    static const char *const secretHeader;

    static constexpr int branchCodeWidth = 4;
    static constexpr int salespersonCodeWidth = 4;
    static constexpr int eventTypeCodeWidth = 3;
    static constexpr int operatorCodeWidth = 20;
    static constexpr int maxListedCodes = 1000;  // codes in one list argument
    // The reason a cancellation gives, trimmed: at least this many characters...
    static constexpr int cancellationReasonMinLength = 10;
    // ...and at most these.
    static constexpr int cancellationReasonMaxLength = 500;

    // Sign-in: POST /sessao {"operador", "senha"} answers the session
    // token; every call then carries it as "Authorization: Bearer <token>";
    // DELETE /sessao signs out (docs/protocol.md).
    static const char *const sessionPath;
    static const QString rightToList;      // "consultar"
    static const QString rightToGenerate;  // "gerar"
    static const QString rightToCancel;    // "cancelar"

    // The arguments of a method in their order; the optional ones at the end.
    // Empty for an unknown method.
    static const QVector<Argument> &arguments(const QString &method);
    static int requiredArguments(const QString &method);

    // The catalogue keys of the refusals the server answers as business rules.
    static const QString nothingMarked;               // no quote of the packet is marked
    static const QString quoteUnknown;                // a quote sent is not on file
    static const QString alreadyGenerated;            // a marked quote has its commission already
    static const QString allZero;                     // every marked commission is zero
    static const QString percentOutOfRange;           // a percentage outside 0 to 99.99
    static const QString salespersonEarnsNothing;     // the salesperson earns no commission
    static const QString salespersonWithoutSupplier;  // the salesperson has no supplier to pay
    static const QString entryOperationMissing;       // parameters lack the entry operation
    static const QString payableTypeMissing;          // parameters lack the payable type
    static const QString entrySeriesMissing;          // parameters lack the entry series
    static const QString companyMissing;              // the branch has no company
    static const QString payablePaid;                 // a payable to cancel is already paid
    static QStringList refusalKeys();
};

}  // namespace contract
