#pragma once

#include "dialogs_export.h"

#include <QString>

#include <exception>
#include <functional>

class QObject;
class TNetConnection;
struct SignedInSession;

// The operator's sign-in to the commission server, as every service
// connection of the session uses it.
class DIALOGS_EXPORT SignIn {
public:
    // Gives a connection what the session's calls carry: the shared secret,
    // the server's authority and the signed-in operator's token, and what to
    // do when the server answers that the session has ended: the operator is
    // asked for the password again through the dialog seam
    // (DialogSeam::signIn, with expiredNotice); on success the session and
    // the connection hold the new token (see TNetConnection::OnSessionExpired
    // for what happens to the call).
    static void prepare(TNetConnection &connection);

    // Signs the operator in with the session's server address, secret and
    // authority, and stores what the server answered (token, operator code,
    // name, rights) in the session. Raises RemoteCallError with the server's
    // text on a refusal (wrong password, directory down), TransportError
    // when the server cannot be reached; the session is then unchanged.
    static void signIn(const QString &operatorCode, const QString &password);
    // The same for the session's operator (--password-stdin).
    static void signInWithPassword(const QString &password);
    // The same sign-in without waiting, sent through `connection` (pointed
    // at the session's server here; it must outlive the call): `done` runs on
    // the thread of `context` with the error signIn would have raised, empty
    // once the session holds what the server answered.
    using Done = std::function<void(const std::exception_ptr &error)>;
    static void signInAsync(TNetConnection &connection, const QString &operatorCode, const QString &password,
                            QObject *context, Done done);

    // Ends the session on the server and forgets its token; whatever fails
    // is ignored (the server's session expires on its own).
    static void signOut();

    static const QString expiredNotice;  // "Sua sessão expirou. Digite a senha para continuar."
};
