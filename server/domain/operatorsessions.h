#pragma once

#include "directorycheck.h"
#include "operatorgrants.h"

#include <QString>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace commission {

class ConnectionProvider;

// The operator a call was made by, as the server checked it.
struct SignedInOperator {
    QString code;
    QString name;
    OperatorGrants grants;
};

// What a sign-in answers.
struct SignInResult {
    QString token;  // given to the caller once; only its digest is kept
    SignedInOperator signedIn;
    qint64 expires = 0;  // seconds since 1970: the end of the session if it is not used again
};

// How long sessions last and how many failed sign-ins lock out.
struct SessionPolicy {
    qint64 idleSeconds = 30 * 60;
    qint64 lifetimeSeconds = 12 * 60 * 60;
    int operatorFailures = 5;  // within the window, then the operator is refused
    int addressFailures = 20;  // within the window, then the address is refused
    qint64 failureWindowSeconds = 15 * 60;
    qint64 lockSeconds = 15 * 60;
    // A session read from the database serves calls this long before it is
    // read again, so a revoked right or a disabled operator takes effect on
    // every server within about this time.
    std::chrono::milliseconds recheck{1000};
    // The last use is written at most this often; idle expiry is that coarse.
    qint64 touchEverySeconds = 60;
};

// Sign-in, sign-out and the check of every call's session. Sessions live in
// the shared database, so every server of the database honours them; each
// server keeps what it read for `recheck`, so a call costs a hash and a map
// lookup, not a query. Safe to use from every worker thread at once; each
// thread's database work goes through its own connection.
class OperatorSessions {
public:
    using Clock = std::function<qint64()>;  // seconds since 1970, UTC

    OperatorSessions(ConnectionProvider &connections, DirectorySettings directory, SessionPolicy policy = {},
                     Clock clock = {});

    // Raises ServiceError: Unauthorized ("Operador ou senha inválidos.", the
    // same for an unknown operator, a wrong password and a disabled one;
    // with when to try again while locked out), DirectoryDown.
    SignInResult signIn(const QString &operatorCode, const QString &password, const QString &origin);
    // The session of the token, or ServiceError Unauthorized when it is
    // unknown, signed out, expired or its operator is disabled.
    SignedInOperator authenticate(const QString &token);
    void signOut(const QString &token);

    void setClock(Clock clock);
    static const QString invalidCredentials;

private:
    struct Cached {
        SignedInOperator signedIn;
        qint64 started = 0;
        qint64 lastUsed = 0;
        std::chrono::steady_clock::time_point read;
    };

    qint64 now() const;
    qint64 clockReading() const;  // the caller holds m_mutex
    bool expired(qint64 started, qint64 lastUsed, qint64 at) const;
    std::optional<QString> checkPassword(const QString &code, const QString &password);
    void refuseWhileLockedOut(const QString &operatorKey, const QString &addressKey, qint64 at);
    Cached readSession(const QString &digest, qint64 at);
    void forget(const QString &digest);

    ConnectionProvider &m_connections;
    std::optional<DirectoryCheck> m_directory;
    SessionPolicy m_policy;
    Clock m_clock;
    mutable std::mutex m_mutex;  // guards the clock and the cache
    std::unordered_map<std::string, Cached> m_cache;
};

}  // namespace commission
