#include "commissionfixture.h"
#include "testdatabase.h"
#include "testserver.h"

#include <connectionprovider.h>
#include <operatorrepository.h>
#include <packetcodec.h>
#include <secrets.h>
#include <writetransaction.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <map>

using Row = CommissionFixture::Row;

namespace {

struct DemoOperator {
    const char *code;
    const char *password;
    const char *branch;  // nullptr: no grant
    QStringList rights;
    bool active = true;
};

const QStringList every{QStringLiteral("consultar"), QStringLiteral("gerar"), QStringLiteral("cancelar")};
const QStringList listOnly{QStringLiteral("consultar")};

const QVector<DemoOperator> &operators()
{
    static const QVector<DemoOperator> all{
        {"ADMIN", "admin-senha", "*", every},
        {"CONSULTA", "consulta-senha", "*", listOnly},
        {"GERA0001", "gera-senha", "0001", {QStringLiteral("consultar"), QStringLiteral("gerar")}},
        {"CANC0002", "canc-senha", "0002", {QStringLiteral("consultar"), QStringLiteral("cancelar")}},
        {"SEMDIREITO", "sem-senha", nullptr, {}},
        {"INATIVO", "inativo-senha", "*", every, false},
    };
    return all;
}

std::map<std::string, std::string> bearer(const QString &token)
{
    return {{"Authorization", "Bearer " + token.toStdString()}};
}

std::string signInBody(const QString &code, const QString &password)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("operador"), code}, {QStringLiteral("senha"), password}})
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

QJsonValue quotes(const QVector<Row> &rows)
{
    return args::packet(packet::toJson(CommissionFixture::quotesPacket(rows)));
}

const QString reason = QStringLiteral("Evento cancelado pelo cliente");

// The arguments of each method for the branch (quote 1 of 0001 to
// generate, quote 2 of 0001 generated and open; quote 10 of 0002).
QJsonArray argumentsOf(const QString &method, const QString &branch, const QString &operatorCode)
{
    const QVector<Row> toGenerate{{branch == QLatin1String("0001") ? 1 : 10, 5}};
    if (method == QLatin1String("GetVendedores"))
        return args::listing(branch, QString(), QString());
    if (method == QLatin1String("GetOrcamentos"))
        return args::listing(branch, QStringLiteral("0001"), QString(), QStringLiteral("EVENTO"), QStringLiteral("S"),
                             45413, 45443, QStringLiteral("N"), false);
    if (method == QLatin1String("GetHistoricoComissao"))
        return {args::text(branch, false), args::text(QString(), false), args::date(45000, false),
                args::date(47000, false)};
    if (method == QLatin1String("SetComissao"))
        return {quotes(toGenerate), args::text(operatorCode, false)};
    if (method == QLatin1String("SetCancelaComissao"))
        return {quotes({{2, 4}}), args::text(operatorCode, false), args::text(reason, false)};
    return {};
}

}  // namespace

// Sign-in, sessions and rights as a caller meets them over HTTP.
class SignInTest : public QObject {
    Q_OBJECT
public:
    explicit SignInTest(TestDatabase::Backend backend) : m_backend(backend) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void shouldAnswerEachMethodByTheOperatorsRightAtTheBranch_data();
    void shouldAnswerEachMethodByTheOperatorsRightAtTheBranch();
    void shouldRefuseASettlementInAnotherOperatorsName_data();
    void shouldRefuseASettlementInAnotherOperatorsName();
    void shouldAnswerASignInWithTheSessionAndItsRights();
    void shouldRefuseBadSignInsAlike_data();
    void shouldRefuseBadSignInsAlike();
    void shouldRefuseCallsWithoutAValidSession_data();
    void shouldRefuseCallsWithoutAValidSession();
    void shouldTakeARevokedRightOrADisabledOperatorWithinTwoSeconds();
    void shouldRecordTheSignedInOperatorAndTheReasonInTheAudit();
    void shouldKeepPasswordsAndTokensOutOfTheLog();
    void shouldCheckPasswordsAgainstTheDirectory_data();
    void shouldCheckPasswordsAgainstTheDirectory();

private:
    CommissionFixture fixture() { return CommissionFixture(m_connections->database()); }
    QString signIn(const QString &code);
    qint64 written();

