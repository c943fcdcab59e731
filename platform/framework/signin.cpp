#include "signin.h"

#include "session.h"

#include <tnetconnection.h>

void SignIn::prepare(TNetConnection &connection)
{
    const SessionValues &session = Session::values();
    connection.Secret = session.serverSecret;
    connection.CaFile = session.serverCaFile;
}
