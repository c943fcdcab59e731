#include "testdatabase.h"

#include <connectionprovider.h>
#include <operatoradministration.h>
#include <operatorrepository.h>
#include <operatorsessions.h>
#include <secrets.h>
#include <serveroptions.h>
#include <serviceerror.h>
#include <sqlrunner.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QTest>

#include <atomic>

using commission::OperatorSessions;
using commission::ServiceError;

// Lock-out and expiry on a clock the test drives, and the administration
// commands on the database.
class OperatorSessionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldLockAnOperatorOutAfterFiveFailuresForFifteenMinutes();
    void shouldForgetFailuresAfterASuccess();
    void shouldLockAnAddressOutAfterTwentyFailures();
    void shouldEndASessionIdleForThirtyMinutesOrOpenForTwelveHours_data();
    void shouldEndASessionIdleForThirtyMinutesOrOpenForTwelveHours();
    void shouldAdministerOperatorsAndRefuseBadInput_data();
    void shouldAdministerOperatorsAndRefuseBadInput();

private:
    QString refusal(const QString &code, const QString &password, const QString &origin = QStringLiteral("10.0.0.1"));
    void advance(qint64 seconds) { m_now += seconds; }

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<OperatorSessions> m_sessions;
    std::atomic<qint64> m_now{1'800'000'000};
    QString m_hash;
};

void OperatorSessionsTest::initTestCase()
{
    m_database = std::make_unique<TestDatabase>(TestDatabase::Backend::Sqlite, QStringLiteral("operator_sessions"));
    m_hash = commission::Secrets::hashPassword(QStringLiteral("certa"));
}

void OperatorSessionsTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    const QSqlDatabase db = m_connections->database();
    commission::SqlRunner::run(db, QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, CDSERIE)"
                                                  " VALUES ('0001', 'Centro', '01', '1')"));
    commission::WriteTransaction transaction(db);
    commission::OperatorRepository operators(db);
    for (const char *code : {"ANA", "BRUNO"}) {
        operators.add({QString::fromLatin1(code), QStringLiteral("Operador"), true, m_hash});
        operators.grant(QString::fromLatin1(code), QStringLiteral("*"), {QStringLiteral("consultar")});
    }
    transaction.commit();
    commission::SessionPolicy policy;
    policy.recheck = std::chrono::milliseconds(0);  // every check reads the database
    m_sessions = std::make_unique<OperatorSessions>(*m_connections, commission::DirectorySettings{}, policy,
                                                    [this] { return m_now.load(); });
}

void OperatorSessionsTest::cleanup()
{
    m_sessions.reset();
    m_connections.reset();
}

// The text of the refusal; empty when the sign-in succeeded.
QString OperatorSessionsTest::refusal(const QString &code, const QString &password, const QString &origin)
{
    try {
        m_sessions->signIn(code, password, origin);
        return QString();
    } catch (const ServiceError &error) {
        return error.message();
    }
}

void OperatorSessionsTest::shouldLockAnOperatorOutAfterFiveFailuresForFifteenMinutes()
{
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(refusal("ANA", "errada"), OperatorSessions::invalidCredentials);
        advance(60);
    }
    // Locked: even the right password is refused, and the text says when to come back.
    QCOMPARE(refusal("ANA", "certa"),
             OperatorSessions::invalidCredentials
                 + QStringLiteral(" Muitas tentativas sem sucesso: tente novamente em 14 minutos."));
    QVERIFY(refusal("BRUNO", "certa").isEmpty());  // another operator is not locked
    advance(14 * 60 - 1);
    QVERIFY(refusal("ANA", "certa").contains(QStringLiteral("1 minuto.")));
    advance(1);
    QVERIFY(refusal("ANA", "certa").isEmpty());
}

void OperatorSessionsTest::shouldForgetFailuresAfterASuccess()
{
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4; ++i)
            QCOMPARE(refusal("ANA", "errada"), OperatorSessions::invalidCredentials);
        QVERIFY(refusal("ANA", "certa").isEmpty());
    }
}

void OperatorSessionsTest::shouldLockAnAddressOutAfterTwentyFailures()
{
    // Twenty guesses at operators that may not even exist, from one address.
    for (int i = 0; i < 20; ++i)
        QCOMPARE(refusal(QStringLiteral("X%1").arg(i), "errada", "10.9.9.9"), OperatorSessions::invalidCredentials);
    QVERIFY(refusal("BRUNO", "certa", "10.9.9.9").contains(QStringLiteral("tente novamente em 15 minutos")));
    QVERIFY(refusal("BRUNO", "certa", "10.9.9.10").isEmpty());
    advance(15 * 60);
    QVERIFY(refusal("BRUNO", "certa", "10.9.9.9").isEmpty());
}