    TestDatabase::Backend m_backend;
    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<TestServer> m_server;
    QHash<QString, QString> m_hashes;  // hashed once: Argon2id takes a while on purpose
};

void SignInTest::initTestCase()
{
    const QString why = TestDatabase::unavailableReason(m_backend);
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    qInfo("Banco: %s", qPrintable(TestDatabase::backendName(m_backend)));
    m_database = std::make_unique<TestDatabase>(m_backend, QStringLiteral("sign_in_test"));
    for (const DemoOperator &op : operators())
        m_hashes.insert(QString::fromLatin1(op.code),
                        commission::Secrets::hashPassword(QString::fromLatin1(op.password)));
}

void SignInTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    const QSqlDatabase db = m_connections->database();
    commission::WriteTransaction transaction(db);
    commission::OperatorRepository repository(db);
    for (const DemoOperator &op : operators()) {
        const QString code = QString::fromLatin1(op.code);
        repository.add({code, QStringLiteral("Operador %1").arg(code), op.active, m_hashes.value(code)});
        if (op.branch)
            repository.grant(code, QString::fromLatin1(op.branch), op.rights);
    }
    transaction.commit();
    m_server = std::make_unique<TestServer>(m_database->where());
    QVERIFY(m_server->port() > 0);
}

void SignInTest::cleanup()
{
    m_server.reset();
    m_connections.reset();
}

void SignInTest::cleanupTestCase()
{
    m_database.reset();
}

QString SignInTest::signIn(const QString &code)
{
    for (const DemoOperator &op : operators()) {
        if (code == QLatin1String(op.code)) {
            const TestServer::Reply reply =
                m_server->post("/sessao", signInBody(code, QString::fromLatin1(op.password)), {{"Authorization", ""}});
            return reply.raw.value(QStringLiteral("sessao")).toString();
        }
    }
    return QString();
}

qint64 SignInTest::written()
{
    return fixture().count(QStringLiteral("CONTAPAGAR")) + fixture().count(QStringLiteral("ORCACOMISSAO"))
           + fixture().count(QStringLiteral("AUDITCOMISSAO"));
}

void SignInTest::shouldAnswerEachMethodByTheOperatorsRightAtTheBranch_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("branch");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    const auto row = [](const char *code, const char *method, const char *branch, int status, const char *error = "") {
        QTest::addRow("%s %s %s", code, method, branch)
            << QString::fromLatin1(code) << QString::fromLatin1(method) << QString::fromLatin1(branch) << status
            << QString::fromUtf8(error);
    };
    row("CONSULTA", "GetParamOrcaEve", "-", 200);
    row("CONSULTA", "GetVendedores", "0001", 200);
    row("CONSULTA", "GetOrcamentos", "0002", 200);
    row("CONSULTA", "GetHistoricoComissao", "0001", 200);
    row("CONSULTA", "SetComissao", "0001", 403,
        "O operador CONSULTA não tem permissão para gerar comissão na filial 0001.");
    row("CONSULTA", "SetCancelaComissao", "0001", 403,
        "O operador CONSULTA não tem permissão para cancelar comissão na filial 0001.");
    row("GERA0001", "GetVendedores", "0001", 200);
    row("GERA0001", "GetVendedores", "0002", 403,
        "O operador GERA0001 não tem permissão para consultar comissão na filial 0002.");
    row("GERA0001", "GetOrcamentos", "0002", 403);
    row("GERA0001", "GetHistoricoComissao", "0002", 403);
    row("GERA0001", "SetComissao", "0001", 200);
    row("GERA0001", "SetComissao", "0002", 403);
    row("GERA0001", "SetCancelaComissao", "0001", 403,
        "O operador GERA0001 não tem permissão para cancelar comissão na filial 0001.");
    row("CANC0002", "GetParamOrcaEve", "-", 200);
    row("CANC0002", "SetCancelaComissao", "0001", 403);
    row("SEMDIREITO", "GetParamOrcaEve", "-", 403, "O operador SEMDIREITO não tem permissão para consultar comissão.");
    row("SEMDIREITO", "GetVendedores", "0001", 403);
    row("ADMIN", "SetComissao", "0002", 200);
    row("ADMIN", "SetCancelaComissao", "0001", 200);
}

