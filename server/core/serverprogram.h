#pragma once

namespace commission {

struct ServerOptions;

// What the commission-server executable does with its options: create the
// demo database, or migrate the database and serve until SIGINT or SIGTERM.
class ServerProgram {
public:
    // The process exit code.
    static int run(const ServerOptions &options);

private:
    static int createDemo(const ServerOptions &options);
    static int serve(const ServerOptions &options);
};

}  // namespace commission