void OperatorSessionsTest::shouldEndASessionIdleForThirtyMinutesOrOpenForTwelveHours_data()
{
    QTest::addColumn<QVector<qint64>>("pauses");  // seconds before each call; the last one is refused
    QTest::newRow("idle thirty minutes") << QVector<qint64>{60, 29 * 60, 30 * 60};
    QTest::newRow("used every twenty minutes, for twelve hours") << [] {
        QVector<qint64> pauses(36, 20 * 60);  // 36 x 20 min = 12 h
        return pauses;
    }();
}

void OperatorSessionsTest::shouldEndASessionIdleForThirtyMinutesOrOpenForTwelveHours()
{
    QFETCH(QVector<qint64>, pauses);
    const QString token = m_sessions->signIn("ANA", "certa", "10.0.0.1").token;
    for (int i = 0; i < pauses.size(); ++i) {
        advance(pauses[i]);
        const bool last = i == pauses.size() - 1;
        try {
            QCOMPARE(m_sessions->authenticate(token).code, QStringLiteral("ANA"));
            QVERIFY2(!last, "a session past its end was accepted");
        } catch (const ServiceError &error) {
            QVERIFY2(last, qPrintable(QStringLiteral("refused at call %1").arg(i)));
            QCOMPARE(error.kind(), ServiceError::Kind::Unauthorized);
        }
    }
}

void OperatorSessionsTest::shouldAdministerOperatorsAndRefuseBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("listed");  // ANA's line in --list-operators afterwards, from its second column

    const QString anaAsIs = QStringLiteral("Operador\tativo\t*: consultar");
    QTest::newRow("add") << QStringList{"--add-operator", "carla", "--name", "Carla Dias"} << "nova" << 0
                         << "Operador CARLA (Carla Dias) incluído" << anaAsIs;
    QTest::newRow("add, the code taken") << QStringList{"--add-operator", "ana", "--name", "Ana"} << "nova" << 1
                                         << "O operador ANA já existe" << anaAsIs;
    QTest::newRow("add, empty password") << QStringList{"--add-operator", "dora", "--name", "Dora"} << "" << 1
                                         << "A senha não pode ser vazia" << anaAsIs;
    QTest::newRow("add, a bad code") << QStringList{"--add-operator", "a b;--", "--name", "X"} << "x" << 1
                                     << "Código de operador inválido" << anaAsIs;
    QTest::newRow("set the password of an unknown operator")
        << QStringList{"--set-password", "ninguem"} << "x" << 1 << "Operador NINGUEM não cadastrado." << anaAsIs;
    QTest::newRow("disable") << QStringList{"--disable-operator", "ana"} << "" << 0 << "Operador ANA desativado"
                             << "Operador\tinativo\t*: consultar";
    QTest::newRow("grant at a branch") << QStringList{"--grant", "ana", "--branch", "1", "--rights", "gerar,cancelar"}
                                       << "" << 0 << "Direitos de ANA na filial 0001: gerar, cancelar."
                                       << "Operador\tativo\t*: consultar; 0001: gerar,cancelar";
    QTest::newRow("grant, an unknown right") << QStringList{"--grant", "ana", "--branch", "*", "--rights", "tudo"} << ""
                                             << 1 << "Direito desconhecido: \"tudo\"" << anaAsIs;
    QTest::newRow("grant, an unknown branch") << QStringList{"--grant", "ana", "--branch", "9999", "--rights", "gerar"}
                                              << "" << 1 << "Filial 9999 não cadastrada." << anaAsIs;
    QTest::newRow("grant to an unknown operator")
        << QStringList{"--grant", "zeca", "--branch", "*", "--rights", "gerar"} << "" << 1
        << "Operador ZECA não cadastrado." << anaAsIs;
    QTest::newRow("revoke") << QStringList{"--revoke", "ana", "--branch", "*"} << "" << 0
                            << "Direitos de ANA na filial * retirados."
                            << "Operador\tativo\tsem direitos";
}

void OperatorSessionsTest::shouldAdministerOperatorsAndRefuseBadInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, password);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QString, listed);
    QStringList lines;
    const auto run = [&](const QStringList &options) {
        commission::ServerOptions parsed =
            commission::ServerOptions::parse(QStringList{"commission-server"} + options, QString());
        return commission::OperatorAdministration(
                   m_connections->database(), [&](const QString &line) { lines.append(line); },
                   [&] { return password; })
            .run(parsed);
    };
    QCOMPARE(run(arguments), exitCode);
    QVERIFY2(lines.join('\n').contains(said), qPrintable(lines.join('\n')));
    lines.clear();
    QCOMPARE(run({"--list-operators"}), 0);
    QVERIFY2(lines.contains(QStringLiteral("ANA\t") + listed), qPrintable(lines.join('\n')));
    // Nothing of a password reaches what the commands say.
    if (!password.isEmpty())
        QVERIFY(!lines.join('\n').contains(password));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    OperatorSessionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "operatorsessionstest.moc"
