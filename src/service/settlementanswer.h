#pragma once

#include "packet.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>

// What a generation or a cancellation came to, with the numbers the server
// tells beside its result or its refusal (docs/protocol.md, "Outcomes").
struct SettlementAnswer {
    // A payable the settlement created, lowered or removed, or that refused it.
    struct Payable {
        qint64 number = 0;
        int quotes = 0;     // the quotes it settles (created) or that left it (cancelled)
        double amount = 0;  // of a created payable
        double before = 0;  // of a cancelled one: its amount before...
        double after = 0;   // ...and after (0 when removed)
        bool removed = false;
    };
    // A marked quote whose commission was generated already.
    struct SettledQuote {
        QString branch;
        QString quote;
        QString sequence;
        qint64 payable = 0;
        QString operatorCode;
        QDateTime generatedAt;  // UTC; invalid when the server gave none
    };

    // A generation's answer: empty on success, else a key of the catalogue.
    QString refusal;
    QVector<Payable> payables;
    // Of a refusal with COMISSAO_GERADA: the quotes that stopped it.
    QVector<SettledQuote> alreadySettled;
    // A cancellation's answer: the quotes whose commission was cancelled.
    packet::Packet cancelled;

    // The payables listed in an answer's "outcome", or in the "details" of
    // a refusal (the paid payables of a refused cancellation).
    static QVector<Payable> payablesIn(const QJsonObject &member);
    // The settled quotes listed in the "details" of a refused generation.
    static QVector<SettledQuote> settledQuotesIn(const QJsonObject &details);
};
