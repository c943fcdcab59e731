#pragma once

#include "nativebaseline.h"

#include <string>
#include <vector>

struct pg_conn;

// NativeBaseline on libpq: statements prepared on the server once, values
// sent as text, rows read as text as they arrive in one result.
class PostgresBaseline : public NativeBaseline {
public:
    explicit PostgresBaseline(const database::ConnectionString &where);
    ~PostgresBaseline() override;

    int prepare(const QString &sql) override;
    qint64 run(int statement, const QVariantList &values) override;

private:
    pg_conn *m_connection = nullptr;
    std::vector<std::string> m_names;
};
