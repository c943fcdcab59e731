#include "connectionprovider.h"

#include "nativereader.h"
#include "serviceerror.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <atomic>
#include <memory>

namespace commission {

namespace {

std::atomic<quint64> nextProviderId{1};
std::atomic<quint64> nextThreadSerial{1};

void closeConnection(const QString &name)
{
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

    ~ThreadConnections()
    {
        readers.clear();  // before the connections they run on
        for (const QString &name : std::as_const(names))
            closeConnection(name);
    }

    void close(const QString &name)
    {
        readers.remove(name);
        if (names.remove(name))
            closeConnection(name);
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
        if (m_where.isSqlite())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA mmap_size=%1").arg(sqliteMappedBytes));
        return db;
    } catch (const database::DatabaseError &error) {
        throw ServiceError(ServiceError::Kind::Unavailable, QStringLiteral("Banco de dados indisponível"),
                           QString::fromStdString(error.what()));
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