void SignInTest::shouldAnswerEachMethodByTheOperatorsRightAtTheBranch()
{
    QFETCH(QString, code);
    QFETCH(QString, method);
    QFETCH(QString, branch);
    QFETCH(int, status);
    QFETCH(QString, error);
    const QString token = signIn(code);
    QVERIFY(!token.isEmpty());
    const qint64 before = written();
    const TestServer::Reply reply = m_server->call(method, argumentsOf(method, branch, code), bearer(token));
    QCOMPARE(reply.status, status);
    if (!error.isEmpty())
        QCOMPARE(reply.error, error);
    if (status == 403)
        QCOMPARE(written(), before);
}

void SignInTest::shouldRefuseASettlementInAnotherOperatorsName_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("generation") << QStringLiteral("SetComissao");
    QTest::newRow("cancellation") << QStringLiteral("SetCancelaComissao");
}

void SignInTest::shouldRefuseASettlementInAnotherOperatorsName()
{
    QFETCH(QString, method);
    const QString token = signIn(QStringLiteral("ADMIN"));
    const qint64 before = written();
    const TestServer::Reply reply =
        m_server->call(method, argumentsOf(method, QStringLiteral("0001"), QStringLiteral("GERA0001")), bearer(token));
    QCOMPARE(reply.status, 403);
    QVERIFY2(reply.error.contains(QStringLiteral("em nome do operador GERA0001")), qPrintable(reply.error));
    QCOMPARE(written(), before);
}

void SignInTest::shouldAnswerASignInWithTheSessionAndItsRights()
{
    const std::string body = signInBody(QStringLiteral("gera0001"), QStringLiteral("gera-senha"));
    const TestServer::Reply reply = m_server->post("/sessao", body, {{"Authorization", ""}});
    QCOMPARE(reply.status, 200);
    const TestServer::Reply again = m_server->post("/sessao", body, {{"Authorization", ""}});
    QCOMPARE(again.status, 200);
    const QJsonObject answer = again.raw;
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(answer.value("sessao").toString()).hasMatch());
    QCOMPARE(answer.value("operador").toString(), QStringLiteral("GERA0001"));
    QCOMPARE(answer.value("nome").toString(), QStringLiteral("Operador GERA0001"));
    const QJsonArray permissions = answer.value("permissoes").toArray();
    QCOMPARE(permissions.size(), 1);
    QCOMPARE(permissions[0].toObject().value("filial").toString(), QStringLiteral("0001"));
    QCOMPARE(permissions[0].toObject().value("direitos").toArray(), QJsonArray({"consultar", "gerar"}));
    const QDateTime expires = QDateTime::fromString(answer.value("expira").toString(), Qt::ISODate);
    QVERIFY(expires.isValid());
    QVERIFY(qAbs(QDateTime::currentDateTimeUtc().secsTo(expires) - 30 * 60) < 60);
    // Two sign-ins, two sessions.
    QVERIFY(answer.value("sessao") != reply.raw.value("sessao"));
}

void SignInTest::shouldRefuseBadSignInsAlike_data()
{
    QTest::addColumn<std::string>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    const QString invalid = QStringLiteral("Operador ou senha inválidos.");
    QTest::newRow("unknown operator") << signInBody("NINGUEM", "admin-senha") << 401 << invalid;
    QTest::newRow("wrong password") << signInBody("ADMIN", "Admin-senha") << 401 << invalid;
    QTest::newRow("disabled operator") << signInBody("INATIVO", "inativo-senha") << 401 << invalid;
    QTest::newRow("empty password") << signInBody("ADMIN", "") << 401 << invalid;
    QTest::newRow("code too long") << signInBody(QString(30, 'A'), "x") << 401 << invalid;
    QTest::newRow("not JSON") << std::string("operador=ADMIN") << 400 << QString();
    QTest::newRow("password missing") << std::string(R"({"operador": "ADMIN"})") << 400 << QString();
    QTest::newRow("password a number") << std::string(R"({"operador": "ADMIN", "senha": 1})") << 400 << QString();
    QTest::newRow("huge body") << signInBody("ADMIN", QString(10000, 'x')) << 413 << QString();
}

