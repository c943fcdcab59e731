#pragma once

#include "packet.h"

#include <QString>

class TNetConnection;

// The calls of the remote commission object, one typed function per method,
// with the arguments in the order, kinds and passing the server expects.
// Every answer but SetComissao's goes through CheckResultServ (which reports a
// bad answer and ends the handler) and is then decoded as a packet; an answer
// that is not one raises packet::PacketError. Errors of the call itself
// (RemoteCallError, TransportError) reach the caller unchanged.
class CommissionClient {
public:
    // What selects salespeople and quotes, in the screen's filter terms.
    struct Selection {
        QString branch;            // Filtro.stCdFilial
        QString salespeople;       // stCdVend: the list, empty for all; for quotes: one salesperson's code
        QString eventTypes;        // stCdEven: the list, empty for all
        QString baseDateRule;      // IDDTBASECOMISSAO of the quote parameters
        QString generationRule;    // IDGERACOMISSAOVEND of the quote parameters
        double periodStart = 0;    // Filtro.dtDePeriodo, day count (0 = none)
        double periodEnd = 0;      // Filtro.dtAtePeriodo
        QString commissionStatus;  // Filtro.Comissao.stGerada, "N" or "S"
    };

    struct SalespeopleAnswer {
        packet::Packet salespeople;  // for cdsVendedores
        packet::Packet pending;      // for cdsOrcaPendente
    };

    explicit CommissionClient(TNetConnection &connection);

    packet::Packet GetParamOrcaEve();
    SalespeopleAnswer GetVendedores(const Selection &selection);
    // `selection.salespeople` holds the one salesperson whose quotes are wanted.
    packet::Packet GetOrcamentos(const Selection &selection);
    // Empty text on success, else a key of the screen's catalogue.
    QString SetComissao(const packet::Packet &quotes, const QString &operatorCode);
    // The quotes whose commission was cancelled, asked for by the operator
    // for the reason given (trimmed, as the contract bounds it).
    packet::Packet SetCancelaComissao(const packet::Packet &quotes, const QString &operatorCode, const QString &reason);

    struct HistoryAnswer {
        packet::Packet settlements;  // one row per generation and per cancellation
        packet::Packet quotes;       // the quotes of each, by NRAUDITCOMISSAO
    };
    // The settlements of the branch (of one salesperson, or of all when the
    // code is empty) made within the period's days (day counts, 0 = open).
    HistoryAnswer GetHistoricoComissao(const QString &branch, const QString &salesperson, double periodStart,
                                       double periodEnd);

private:
    TNetConnection &m_connection;
};
