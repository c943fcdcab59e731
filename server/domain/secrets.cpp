#include "secrets.h"

#include "serviceerror.h"

#include <sodium.h>

#include <mutex>

namespace commission {

namespace {

// sodium_init may be called any number of times, but not from two threads
// at once before the first has returned.
void ensureSodium()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (sodium_init() < 0)
            throw ServiceError::internal(QStringLiteral("A biblioteca de criptografia não pôde ser iniciada."));
    });
}

// A valid hash of a password nobody knows: an unknown operator costs the
// same verification as a known one, so the time taken does not tell them apart.
const QByteArray &decoyHash()
{
    static const QByteArray hash = Secrets::hashPassword(Secrets::newToken()).toLatin1();
    return hash;
}

}  // namespace

QString Secrets::hashPassword(const QString &password)
{
    ensureSodium();
    const QByteArray clear = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, clear.constData(), static_cast<unsigned long long>(clear.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw ServiceError::internal(QStringLiteral("Memória insuficiente para calcular o hash da senha."));
    return QString::fromLatin1(hash);
}

bool Secrets::passwordMatches(const QString &hash, const QString &password)
{
    ensureSodium();
    const QByteArray clear = password.toUtf8();
    const bool usable = hash.startsWith(QLatin1String("$argon2"));
    const QByteArray stored = usable ? hash.toLatin1() : decoyHash();
    const bool matches =
        crypto_pwhash_str_verify(stored.constData(), clear.constData(), static_cast<unsigned long long>(clear.size()))
        == 0;
    return usable && matches;
}

QString Secrets::newToken()
{
    ensureSodium();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes).toHex());
}

QString Secrets::tokenDigest(const QString &token)
{
    ensureSodium();
    const QByteArray text = token.toLatin1();
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char *>(text.constData()),
                       static_cast<unsigned long long>(text.size()), nullptr, 0);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), sizeof digest).toHex());
}

bool Secrets::same(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    ensureSodium();
    return sodium_memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}

}  // namespace commission
