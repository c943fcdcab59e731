#pragma once

#include "quotekey.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace commission {

// Plain records the repositories read and write.

// A quote as stored, as far as a generation needs it.
struct StoredQuote {
    QuoteKey key;
    QString salesperson;
    bool closed = false;
    qint64 totalCents = 0;
};

// The commission of one quote, settled by one payable.
struct QuoteCommission {
    QuoteKey key;
    qint64 payable = 0;
    qint64 percentThousandths = 0;
    qint64 commissionCents = 0;
};

struct Salesperson {
    QString code;
    QString name;
    QString supplier;
    bool earnsCommission = true;
};

struct Branch {
    QString code;
    QString company;
};

// What a generation needs from the single row of quote parameters.
struct QuoteParameters {
    QString entryOperationType;         // CDTPOPENTACE
    QString accountType;                // CDTPCTPAGAR
    QString creditAccountType;          // CDTPCTPAGARNEG, for a payable below zero
    QString entrySeries;                // CDSERIEENTR
    QString payableDescription;         // DSDEFACTPAG
    bool salespersonFlagCounts = true;  // IDGERACOMISSAOVEND "S"
};

struct NewPayable {
    QString branch;
    QString supplier;
    QString salesperson;
    QString accountType;
    QString operationType;
    QString series;
    QString description;
    qint64 amountCents = 0;
    QDate issued;
    QDate due;
    QString operatorCode;
    QDateTime createdAt;
};

struct PayableState {
    qint64 number = 0;
    QString branch;
    QString salesperson;
    bool paid = false;
    qint64 amountCents = 0;
};

// Who created a payable, and when (UTC).
struct PayableOrigin {
    QString operatorCode;
    QDateTime createdAt;
};

struct AuditEntry {
    enum class Operation { Generation, Cancellation };
    Operation operation = Operation::Generation;
    QDateTime at;
    QString operatorCode;  // empty when the call named none
    QString origin;        // the caller's network address
    QString branch;
    QString salesperson;
    qint64 payable = 0;
    QVector<QuoteCommission> quotes;
    QString reason;  // a cancellation's
};

}  // namespace commission
