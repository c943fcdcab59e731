#include <directorycheck.h>
#include <serviceerror.h>

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <future>
#include <optional>
#include <thread>
#include <vector>

using commission::DirectoryCheck;
using commission::DirectorySettings;
using commission::ServiceError;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const char *ldapVariable = "COMMISSION_TEST_LDAP";
const auto unavailableText = QStringLiteral("Diretório de operadores indisponível. Tente novamente.");

// The directory scripts/test starts (scripts/ldap-test-server); empty when unset.
DirectorySettings testDirectory()
{
    DirectorySettings settings;
    settings.url = qEnvironmentVariable(ldapVariable);
    settings.base =
        qEnvironmentVariable("COMMISSION_TEST_LDAP_BASE", QStringLiteral("ou=operadores,dc=empresa,dc=example"));
    settings.timeout = std::chrono::milliseconds(2000);
    return settings;
}

// A loopback port nothing listens on: one the system handed out and took back.
quint16 closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        qFatal("no free port");
    }
    return server.serverPort();
}

}  // namespace

// Checking an operator's password by binding to a real directory: what it
// accepts and refuses, and that a directory out of reach fails closed
// without the password in the error.
class DirectoryCheckTest : public QObject {
    Q_OBJECT
private slots:
    void shouldAnswerTheNameOnlyForTheRightPassword_data();
    void shouldAnswerTheNameOnlyForTheRightPassword();
    void shouldGiveEachWorkerThreadItsOwnConnection();
    void shouldRefuseAnEmptyPasswordWithoutAskingTheDirectory();
    void shouldFailClosedWhenTheDirectoryIsOutOfReach_data();
    void shouldFailClosedWhenTheDirectoryIsOutOfReach();
    void shouldAskForTlsBeforeSendingThePasswordBeyondLoopback();
};

void DirectoryCheckTest::shouldAnswerTheNameOnlyForTheRightPassword_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("password");
    QTest::addColumn<std::optional<QString>>("expected");
    QTest::newRow("senha certa") << "DIRETOR"
                                 << "diretor-senha" << std::optional<QString>(QStringLiteral("Diretora Financeira"));
    QTest::newRow("outro operador") << "ADMIN"
                                    << "admin-senha" << std::optional<QString>(QStringLiteral("Administrador"));
    QTest::newRow("senha de outro operador") << "DIRETOR"
                                             << "admin-senha" << std::optional<QString>();
    QTest::newRow("senha errada") << "ADMIN"
                                  << "admin-senhaX" << std::optional<QString>();
    QTest::newRow("operador desconhecido") << "NINGUEM"
                                           << "admin-senha" << std::optional<QString>();
    QTest::newRow("senha vazia") << "DIRETOR"
                                 << "" << std::optional<QString>();
    QTest::newRow("código com , e =") << "a,b=c"
                                      << "admin-senha" << std::optional<QString>();
    QTest::newRow("código que emenda outro nome") << "ADMIN,ou=operadores"
                                                  << "admin-senha" << std::optional<QString>();
}

void DirectoryCheckTest::shouldAnswerTheNameOnlyForTheRightPassword()
{
    QFETCH(QString, code);
    QFETCH(QString, password);
    QFETCH(std::optional<QString>, expected);
    const DirectorySettings settings = testDirectory();
    if (settings.url.isEmpty()) {
        QSKIP("Diretório indisponível: COMMISSION_TEST_LDAP não definida.");
    }
    QCOMPARE(DirectoryCheck(settings).verify(code, password), expected);
}

