#include "directorycheck.h"

#include "serviceerror.h"

#include <ldap.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/time.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace commission {

namespace {

struct HandleCloser {
    void operator()(LDAP *handle) const { ldap_unbind_ext_s(handle, nullptr, nullptr); }
};
using Handle = std::unique_ptr<LDAP, HandleCloser>;

struct MessageFreer {
    void operator()(LDAPMessage *message) const { ldap_msgfree(message); }
};
using Message = std::unique_ptr<LDAPMessage, MessageFreer>;

struct UrlFreer {
    void operator()(LDAPURLDesc *url) const { ldap_free_urldesc(url); }
};

[[noreturn]] void unavailable(const QString &detail)
{
    throw ServiceError(ServiceError::Kind::Unavailable,
                       QStringLiteral("Diretório de operadores indisponível. Tente novamente."), detail);
}

// libldap's text for a result code, with the server's diagnostic message.
QString ldapText(LDAP *handle, int code)
{
    QString text = QString::fromUtf8(ldap_err2string(code));
    char *diagnostic = nullptr;
    if (handle != nullptr && ldap_get_option(handle, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS
        && diagnostic != nullptr) {
        if (*diagnostic != '\0') {
            text += QStringLiteral(": ") + QString::fromUtf8(diagnostic);
        }
        ldap_memfree(diagnostic);
    }
    return text + QStringLiteral(" (%1)").arg(code);
}

// One attribute value of a distinguished name, escaped as RFC 4514 says, so
// that a code with ',', '=', '+' or the like names one entry under the base
// instead of changing the name's structure.
QByteArray escapeDnValue(const QByteArray &value)
{
    static const QByteArray specials = QByteArrayLiteral(",+\"\\<>;=");
    QByteArray escaped;
    escaped.reserve(value.size() * 2);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        const auto byte = static_cast<unsigned char>(c);
        const bool edge = (i == 0 && (c == ' ' || c == '#')) || (i == value.size() - 1 && c == ' ');
        if (byte < 0x20 || byte == 0x7f) {
            escaped += '\\';
            escaped += QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        } else if (specials.contains(c) || edge) {
            escaped += '\\';
            escaped += c;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// An attribute type as a name (letters, digits, hyphens) or as an OID.
bool isAttributeType(const QString &attribute)
{
    if (attribute.isEmpty()) {
        return false;
    }
    const auto isAscii = [](QChar c) { return c.unicode() < 0x80; };
    if (attribute.at(0).isDigit()) {
        return std::all_of(attribute.begin(), attribute.end(),
                           [&](QChar c) { return isAscii(c) && (c.isDigit() || c == u'.'); });
    }
    return std::all_of(attribute.begin(), attribute.end(),
                       [&](QChar c) { return isAscii(c) && (c.isLetterOrNumber() || c == u'-'); })
           && attribute.at(0).isLetter();
}

// 127.0.0.0/8, ::1 (also as an IPv4-mapped 127 address) and localhost: the
// only hosts a password may travel to over plain LDAP.
bool isLoopbackHost(const QByteArray &host)
{
    if (host.compare("localhost", Qt::CaseInsensitive) == 0) {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, host.constData(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.constData(), &v6) == 1) {
        return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
    }
    return false;
}

timeval toTimeval(std::chrono::milliseconds timeout)
{
    const auto ms = std::max<std::chrono::milliseconds::rep>(timeout.count(), 1);
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return tv;
}

// Opens a handle on the URL with the time-outs set; StartTLS beyond loopback.
Handle connectTo(const DirectorySettings &settings)
{
    const QByteArray url = settings.url.toUtf8();
    // One URL only: libldap would take a list and try each in turn, and the
    // decision about StartTLS is made for one host.
    if (settings.url.isEmpty() || url.contains(' ') || url.contains(',') || url.contains('\t')) {
        unavailable(
            QStringLiteral("LDAP: the directory's URL is not one ldap:// or ldaps:// URL: \"%1\"").arg(settings.url));
    }
    LDAPURLDesc *parsedUrl = nullptr;
    if (ldap_url_parse(url.constData(), &parsedUrl) != LDAP_URL_SUCCESS || parsedUrl == nullptr) {
        unavailable(QStringLiteral("LDAP: cannot read the directory's URL \"%1\"").arg(settings.url));
    }
    const std::unique_ptr<LDAPURLDesc, UrlFreer> parsed(parsedUrl);
    const QByteArray scheme = QByteArray(parsed->lud_scheme != nullptr ? parsed->lud_scheme : "").toLower();
    const QByteArray host(parsed->lud_host != nullptr ? parsed->lud_host : "");
    if ((scheme != "ldap" && scheme != "ldaps") || host.isEmpty()) {
        unavailable(QStringLiteral("LDAP: the directory's URL must be ldap://host:port or ldaps://host:port: \"%1\"")
                        .arg(settings.url));
    }

    LDAP *raw = nullptr;
    int rc = ldap_initialize(&raw, url.constData());
    Handle handle(raw);
    if (rc != LDAP_SUCCESS || !handle) {
        unavailable(QStringLiteral("LDAP %1: %2").arg(settings.url, ldapText(nullptr, rc)));
    }
    const int version = LDAP_VERSION3;
    const timeval timeout = toTimeval(settings.timeout);
    if (ldap_set_option(handle.get(), LDAP_OPT_PROTOCOL_VERSION, &version) != LDAP_OPT_SUCCESS
        || ldap_set_option(handle.get(), LDAP_OPT_NETWORK_TIMEOUT, &timeout) != LDAP_OPT_SUCCESS
        || ldap_set_option(handle.get(), LDAP_OPT_TIMEOUT, &timeout) != LDAP_OPT_SUCCESS
        || ldap_set_option(handle.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF) != LDAP_OPT_SUCCESS) {
        unavailable(QStringLiteral("LDAP %1: cannot set the connection's options").arg(settings.url));
    }
    // The password must not cross a network in clear: plain LDAP beyond
    // loopback goes over StartTLS, and fails when it cannot.
    if (scheme == "ldap" && !isLoopbackHost(host)) {
        rc = ldap_start_tls_s(handle.get(), nullptr, nullptr);
        if (rc != LDAP_SUCCESS) {
            unavailable(QStringLiteral("LDAP %1: StartTLS: %2").arg(settings.url, ldapText(handle.get(), rc)));
        }
    }
    return handle;
}

// The entry's first "cn" (read as the operator just bound), or the code when
// the entry has none or may not be read.
QString displayName(LDAP *handle, const DirectorySettings &settings, const QByteArray &dn, const QString &code)
{
    char cn[] = "cn";
    char *attributes[] = {cn, nullptr};
    timeval timeout = toTimeval(settings.timeout);
    LDAPMessage *raw = nullptr;
    const int rc = ldap_search_ext_s(handle, dn.constData(), LDAP_SCOPE_BASE, "(objectClass=*)", attributes, 0, nullptr,
                                     nullptr, &timeout, 1, &raw);
    const Message result(raw);
    if (rc == LDAP_NO_SUCH_OBJECT || rc == LDAP_INSUFFICIENT_ACCESS) {
        return code;
    }
    if (rc != LDAP_SUCCESS) {
        unavailable(
            QStringLiteral("LDAP %1: reading %2: %3").arg(settings.url, QString::fromUtf8(dn), ldapText(handle, rc)));
    }
    LDAPMessage *entry = ldap_first_entry(handle, result.get());
    if (entry == nullptr) {
        return code;
    }
    berval **values = ldap_get_values_len(handle, entry, cn);
    QString name;
    if (values != nullptr && values[0] != nullptr) {
        name = QString::fromUtf8(values[0]->bv_val, static_cast<qsizetype>(values[0]->bv_len)).trimmed();
    }
    ldap_value_free_len(values);
    return name.isEmpty() ? code : name;
}

}  // namespace

DirectoryCheck::DirectoryCheck(DirectorySettings settings) : m_settings(std::move(settings)) {}

std::optional<QString> DirectoryCheck::verify(const QString &operatorCode, const QString &password) const
{
    // An empty password would make a simple bind anonymous, and an empty
    // code names no entry: both are refused without asking the directory.
    if (password.isEmpty() || operatorCode.isEmpty()) {
        return std::nullopt;
    }
    if (!isAttributeType(m_settings.attribute)) {
        unavailable(QStringLiteral("LDAP: \"%1\" is not an attribute type").arg(m_settings.attribute));
    }
    QByteArray dn = m_settings.attribute.toUtf8() + '=' + escapeDnValue(operatorCode.toUtf8());
    if (!m_settings.base.isEmpty()) {
        dn += ',' + m_settings.base.toUtf8();
    }

    const Handle handle = connectTo(m_settings);

    QByteArray secret = password.toUtf8();
    berval credentials{static_cast<ber_len_t>(secret.size()), secret.data()};
    const int rc =
        ldap_sasl_bind_s(handle.get(), dn.constData(), LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
    explicit_bzero(secret.data(), static_cast<size_t>(secret.size()));
    credentials = {};

    switch (rc) {
    case LDAP_SUCCESS:
        return displayName(handle.get(), m_settings, dn, operatorCode);
    case LDAP_INVALID_CREDENTIALS:  // wrong password, or no such entry
    case LDAP_NO_SUCH_OBJECT:
    case LDAP_INAPPROPRIATE_AUTH:  // the entry has no password to compare
        return std::nullopt;
    default:
        unavailable(QStringLiteral("LDAP %1: bind as %2: %3")
                        .arg(m_settings.url, QString::fromUtf8(dn), ldapText(handle.get(), rc)));
    }
}

}  // namespace commission
