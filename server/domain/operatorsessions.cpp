#include "operatorsessions.h"

#include "connectionprovider.h"
#include "operatorrepository.h"
#include "secrets.h"
#include "serviceerror.h"
#include "sessionrepository.h"
#include "writetransaction.h"

#include <remotecontract.h>

#include <QDateTime>
#include <QRegularExpression>

namespace commission {

namespace {

const QString sessionEnded = QStringLiteral("Sessão encerrada ou expirada. Entre novamente.");

[[noreturn]] void refuse(const QString &message)
{
    throw ServiceError(ServiceError::Kind::Unauthorized, message);
}

constexpr size_t cacheLimit = 10000;

// Where the lock of a failure key is kept ("L" + "O:ANA").
QString lockKey(const QString &failureKey)
{
    return QStringLiteral("L") + failureKey;
}

}  // namespace

const QString OperatorSessions::invalidCredentials = QStringLiteral("Operador ou senha inválidos.");

OperatorSessions::OperatorSessions(ConnectionProvider &connections, DirectorySettings directory, SessionPolicy policy,
                                   Clock clock)
    : m_connections(connections), m_policy(policy), m_clock(std::move(clock))
{
    if (!directory.url.isEmpty())
        m_directory.emplace(std::move(directory));
}

void OperatorSessions::setClock(Clock clock)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(clock);
    m_cache.clear();
}

qint64 OperatorSessions::now() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return clockReading();
}

qint64 OperatorSessions::clockReading() const
{
    return m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
}

bool OperatorSessions::expired(qint64 started, qint64 lastUsed, qint64 at) const
{
    return at - lastUsed >= m_policy.idleSeconds || at - started >= m_policy.lifetimeSeconds;
}

SignInResult OperatorSessions::signIn(const QString &operatorCode, const QString &password, const QString &origin)
{
    const QString code = operatorCode.trimmed().toUpper();
    const qint64 at = now();
    const QString operatorKey = QStringLiteral("O:") + code.left(contract::RemoteContract::operatorCodeWidth);
    const QString addressKey = QStringLiteral("A:") + origin;
    refuseWhileLockedOut(operatorKey, addressKey, at);

    const std::optional<QString> name =
        OperatorRepository::isOperatorCode(code) && !password.isEmpty() ? checkPassword(code, password) : std::nullopt;
    const QSqlDatabase db = m_connections.database();
    SessionRepository sessions(db);
    if (!name) {
        WriteTransaction transaction(db);
        const qint64 since = at - m_policy.failureWindowSeconds;
        // The failure that reaches a limit starts the lock, kept as a row
        // of its own so that it lasts its whole time, whatever the window.
        sessions.recordFailure(addressKey, at);
        if (sessions.failures(addressKey, since).count >= m_policy.addressFailures)
            sessions.recordFailure(lockKey(addressKey), at);
        sessions.recordFailure(operatorKey, at);
        if (sessions.failures(operatorKey, since).count >= m_policy.operatorFailures)
            sessions.recordFailure(lockKey(operatorKey), at);
        transaction.commit();
        refuse(invalidCredentials);
    }

    SignInResult result;
    result.token = Secrets::newToken();
    result.signedIn = SignedInOperator{code, *name, OperatorRepository(db).grants(code)};
    result.expires = std::min(at + m_policy.idleSeconds, at + m_policy.lifetimeSeconds);
    WriteTransaction transaction(db);
    sessions.clearFailures(operatorKey);
    sessions.forgetFailuresBefore(at - std::max(m_policy.failureWindowSeconds, m_policy.lockSeconds));
    sessions.closeExpired(at - m_policy.idleSeconds, at - m_policy.lifetimeSeconds);
    sessions.open(Secrets::tokenDigest(result.token), StoredSession{code, *name, at, at}, origin);
    transaction.commit();
    return result;
}

