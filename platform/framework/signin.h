#pragma once

#include "framework_export.h"

class TNetConnection;

// The operator's sign-in to the commission server, as every service
// connection of the session uses it.
class FRAMEWORK_EXPORT SignIn {
public:
    // Gives a connection what the session's calls carry: the shared secret,
    // the server's authority and the signed-in operator's token, and what to
    // do when the server answers that the session has ended.
    static void prepare(TNetConnection &connection);
};
