#pragma once

#include <QSqlDatabase>

// The operator BENCH with every right and a session of its own, written
// straight into the database (a database built by an earlier run may have
// them already): the calls measured carry a session as the screen's do.
class BenchOperator {
public:
    // Opens a new session of BENCH and makes it the one BenchSession uses.
    static void openSession(const QSqlDatabase &db);
};
