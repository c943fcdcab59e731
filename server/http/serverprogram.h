#pragma once

#include <QString>

namespace database {
struct ConnectionString;
}

namespace commission {

struct ServerOptions;

// What the commission-server executable does with its options: create an
// empty or a demo database, or migrate an existing database and serve until
// SIGINT or SIGTERM.
class ServerProgram {
public:
    // The process exit code.
    static int run(const ServerOptions &options);
    // The exit code of a stop that rolled back calls still running at its
    // deadline.
    static constexpr int abandonedExitCode = 3;

private:
    static int init(const ServerOptions &options);
    static int createDemo(const ServerOptions &options);
    static int administer(const ServerOptions &options);
    static int backup(const ServerOptions &options);
    // Why the database cannot be served because it does not exist; empty
    // when it exists (or is not a file).
    static QString missingDatabase(const database::ConnectionString &where);
    // Why an SQLite database cannot be written (the file or its folder,
    // where the journal goes, not writable for this user, or a read-only
    // file system); empty when it can, or is not a file.
    static QString unwritableDatabase(const database::ConnectionString &where);
    static int serve(const ServerOptions &options);
};

}  // namespace commission
