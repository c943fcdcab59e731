#include "testdatabase.h"
#include "testserver.h"

#include <calllog.h>
#include <connectionprovider.h>
#include <logline.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The server's log: logfmt lines, nothing secret in them, and a log file
// that logrotate can move away.
class ServerLogTest : public QObject {
    Q_OBJECT

private slots:
    void shouldQuoteOnlyWhatALogStoreCouldNotSplit_data();
    void shouldQuoteOnlyWhatALogStoreCouldNotSplit();
    void shouldWriteOneLineOfEveryOutcome_data();
    void shouldWriteOneLineOfEveryOutcome();
    void shouldNeverWriteAPassword();
    void shouldWriteToANewFileUnderTheOldNameAfterSighup();
};

namespace {

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

void ServerLogTest::shouldQuoteOnlyWhatALogStoreCouldNotSplit_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("written");

    QTest::newRow("a plain word") << "GetVendedores"
                                  << "GetVendedores";
    QTest::newRow("accents need nothing") << "Sessão"
                                          << "Sessão";
    QTest::newRow("empty") << ""
                           << R"("")";
    QTest::newRow("a space") << "POST /sessao"
                             << R"("POST /sessao")";
    QTest::newRow("an equals sign") << "a=b"
                                    << R"("a=b")";
    QTest::newRow("quotes") << R"(diz "oi")"
                            << R"("diz \"oi\"")";
    QTest::newRow("a backslash") << R"(C:\x)"
                                 << R"("C:\\x")";
    QTest::newRow("a line break") << "uma\nduas"
                                  << R"("uma\nduas")";
}

void ServerLogTest::shouldQuoteOnlyWhatALogStoreCouldNotSplit()
{
    QFETCH(QString, raw);
    QFETCH(QString, written);
    QCOMPARE(commission::LogLine::value(raw), written);
}

void ServerLogTest::shouldWriteOneLineOfEveryOutcome_data()
{
    QTest::addColumn<int>("outcome");  // 0 none, 1 answered, 2 refused generation, 3 refused call, 4 server failure
    QTest::addColumn<QString>("expected");  // after ts=

    const QString timing = QStringLiteral(R"(ms=\d+\.\d)");
    QTest::newRow("answered") << 1
                              << R"( level=info method=GetVendedores filial=0001 operador=OP7 status=200 )" + timing
                                     + " bytes=321$";
    QTest::newRow("a refused generation") << 2
                                          << R"( level=info method=GetVendedores filial=0001 operador=OP7 status=200 )"
                                                 + timing + " bytes=321 msg=COMISSAO_GERADA$";
    QTest::newRow("a refused call") << 3
                                    << R"( level=info method=GetVendedores filial=0001 operador=OP7 status=403 )"
                                           + timing + R"( bytes=321 msg="O operador OP7 não tem permissão\.")" + "$";
    QTest::newRow("a failure of the server")
        << 4
        << R"( level=error ref=20261208-0042 method=GetVendedores filial=0001 operador=OP7 status=500 )" + timing
               + R"( bytes=321 msg="Falha no banco de dados: gatilho \\"x\\"")" + "$";
    QTest::newRow("left by an exception") << 0
                                          << R"( level=error method=GetVendedores filial=0001 operador=OP7 status=500 )"
                                                 + timing + R"( bytes=321 msg="erro inesperado")" + "$";
}

void ServerLogTest::shouldWriteOneLineOfEveryOutcome()
{
    QFETCH(int, outcome);
    QFETCH(QString, expected);

    QStringList lines;
    {
        commission::CallLog log([&lines](const QString &line) { lines.append(line); }, QStringLiteral("GetVendedores"));
        log.setBranch(QStringLiteral("0001"));
        log.setOperator(QStringLiteral("OP7"));
        log.setBytes(321);
        if (outcome == 1)
            log.succeeded(QString());
        else if (outcome == 2)
            log.succeeded(QStringLiteral("COMISSAO_GERADA"));
        else if (outcome == 3)
            log.failed(403, QStringLiteral("O operador OP7\n não tem permissão."));
        else if (outcome == 4)
            log.failed(500, QStringLiteral("Falha no banco de dados: gatilho \"x\""), QStringLiteral("20261208-0042"));
    }
    QCOMPARE(lines.size(), 1);
    const QRegularExpression shape(QStringLiteral(R"(^ts=\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)") + expected);
    QVERIFY2(shape.match(lines[0]).hasMatch(), qPrintable(lines[0]));
}