void SignInTest::shouldRefuseBadSignInsAlike()
{
    QFETCH(std::string, body);
    QFETCH(int, status);
    QFETCH(QString, error);
    const TestServer::Reply reply = m_server->post("/sessao", body, {{"Authorization", ""}});
    QCOMPARE(reply.status, status);
    if (!error.isEmpty())
        QCOMPARE(reply.error, error);
    QVERIFY(!reply.raw.contains(QStringLiteral("sessao")));
}

void SignInTest::shouldRefuseCallsWithoutAValidSession_data()
{
    QTest::addColumn<QString>("authorization");
    QTest::addColumn<QString>("error");
    const QString ended = QStringLiteral("Sessão encerrada ou expirada. Entre novamente.");
    QTest::newRow("none") << QString() << QStringLiteral("Sessão não informada. Entre com operador e senha.");
    QTest::newRow("another scheme") << QStringLiteral("Basic QURNSU46YWRtaW4=")
                                    << QStringLiteral("Sessão não informada. Entre com operador e senha.");
    QTest::newRow("not a token") << QStringLiteral("Bearer ' OR 1=1 --") << ended;
    QTest::newRow("unknown token") << QStringLiteral("Bearer ") + QString(64, 'a') << ended;
    QTest::newRow("signed out") << QStringLiteral("signed out") << ended;
}

void SignInTest::shouldRefuseCallsWithoutAValidSession()
{
    QFETCH(QString, authorization);
    QFETCH(QString, error);
    if (authorization == QLatin1String("signed out")) {
        const QString token = signIn(QStringLiteral("ADMIN"));
        QCOMPARE(m_server->remove("/sessao", bearer(token)).status, 200);
        authorization = QStringLiteral("Bearer ") + token;
    }
    const qint64 before = written();
    const TestServer::Reply reply =
        m_server->call(QStringLiteral("SetComissao"), argumentsOf("SetComissao", "0001", "ADMIN"),
                       {{"Authorization", authorization.toStdString()}});
    QCOMPARE(reply.status, 401);
    QCOMPARE(reply.error, error);
    QCOMPARE(written(), before);
}

void SignInTest::shouldTakeARevokedRightOrADisabledOperatorWithinTwoSeconds()
{
    const QString token = signIn(QStringLiteral("GERA0001"));
    const auto list = [&] {
        return m_server->call(QStringLiteral("GetVendedores"), argumentsOf("GetVendedores", "0001", ""), bearer(token))
            .status;
    };
    QCOMPARE(list(), 200);
    {
        commission::WriteTransaction transaction(m_connections->database());
        commission::OperatorRepository(m_connections->database()).revoke("GERA0001", "0001");
        transaction.commit();
    }
    // The server reads a session again after a second; the margin is the
    // loaded machine's.
    QTRY_COMPARE_WITH_TIMEOUT(list(), 403, 5000);

    const QString admin = signIn(QStringLiteral("ADMIN"));
    QCOMPARE(m_server->call(QStringLiteral("GetParamOrcaEve"), {}, bearer(admin)).status, 200);
    {
        commission::WriteTransaction transaction(m_connections->database());
        commission::OperatorRepository(m_connections->database()).setActive("ADMIN", false);
        transaction.commit();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_server->call(QStringLiteral("GetParamOrcaEve"), {}, bearer(admin)).status, 401, 5000);
}

