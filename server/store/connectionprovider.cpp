#include "connectionprovider.h"

#include "nativereader.h"
#include "serviceerror.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

namespace commission {

namespace {

std::atomic<quint64> nextProviderId{1};
std::atomic<quint64> nextThreadSerial{1};

// The engine's own handle of one open connection, reachable from other
// threads to interrupt it.
struct NativeLink {
    quint64 provider = 0;
    std::thread::id thread;
    sqlite3 *sqlite = nullptr;
    PGcancel *cancel = nullptr;  // made on the connection's own thread
    std::atomic<bool> interrupted{false};
    int waitedMilliseconds = 0;  // of the current wait for a lock, on the connection's thread

    ~NativeLink()
    {
        if (cancel)
            PQfreeCancel(cancel);
    }
};

// Every open connection's link, by connection name. A link leaves before its
// connection closes, so no interruption reaches a closed handle.
std::mutex linksMutex;
QHash<QString, std::shared_ptr<NativeLink>> &links()
{
    static QHash<QString, std::shared_ptr<NativeLink>> all;
    return all;
}

// SQLite's wait for another writer's lock, as the busy timeout would wait,
// except that an interrupted connection stops waiting at once.
int waitForLock(void *data, int attempts)
{
    auto *link = static_cast<NativeLink *>(data);
    if (attempts == 0)
        link->waitedMilliseconds = 0;
    if (link->interrupted || link->waitedMilliseconds >= ConnectionProvider::sqliteBusyMilliseconds)
        return 0;
    const int pause = std::min(attempts + 1, 25);
    std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    link->waitedMilliseconds += pause;
    return 1;
}

std::shared_ptr<NativeLink> linkOf(const QSqlDatabase &db, quint64 provider)
{
    auto link = std::make_shared<NativeLink>();
    link->provider = provider;
    link->thread = std::this_thread::get_id();
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        link->sqlite = *static_cast<sqlite3 *const *>(handle.constData());
        if (link->sqlite)
            sqlite3_busy_handler(link->sqlite, waitForLock, link.get());
    } else if (handle.isValid()
               && (qstrcmp(handle.typeName(), "PGconn*") == 0 || qstrcmp(handle.typeName(), "pg_conn*") == 0)) {
        if (auto *postgres = *static_cast<pg_conn *const *>(handle.constData()))
            link->cancel = PQgetCancel(postgres);
    }
    const std::lock_guard<std::mutex> lock(linksMutex);
    links().insert(db.connectionName(), link);
    return link;
}

void closeConnection(const QString &name)
{
    {
        const std::lock_guard<std::mutex> lock(linksMutex);
        links().remove(name);
    }
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The connections a thread has opened; closed when the thread ends.
struct ThreadConnections {
    quint64 serial = nextThreadSerial++;
    QSet<QString> names;
    // Each connection's reader with its prepared statements, by name.
    QHash<QString, std::shared_ptr<NativeReader>> readers;
    // Each connection's link, kept until it has closed: its busy handler
    // points at it.
    QHash<QString, std::shared_ptr<NativeLink>> nativeLinks;

    ~ThreadConnections()
    {
        readers.clear();  // before the connections they run on
        for (const QString &name : std::as_const(names))
            closeConnection(name);
        nativeLinks.clear();
    }

    void close(const QString &name)
    {
        readers.remove(name);
        if (names.remove(name))
            closeConnection(name);
        nativeLinks.remove(name);
    }
};

ThreadConnections &threadConnections()
{
    thread_local ThreadConnections connections;
    return connections;
}

}  // namespace

ConnectionProvider::ConnectionProvider(database::ConnectionString where)
    : m_where(std::move(where)), m_id(nextProviderId++)
{
}

ConnectionProvider::~ConnectionProvider()
{
    discard();
}

QString ConnectionProvider::connectionName() const
{
    return QStringLiteral("commission-%1-%2").arg(m_id).arg(threadConnections().serial);
}

QSqlDatabase ConnectionProvider::database()
{
    const QString name = connectionName();
    if (threadConnections().names.contains(name))
        return QSqlDatabase::database(name, false);
    try {
        QSqlDatabase db = database::openConnection(m_where, name);
        threadConnections().names.insert(name);
        threadConnections().nativeLinks.insert(name, linkOf(db, m_id));
        if (m_where.isSqlite())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA mmap_size=%1").arg(sqliteMappedBytes));
        return db;
    } catch (const database::DatabaseError &error) {
        throw ServiceError(ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados indisponível"),
                           QString::fromStdString(error.what()));
    }
}

void ConnectionProvider::interrupt(std::thread::id thread) const
{
    const std::lock_guard<std::mutex> lock(linksMutex);
    for (const std::shared_ptr<NativeLink> &link : std::as_const(links())) {
        if (link->provider != m_id || link->thread != thread)
            continue;
        link->interrupted = true;
        if (link->sqlite)
            sqlite3_interrupt(link->sqlite);
        if (link->cancel) {
            char error[256];
            PQcancel(link->cancel, error, int(sizeof error));
        }
    }
}

void ConnectionProvider::discard()
{
    threadConnections().close(connectionName());
}

NativeReader &ConnectionProvider::reader(const QSqlDatabase &db, std::unique_ptr<NativeReader> &own)
{
    ThreadConnections &connections = threadConnections();
    const QString name = db.connectionName();
    if (!connections.names.contains(name)) {
        own = NativeReader::open(db);
        return *own;
    }
    std::shared_ptr<NativeReader> &reader = connections.readers[name];
    if (!reader)
        reader = NativeReader::open(db);
    return *reader;
}

}  // namespace commission
