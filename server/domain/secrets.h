#pragma once

#include <QByteArray>
#include <QString>

namespace commission {

// Password hashes, session tokens and comparisons of secrets, all through
// libsodium: Argon2id for passwords, random bytes for tokens, and
// comparisons that take the same time whatever the texts hold.
class Secrets {
public:
    // A self-describing Argon2id hash ("$argon2id$v=19$..."). Raises
    // ServiceError when the library cannot hash (out of memory).
    static QString hashPassword(const QString &password);
    // Whether the password matches the hash. An empty or malformed hash
    // matches nothing; the work done is the same as for a wrong password.
    static bool passwordMatches(const QString &hash, const QString &password);

    // A new session token: 32 random bytes as 64 hexadecimal characters.
    static QString newToken();
    // What is stored of a token: its BLAKE2b hash, in hexadecimal. A token
    // has 256 random bits, so a fast hash is as safe as a slow one.
    static QString tokenDigest(const QString &token);

    // Constant-time equality of two byte strings (a different length is
    // told apart at once; the content never is).
    static bool same(const QByteArray &a, const QByteArray &b);
};

}  // namespace commission