void SignInTest::shouldRecordTheSignedInOperatorAndTheReasonInTheAudit()
{
    const QString token = signIn(QStringLiteral("ADMIN"));
    QCOMPARE(
        m_server->call("SetCancelaComissao", argumentsOf("SetCancelaComissao", "0001", "admin"), bearer(token)).status,
        200);
    QCOMPARE(fixture().value("SELECT CDOPERADOR FROM AUDITCOMISSAO WHERE IDOPERACAO = 'C'").toString(),
             QStringLiteral("ADMIN"));
    QCOMPARE(fixture().value("SELECT DSMOTIVO FROM AUDITCOMISSAO WHERE IDOPERACAO = 'C'").toString(), reason);

    // The history answers the reason beside the cancellation.
    const TestServer::Reply history =
        m_server->call("GetHistoricoComissao", argumentsOf("GetHistoricoComissao", "0001", ""), bearer(token));
    QCOMPARE(history.status, 200);
    const packet::Packet settlements = packet::fromJson(history.result.toArray()[0]);
    const int field = settlements.fieldIndex(QStringLiteral("DSMOTIVO"));
    QVERIFY(field >= 0);
    QCOMPARE(settlements.rows.size(), 1);
    QCOMPARE(settlements.rows[0][field].toString(), reason);

    // Too short a reason, or none, cancels nothing.
    for (const QJsonArray &arguments :
         {QJsonArray{quotes({{2, 4}}), args::text("ADMIN", false), args::text("curto", false)},
          QJsonArray{quotes({{2, 4}}), args::text("ADMIN", false)}})
        QCOMPARE(m_server->call("SetCancelaComissao", arguments, bearer(token)).status, 400);
}

void SignInTest::shouldKeepPasswordsAndTokensOutOfTheLog()
{
    const QString token = signIn(QStringLiteral("ADMIN"));
    m_server->post("/sessao", signInBody("ADMIN", "senha-errada-123"), {{"Authorization", ""}});
    m_server->call(QStringLiteral("GetParamOrcaEve"), {}, bearer(token));
    m_server->call(QStringLiteral("GetParamOrcaEve"), {}, bearer(QString(64, 'b')));
    const QString log = m_server->logLines().join('\n');
    QVERIFY(log.contains(QStringLiteral("operador=ADMIN")));
    for (const QString &secret : {QStringLiteral("admin-senha"), QStringLiteral("senha-errada-123"), token,
                                  QString(64, 'b'), QString::fromLatin1(TestServer::token)})
        QVERIFY2(!log.contains(secret), qPrintable(log));
}

void SignInTest::shouldCheckPasswordsAgainstTheDirectory_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("grants");
    const QString directory = qEnvironmentVariable("COMMISSION_TEST_LDAP");
    QTest::newRow("known to the directory only") << directory << "DIRETOR"
                                                 << "diretor-senha" << 200 << "Diretora Financeira" << 0;
    QTest::newRow("granted in the database") << directory << "ADMIN"
                                             << "admin-senha" << 200 << "Operador ADMIN" << 1;
    QTest::newRow("wrong password") << directory << "DIRETOR"
                                    << "diretor" << 401 << "" << 0;
    QTest::newRow("unknown operator") << directory << "NINGUEM"
                                      << "diretor-senha" << 401 << "" << 0;
    QTest::newRow("directory down") << "ldap://127.0.0.1:1"
                                    << "DIRETOR"
                                    << "diretor-senha" << 503 << "" << 0;
}

void SignInTest::shouldCheckPasswordsAgainstTheDirectory()
{
    QFETCH(QString, url);
    QFETCH(QString, code);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, name);
    QFETCH(int, grants);
    if (qEnvironmentVariableIsEmpty("COMMISSION_TEST_LDAP"))
        QSKIP("COMMISSION_TEST_LDAP não definida: scripts/test inicia o slapd de teste.");
    if (m_backend != TestDatabase::Backend::Sqlite)
        QSKIP("O diretório independe do banco: basta o SQLite.");
    m_server.reset();
    commission::HttpSettings settings = TestServer::settings();
    settings.directory.url = url;
    settings.directory.base = qEnvironmentVariable("COMMISSION_TEST_LDAP_BASE");
    settings.directory.timeout = std::chrono::milliseconds(2000);
    m_server = std::make_unique<TestServer>(m_database->where(), settings);
    const TestServer::Reply reply = m_server->post("/sessao", signInBody(code, password), {{"Authorization", ""}});
    QCOMPARE(reply.status, status);
    if (status == 503)
        QCOMPARE(reply.error, QStringLiteral("Diretório de operadores indisponível. Tente novamente."));
    if (status != 200)
        return;
    QCOMPARE(reply.raw.value("nome").toString(), name);
    QCOMPARE(reply.raw.value("permissoes").toArray().size(), grants);
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    int status = 0;
    for (TestDatabase::Backend backend : {TestDatabase::Backend::Sqlite, TestDatabase::Backend::Postgres}) {
        SignInTest test(backend);
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "signintest.moc"
