#pragma once

#include "nativebaseline.h"

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// NativeBaseline on SQLite's C library.
class SqliteBaseline : public NativeBaseline {
public:
    explicit SqliteBaseline(const QString &file);
    ~SqliteBaseline() override;

    int prepare(const QString &sql) override;
    qint64 run(int statement, const QVariantList &values) override;

private:
    sqlite3 *m_db = nullptr;
    std::vector<sqlite3_stmt *> m_statements;
};
