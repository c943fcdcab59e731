#pragma once

#include <quotefilter.h>
#include <quotekey.h>

#include <packet.h>

#include <QMetaType>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>
#include <QVector>

// A small, fully known data set for the selection and generation rules.
//
// Branch 0001 "Filial Centro", quotes in 2024 (event date / closing date):
//   q1  0000000001-01 Ana (0001)    type 001  05-10 / 04-20    1000.00  pct -   (default 5 %)
//   q2  0000000001-02 Ana (0001)    type 002  05-20 / 05-02    2000.00  pct 2.5 generated: 4 % = 80.00, payable open
//   q3  0000000003-01 Ana (0001)    type 001  06-05 / 05-15     400.00  pct -
//   q4  0000000004-01 Ana (0001)    type 001  05-12 / open      600.00  (not closed)
//   q5  0000000005-01 Bruno (0002)  type 003  05-25 / 06-01     333.33  pct -   (default 3 %)
//   q6  0000000006-01 Diego (0004)  type 001  05-15 / 05-03     800.00  (Diego earns no commission, 2 %)
//   q7  0000000007-01 Carla (0003)  type 002  05-05 / 04-30     500.00  (Carla has no supplier, 4 %)
//   q8  0000000008-01 Elisa (0005)  type 001  05-06 / 05-06     700.00  (Elisa's default is 0 %)
//   q9  0000000009-01 Ana (0001)    type 001  05-28 / 05-28    -300.00  (credit quote)
//   q12 0000000012-01 Fabio (0006)  type 003  05-11 / 05-11    1000.00  generated: 1 % = 10.00, payable paid
// Branch 0002: q10 0000000010-01 Ana, 05-10 / 05-01, 900.00.
// Branch 0003 (no company): q11 0000000011-01 Ana, 05-10 / 05-01, 100.00.
class CommissionFixture {
public:
    explicit CommissionFixture(QSqlDatabase db) : m_db(std::move(db)) {}

    void write() const;

    static commission::QuoteKey key(int quote);
    // Branch 0001, May 2024 by event date, all salespeople and event types,
    // salespeople's own flag counts, not generated.
    static commission::QuoteFilter mayFilter();

    // A quotes packet as the screen sends it back: every field of the quotes
    // layout, the given quotes marked "S" with their percentage, and totals
    // and commission values that must not be trusted.
    struct Row {
        int quote;
        double percent;
        bool marked = true;
    };
    static packet::Packet quotesPacket(const QVector<Row> &rows);
    // The same for any quotes, every one marked with `percent`.
    static packet::Packet quotesPacket(const QVector<commission::QuoteKey> &keys, double percent);

    // `count` more closed quotes of 100.00 in May 2024 for the salesperson at
    // branch 0001, numbered from `first` on (sequence 01); their keys.
    QVector<commission::QuoteKey> writeQuotes(const QString &salesperson, qint64 first, int count) const;

    qint64 count(const QString &table) const;

    // What is wrong with the money, one line per broken rule (empty when it
    // is whole): every payable has links and equals their sum, every link of
    // a payable made after the fixture has its generation's audit row, and
    // what the audit says each payable got and lost is what it holds now.
    QStringList moneyFaults() const;
    QVariant value(const QString &sql, const QVariantList &values = {}) const;
    void exec(const QString &sql, const QVariantList &values = {}) const;

private:
    QSqlDatabase m_db;
};

Q_DECLARE_METATYPE(CommissionFixture::Row)
