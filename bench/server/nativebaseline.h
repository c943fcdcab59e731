#pragma once

#include <connectionstring.h>

#include <QString>
#include <QVariantList>

#include <memory>

// The best a hand-written program does with the same statements: the
// database's own C library, each statement prepared once, every value of
// every row read. What the server adds on top of it is its own cost.
class NativeBaseline {
public:
    virtual ~NativeBaseline() = default;

    // SQLite's C library or libpq, by the connection string.
    static std::unique_ptr<NativeBaseline> open(const database::ConnectionString &where);

    // Prepares a statement with "?" placeholders; returns its handle.
    virtual int prepare(const QString &sql) = 0;
    // Runs a prepared statement with the values (texts, numbers, dates) and
    // reads every value; returns the number of rows.
    virtual qint64 run(int statement, const QVariantList &values) = 0;
};
