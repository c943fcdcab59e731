#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace commission {

// Where the company's directory of operators is and how an operator's entry
// is named in it.
struct DirectorySettings {
    QString url;                                // ldap://host:port or ldaps://host:port; empty: no directory
    QString base;                               // e.g. ou=operadores,dc=empresa,dc=example
    QString attribute = QStringLiteral("uid");  // the operator's code is this attribute of its entry
    std::chrono::milliseconds timeout{5000};    // network and operation time-out
};

// Checks an operator's password against the company's LDAP directory by
// binding as the operator's entry. Each check opens its own connection and
// closes it again, so one object serves every worker thread at once. The
// password is only handed to the bind and wiped afterwards; it never reaches
// a log or an error.
class DirectoryCheck {
public:
    explicit DirectoryCheck(DirectorySettings settings);

    // Binds to the directory as "<attribute>=<code>,<base>" with the password
    // (simple bind, LDAPv3), over StartTLS when the host is not loopback.
    // The operator's display name (its entry's "cn", or the code when it has
    // none) when the bind succeeds; std::nullopt when the directory refuses
    // the credentials (unknown entry, wrong password). An empty password is
    // refused before anything is sent: an empty simple bind is anonymous and
    // would succeed.
    // Throws ServiceError (Unavailable, "Diretório de operadores
    // indisponível. Tente novamente.", libldap's text as the detail) when the
    // directory cannot be reached, times out or answers anything else.
    std::optional<QString> verify(const QString &operatorCode, const QString &password) const;

    const DirectorySettings &settings() const { return m_settings; }

private:
    DirectorySettings m_settings;
};

}  // namespace commission
