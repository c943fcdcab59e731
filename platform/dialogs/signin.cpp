#include "signin.h"

#include "dialogseam.h"
#include "session.h"

#include <tnetconnection.h>

#include <QScopeGuard>

namespace {

// A connection to the session's server with nothing of a signed-in
// operator yet.
void pointAtServer(TNetConnection &connection)
{
    const SessionValues &session = Session::values();
    connection.SecretHeader = session.secretHeader;
    connection.SessionPath = session.sessionPath;
    connection.Host = session.serverHost;
    connection.Port = session.serverPort;
    connection.Secret = session.serverSecret;
    connection.CaFile = session.serverCaFile;
}

// Set while the operator is being asked to sign in again, so that a call
// made meanwhile (a timer of another screen) does not open a second dialog.
bool renewing = false;

void storeSession(const SignedInSession &answered)
{
    SessionValues values = Session::values();
    values.sessionToken = answered.token;
    values.operatorCode = answered.operatorCode;
    values.operatorName = answered.operatorName;
    values.rights.clear();
    for (const SignedInSession::Grant &grant : answered.rights)
        values.rights.append({grant.branch, grant.rights});
    Session::set(values);
}

bool renewSession(TNetConnection &connection)
{
    const QString current = Session::values().sessionToken;
    // Another connection of the session signed in again already.
    if (!current.isEmpty() && current != connection.BearerToken) {
        connection.BearerToken = current;
        return true;
    }
    if (renewing)
        return false;
    renewing = true;
    const auto done = qScopeGuard([] { renewing = false; });
    const bool signedIn =
        DialogSeam::current().signIn({Session::values().operatorCode, SignIn::expiredNotice, /*sameOperator=*/true});
    if (signedIn)
        connection.BearerToken = Session::values().sessionToken;
    return signedIn;
}

}  // namespace

const QString SignIn::expiredNotice = QStringLiteral("Sua sessão expirou. Digite a senha para continuar.");

void SignIn::prepare(TNetConnection &connection)
{
    const SessionValues &session = Session::values();
    connection.Secret = session.serverSecret;
    connection.CaFile = session.serverCaFile;
    connection.SessionPath = session.sessionPath;
    connection.BearerToken = session.sessionToken;
    connection.OnSessionExpired = renewSession;
}

void SignIn::signIn(const QString &operatorCode, const QString &password)
{
    TNetConnection connection;
    pointAtServer(connection);
    storeSession(connection.signIn(operatorCode, password));
}

void SignIn::signInAsync(TNetConnection &connection, const QString &operatorCode, const QString &password,
                         QObject *context, Done done)
{
    pointAtServer(connection);
    connection.signInAsync(operatorCode, password, context, [done = std::move(done)](const SignInOutcome &outcome) {
        if (!outcome.failed())
            storeSession(outcome.session);
        done(outcome.error);
    });
}

void SignIn::signInWithPassword(const QString &password)
{
    signIn(Session::values().operatorCode, password);
}

void SignIn::signOut()
{
    SessionValues values = Session::values();
    if (values.sessionToken.isEmpty())
        return;
    TNetConnection connection;
    pointAtServer(connection);
    connection.BearerToken = values.sessionToken;
    try {
        connection.signOut();
    } catch (const RemoteCallError &) {
        // Ended or not, the token is forgotten; the server ends it in time.
    } catch (const TransportError &) {
    }
    values.sessionToken.clear();
    Session::set(values);
}