// The operator's name when the password is right and the operator may sign
// in; nullopt otherwise. With a directory the directory checks the password
// and the database may only disable; without one the stored hash decides.
std::optional<QString> OperatorSessions::checkPassword(const QString &code, const QString &password)
{
    const std::optional<StoredOperator> stored = OperatorRepository(m_connections.database()).find(code);
    if (m_directory) {
        std::optional<QString> directoryName;
        try {
            directoryName = m_directory->verify(code, password);
        } catch (const ServiceError &error) {
            throw ServiceError(ServiceError::Kind::DirectoryDown, error.message(), error.detail());
        }
        if (!directoryName || (stored && !stored->active))
            return std::nullopt;
        return stored ? stored->name : *directoryName;
    }
    // An unknown operator is checked against a decoy hash, at the same cost.
    const bool matches = Secrets::passwordMatches(stored ? stored->passwordHash : QString(), password);
    if (!stored || !matches || !stored->active)
        return std::nullopt;
    return stored->name;
}

void OperatorSessions::refuseWhileLockedOut(const QString &operatorKey, const QString &addressKey, qint64 at)
{
    const SessionRepository sessions(m_connections.database());
    const qint64 since = at - m_policy.lockSeconds;
    qint64 lockedUntil = 0;
    for (const QString &key : {addressKey, operatorKey}) {
        const SessionRepository::Failures locks = sessions.failures(lockKey(key), since);
        if (locks.count > 0)
            lockedUntil = std::max(lockedUntil, locks.newest + m_policy.lockSeconds);
    }
    if (lockedUntil <= at)
        return;
    const qint64 minutes = (lockedUntil - at + 59) / 60;
    refuse(QStringLiteral("%1 Muitas tentativas sem sucesso: tente novamente em %2 %3.")
               .arg(invalidCredentials)
               .arg(minutes)
               .arg(minutes == 1 ? QStringLiteral("minuto") : QStringLiteral("minutos")));
}

SignedInOperator OperatorSessions::authenticate(const QString &token)
{
    static const QRegularExpression tokenPattern(QStringLiteral("^[0-9a-f]{64}$"));
    if (!tokenPattern.match(token).hasMatch())
        refuse(sessionEnded);
    const QString digest = Secrets::tokenDigest(token);
    const std::string key = digest.toStdString();
    const auto moment = std::chrono::steady_clock::now();
    qint64 at = 0;
    {
        // One lock for the clock and the cache: this runs on every call.
        const std::lock_guard<std::mutex> lock(m_mutex);
        at = clockReading();
        const auto found = m_cache.find(key);
        if (found != m_cache.end() && moment - found->second.read < m_policy.recheck
            && !expired(found->second.started, found->second.lastUsed, at))
            return found->second.signedIn;
    }
    const Cached fresh = readSession(digest, at);
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cache.size() >= cacheLimit) {
        for (auto it = m_cache.begin(); it != m_cache.end();)
            it = moment - it->second.read >= m_policy.recheck ? m_cache.erase(it) : std::next(it);
    }
    m_cache[key] = fresh;
    return fresh.signedIn;
}

OperatorSessions::Cached OperatorSessions::readSession(const QString &digest, qint64 at)
{
    const QSqlDatabase db = m_connections.database();
    SessionRepository sessions(db);
    const std::optional<StoredSession> stored = sessions.find(digest);
    if (!stored) {
        forget(digest);
        refuse(sessionEnded);
    }
    const OperatorRepository operators(db);
    const std::optional<StoredOperator> op = operators.find(stored->operatorCode);
    if (expired(stored->started, stored->lastUsed, at) || (op && !op->active)) {
        sessions.close(digest);
        forget(digest);
        refuse(sessionEnded);
    }
    Cached fresh{SignedInOperator{stored->operatorCode, stored->operatorName, operators.grants(stored->operatorCode)},
                 stored->started, stored->lastUsed, std::chrono::steady_clock::now()};
    // One short write now and then keeps a session in use alive.
    if (at - stored->lastUsed >= m_policy.touchEverySeconds && sessions.touch(digest, at))
        fresh.lastUsed = at;
    return fresh;
}

void OperatorSessions::signOut(const QString &token)
{
    authenticate(token);
    const QString digest = Secrets::tokenDigest(token);
    SessionRepository(m_connections.database()).close(digest);
    forget(digest);
}

void OperatorSessions::forget(const QString &digest)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_cache.erase(digest.toStdString());
}

}  // namespace commission
