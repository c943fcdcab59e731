#pragma once

#include <connectionstring.h>

#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <thread>

namespace commission {

class NativeReader;

// One database connection per thread. A QSqlDatabase may only be used on the
// thread that opened it, so each worker thread opens its own connection on
// first use, under a name unique to this provider and thread, and closes it
// when the thread ends. Nothing else is kept between calls.
class ConnectionProvider {
public:
    explicit ConnectionProvider(database::ConnectionString where);
    ~ConnectionProvider();  // closes the calling thread's connection

    ConnectionProvider(const ConnectionProvider &) = delete;
    ConnectionProvider &operator=(const ConnectionProvider &) = delete;

    // How much of an SQLite file each connection maps instead of reading
    // it page by page: the most the library allows, so a database of a
    // whole company's years is read from memory, not through a system call
    // per page its small own cache misses. Only address space: the pages
    // are the system's file cache, shared by every connection.
    static constexpr qint64 sqliteMappedBytes = 2147418112;

    // The calling thread's connection, opened on first use. Raises
    // ServiceError (Unavailable) when the database cannot be opened.
    QSqlDatabase database();

    // Closes the calling thread's connection, e.g. after it broke; the next
    // database() opens a new one.
    void discard();

    const database::ConnectionString &where() const { return m_where; }

    // From any thread: interrupts what the connections this provider opened
    // on `thread` are doing, so the transaction they are in fails and rolls
    // back. A statement running stops (SQLite) or is cancelled (PostgreSQL),
    // and on SQLite a wait for the database lock gives up at once and every
    // later one too. Used by a stop that gives up on the calls still running.
    void interrupt(std::thread::id thread) const;

    // How long an SQLite connection waits for another writer's lock.
    static constexpr int sqliteBusyMilliseconds = 5000;

    // The reader of `db` (see NativeReader), kept with its prepared
    // statements for as long as the calling thread keeps the connection
    // open, so a statement run on every call is prepared once per worker;
    // for any other connection a new reader, which `own` holds for the
    // caller.
    static NativeReader &reader(const QSqlDatabase &db, std::unique_ptr<NativeReader> &own);

private:
    QString connectionName() const;

    database::ConnectionString m_where;
    quint64 m_id;
};

}  // namespace commission
