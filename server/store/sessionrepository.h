#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace commission {

// An open session as the database keeps it; instants in seconds since 1970 (UTC).
struct StoredSession {
    QString operatorCode;
    QString operatorName;
    qint64 started = 0;
    qint64 lastUsed = 0;
};

// Sessions by the digest of their token (SESSAOOPERADOR) and failed
// sign-ins by key (FALHAENTRADA): every server of the database sees the
// same. Statements only; raises ServiceError.
class SessionRepository {
public:
    explicit SessionRepository(QSqlDatabase db) : m_db(std::move(db)) {}

    void open(const QString &digest, const StoredSession &session, const QString &origin);
    std::optional<StoredSession> find(const QString &digest) const;
    // Moves the last use forward; false when the session is gone.
    bool touch(const QString &digest, qint64 now);
    void close(const QString &digest);
    // Sessions idle since before `idleBefore` or started before `startedBefore`.
    void closeExpired(qint64 idleBefore, qint64 startedBefore);

    // Failed sign-ins of a key since the instant: how many, and the newest.
    struct Failures {
        int count = 0;
        qint64 newest = 0;
    };
    Failures failures(const QString &key, qint64 since) const;
    void recordFailure(const QString &key, qint64 at);
    void clearFailures(const QString &key);
    void forgetFailuresBefore(qint64 before);

private:
    QSqlDatabase m_db;
};

}  // namespace commission
