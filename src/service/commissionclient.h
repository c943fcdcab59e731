#pragma once

#include "packet.h"
#include "settlementanswer.h"

#include <QString>

#include <exception>
#include <functional>
#include <optional>
#include <utility>

class QDate;
class QObject;
class TNetConnection;

// What an asynchronous call of the client came to: the decoded answer, or
// the error the blocking call would have raised (a refusal, a transport
// failure, a bad packet, or the silent abort after CheckResultServ reported
// a missing answer).
template <typename T>
class ClientOutcome {
public:
    static ClientOutcome of(T value)
    {
        ClientOutcome outcome;
        outcome.m_value = std::move(value);
        return outcome;
    }
    static ClientOutcome failure(std::exception_ptr error)
    {
        ClientOutcome outcome;
        outcome.m_error = std::move(error);
        return outcome;
    }
    bool failed() const { return m_error != nullptr; }
    std::exception_ptr error() const { return m_error; }
    // The answer, or the error raised again.
    const T &value() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
        return *m_value;
    }

private:
    std::optional<T> m_value;
    std::exception_ptr m_error;
};

// The calls of the remote commission object, one typed function per method,
// with the arguments in the order, kinds and passing the server expects.
// Every answer but SetComissao's goes through CheckResultServ (which reports a
// bad answer and ends the handler) and is then decoded as a packet; an answer
// that is not one raises packet::PacketError. Errors of the call itself
// (RemoteCallError, TransportError) reach the caller unchanged.
//
// Each call comes blocking (for programs without an event loop to keep going)
// and asynchronous: the lower-case one returns at once and `done` runs later
// on the thread of `context`, with the answer decoded as the blocking call
// decodes it, or with its error. The asynchronous generation and
// cancellation also hand over the numbers the server tells beside the
// result (SettlementAnswer).
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

    template <typename T>
    using Done = std::function<void(const ClientOutcome<T> &outcome)>;
    void getParamOrcaEve(QObject *context, Done<packet::Packet> done);
    void getVendedores(const Selection &selection, QObject *context, Done<SalespeopleAnswer> done);
    void getOrcamentos(const Selection &selection, QObject *context, Done<packet::Packet> done);
    void setComissao(const packet::Packet &quotes, const QString &operatorCode, QObject *context,
                     Done<SettlementAnswer> done);
    void setCancelaComissao(const packet::Packet &quotes, const QString &operatorCode, const QString &reason,
                            QObject *context, Done<SettlementAnswer> done);
    void getHistoricoComissao(const QString &branch, const QString &salesperson, double periodStart, double periodEnd,
                              QObject *context, Done<HistoryAnswer> done);
    // The settlements made within the host's local days `first` to `last`,
    // both included (an invalid one leaves its end open), sent as the UTC
    // instants that bound them.
    void getHistoricoComissao(const QString &branch, const QString &salesperson, const QDate &first, const QDate &last,
                              QObject *context, Done<HistoryAnswer> done);

private:
    QString settlementAnswer(const QJsonValue &answer) const;

    TNetConnection &m_connection;
};
