#pragma once

#include <commissionhttpserver.h>
#include <connectionprovider.h>

#include <thread>

// A commission server for the database, on loopback in this process, with
// `workers` database workers and `ioThreads` I/O threads.
class ServedDatabase {
public:
    ServedDatabase(const database::ConnectionString &where, int workers, int ioThreads = 2);
    ~ServedDatabase();
    ServedDatabase(const ServedDatabase &) = delete;
    ServedDatabase &operator=(const ServedDatabase &) = delete;

    int port() const { return m_port; }

private:
    commission::ConnectionProvider m_connections;
    commission::CommissionHttpServer m_server;
    std::thread m_serving;
    int m_port = 0;
};
