#include "serveddatabase.h"

#include <stdexcept>

namespace {

commission::HttpSettings settingsFor(int workers, int ioThreads)
{
    commission::HttpSettings settings;
    settings.port = 0;
    settings.threads = workers;
    settings.ioThreads = ioThreads;
    return settings;
}

}  // namespace

ServedDatabase::ServedDatabase(const database::ConnectionString &where, int workers, int ioThreads)
    : m_connections(where), m_server(settingsFor(workers, ioThreads), m_connections, [](const QString &) {})
{
    m_port = m_server.bind().value_or(0);
    if (m_port == 0)
        throw std::runtime_error("nenhuma porta livre no loopback");
    m_serving = std::thread([this] { m_server.run(); });
}

ServedDatabase::~ServedDatabase()
{
    m_server.stop();
    m_serving.join();
}