void ServerLogTest::shouldNeverWriteAPassword()
{
    TestDatabase database(TestDatabase::Backend::Sqlite, QStringLiteral("server_log_test"));
    database.reset();
    TestServer server(database.where());
    for (const char *body : {R"({"operador": "OP7", "senha": "Pa ss=\"w0rd"})", R"({"operador": "X", "senha": "w0rd"})",
                             R"({"operador": "OP7", "senha": 7, "w0rd": 1})"})
        QVERIFY(server.post("/sessao", body).status >= 400);
    const QString log = server.logLines().join('\n');
    QCOMPARE(server.logLines().size(), 3);
    QVERIFY2(!log.contains(QStringLiteral("w0rd")), qPrintable(log));
}

void ServerLogTest::shouldWriteToANewFileUnderTheOldNameAfterSighup()
{
    QTemporaryDir dir;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/commission-server");
    const QString database = dir.filePath(QStringLiteral("comissao.db"));
    const QString logPath = dir.filePath(QStringLiteral("server.log"));
    QCOMPARE(QProcess::execute(program, {QStringLiteral("--database"), database, QStringLiteral("--init")}), 0);
    {
        commission::ConnectionProvider connections(database::ConnectionString::parse(database));
        TestServer::provideOperator(connections.database());
    }

    QProcess server;
    server.start(program, {QStringLiteral("--database"), database, QStringLiteral("--port"), QStringLiteral("0"),
                           QStringLiteral("--log-file"), logPath});
    QVERIFY(server.waitForStarted());
    const auto stop = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    const QRegularExpression address(QStringLiteral(R"(^ts=\S+ level=info msg="Servidor de comissões em )"
                                                    R"(http://127\.0\.0\.1:(\d+) )"));
    QTRY_VERIFY_WITH_TIMEOUT(address.match(readFile(logPath)).hasMatch(), 10000);
    const int port = address.match(readFile(logPath)).captured(1).toInt();
    const QRegularExpression call(QStringLiteral(R"(^ts=\S+ level=\w+ method=GetParamOrcaEve filial=- operador=OP7 )"
                                                 R"(status=\d+ ms=\d+\.\d bytes=\d+)"),
                                  QRegularExpression::MultilineOption);

    TestServer::callPort(port, QStringLiteral("GetParamOrcaEve"), {});
    QTRY_VERIFY_WITH_TIMEOUT(call.match(readFile(logPath)).hasMatch(), 5000);
    const QString rotated = logPath + QStringLiteral(".1");
    QVERIFY(QFile::rename(logPath, rotated));
    QCOMPARE(::kill(pid_t(server.processId()), SIGHUP), 0);
    QTRY_VERIFY_WITH_TIMEOUT(readFile(logPath).contains(QStringLiteral("msg=\"Arquivo de log reaberto.\"")), 5000);
    TestServer::callPort(port, QStringLiteral("GetParamOrcaEve"), {});
    QTRY_VERIFY_WITH_TIMEOUT(call.match(readFile(logPath)).hasMatch(), 5000);

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitCode(), 0);
    // Each file has its own call; nothing went to standard error.
    QCOMPARE(readFile(rotated).count(QStringLiteral("method=GetParamOrcaEve")), 1);
    QCOMPARE(readFile(logPath).count(QStringLiteral("method=GetParamOrcaEve")), 1);
    QVERIFY(readFile(logPath).contains(QStringLiteral("encerrado")));
    QCOMPARE(server.readAllStandardError(), QByteArray());
}

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    ServerLogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "serverlogtest.moc"