void DirectoryCheckTest::shouldGiveEachWorkerThreadItsOwnConnection()
{
    const DirectorySettings settings = testDirectory();
    if (settings.url.isEmpty()) {
        QSKIP("Diretório indisponível: COMMISSION_TEST_LDAP não definida.");
    }
    const DirectoryCheck check(settings);
    std::vector<std::future<int>> workers;
    for (int w = 0; w < 4; ++w) {
        workers.push_back(std::async(std::launch::async, [&check] {
            int right = 0;
            for (int i = 0; i < 10; ++i) {
                right += check.verify(QStringLiteral("ADMIN"), QStringLiteral("admin-senha"))
                                 == QStringLiteral("Administrador")
                             ? 1
                             : 0;
                right += check.verify(QStringLiteral("ADMIN"), QStringLiteral("errada")).has_value() ? 0 : 1;
            }
            return right;
        }));
    }
    for (auto &worker : workers) {
        QCOMPARE(worker.get(), 20);
    }
}

void DirectoryCheckTest::shouldRefuseAnEmptyPasswordWithoutAskingTheDirectory()
{
    // Asking a closed port would throw: the refusal comes before any connection.
    DirectorySettings settings;
    settings.url = QStringLiteral("ldap://127.0.0.1:%1").arg(closedPort());
    settings.base = QStringLiteral("ou=operadores,dc=empresa,dc=example");
    QCOMPARE(DirectoryCheck(settings).verify(QStringLiteral("DIRETOR"), QString()), std::optional<QString>());
}

void DirectoryCheckTest::shouldFailClosedWhenTheDirectoryIsOutOfReach_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("porta fechada") << "closed";
    QTest::newRow("diretório que não responde") << "silent";
    QTest::newRow("URL que não é LDAP") << "http";
}

void DirectoryCheckTest::shouldFailClosedWhenTheDirectoryIsOutOfReach()
{
    QFETCH(QString, how);
    // Its backlog takes the connection, but nobody ever answers the bind.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    DirectorySettings settings;
    settings.base = QStringLiteral("ou=operadores,dc=empresa,dc=example");
    settings.timeout = std::chrono::milliseconds(300);
    if (how == u"closed") {
        settings.url = QStringLiteral("ldap://127.0.0.1:%1").arg(closedPort());
    } else if (how == u"silent") {
        settings.url = QStringLiteral("ldap://127.0.0.1:%1").arg(silent.serverPort());
    } else {
        settings.url = QStringLiteral("http://127.0.0.1:%1").arg(closedPort());
    }
    const auto password = QStringLiteral("diretor-senha");
    try {
        DirectoryCheck(settings).verify(QStringLiteral("DIRETOR"), password);
        QFAIL("an unreachable directory must not answer");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::Unavailable);
        QCOMPARE(error.message(), unavailableText);
        QVERIFY(!error.detail().isEmpty());
        QVERIFY(!error.message().contains(password));
        QVERIFY2(!error.detail().contains(password), qPrintable(error.detail()));
    }
}

void DirectoryCheckTest::shouldAskForTlsBeforeSendingThePasswordBeyondLoopback()
{
    QHostAddress outside;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            outside = address;
            break;
        }
    }
    if (outside.isNull()) {
        QSKIP("Esta máquina não tem endereço fora do loopback.");
    }
    QTcpServer server;
    QVERIFY(server.listen(outside));
    DirectorySettings settings;
    settings.url = QStringLiteral("ldap://%1:%2").arg(outside.toString()).arg(server.serverPort());
    settings.base = QStringLiteral("ou=operadores,dc=empresa,dc=example");
    const auto password = QStringLiteral("diretor-senha");
    auto verified = std::async(std::launch::async,
                               [&] { return DirectoryCheck(settings).verify(QStringLiteral("DIRETOR"), password); });

    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket *peer = server.nextPendingConnection();
    QByteArray received;
    QTRY_VERIFY((received += peer->readAll()).contains("1.3.6.1.4.1.1466.20037"));  // StartTLS's name
    peer->close();  // no TLS to be had: the check must give up, not bind in clear
    QVERIFY_THROWS_EXCEPTION(ServiceError, verified.get());
    QVERIFY(!received.contains(password.toUtf8()));
}

QTEST_GUILESS_MAIN(DirectoryCheckTest)
#include "directorychecktest.moc"
