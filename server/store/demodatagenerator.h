#pragma once

#include <QDate>
#include <QSqlDatabase>

#include <functional>
#include <random>

namespace commission {

// How much demo data to write.
struct DemoSize {
    int branches = 5;
    int salespeople = 40;
    int customers = 400;
    int quotes = 4000;
    int months = 6;           // quotes spread over the months up to today
    int generatedBefore = 2;  // quotes older than this many months already have commission (0: none)
    int paidBefore = 4;       // ... and their payables are paid when older than this
    quint32 seed = 9700;

    static DemoSize demo();       // for trying the screen
    static DemoSize benchmark();  // 1,000,000 quotes, 500 salespeople, 20 branches, 3 years
};

// Writes a deterministic demo data set with Portuguese names into an empty,
// migrated database, in one transaction: branches (the last without company),
// salespeople (some without supplier, some who earn no commission, one with
// a default of 0 %), event types, customers, quotes with credit quotes and
// open quotes among them, the quote parameters, and for older quotes
// commission already generated, partly into paid payables. So every answer
// and refusal of the service can be reached from the screen.
class DemoDataGenerator {
public:
    using Progress = std::function<void(qint64 quotesWritten)>;

    explicit DemoDataGenerator(const DemoSize &size, QDate today = QDate::currentDate());

    // Raises ServiceError.
    void generate(const QSqlDatabase &db, const Progress &progress = {});

private:
    struct GeneratedQuote;

    void writeBranches(const QSqlDatabase &db);
    void writeSalespeople(const QSqlDatabase &db);
    void writeEventTypes(const QSqlDatabase &db);
    void writeCustomers(const QSqlDatabase &db);
    void writeParameters(const QSqlDatabase &db);
    QVector<GeneratedQuote> writeQuotes(const QSqlDatabase &db, const Progress &progress);
    void writeGeneratedCommission(const QSqlDatabase &db, const QVector<GeneratedQuote> &quotes);

    int between(int least, int most);
    QString salespersonCode(int index) const;
    double salespersonPercent(int index) const;

    DemoSize m_size;
    QDate m_today;
    std::mt19937 m_random;
};

}  // namespace commission
