// The host program's start: a bad command line or config file stops it with
// a message and a failure code before any window opens, and so does a
// password on standard input that the server refuses.

#include "scriptedserver.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class HostProgramTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    struct Outcome {
        int exitCode = -1;
        QString output;
        QString errors;
    };

    static Outcome run(const QStringList &arguments, const QByteArray &input = QByteArray())
    {
        QProcess host;
        host.start(QStringLiteral(HOST_PROGRAM), arguments);
        host.write(input);
        host.closeWriteChannel();
        if (!host.waitForFinished(20000)) {
            host.kill();
            host.waitForFinished();
        }
        return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1,
                QString::fromUtf8(host.readAllStandardOutput()), QString::fromUtf8(host.readAllStandardError())};
    }

private slots:
    void shouldStopWithMessageOnBadStart_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QFile config(m_dir.filePath(QStringLiteral("host.ini")));
        config.open(QIODevice::WriteOnly);
        config.write("server = app\nport = muitas\n");
        config.close();
        QTest::newRow("port not a number")
            << QStringList{"--port", "abc"} << "Porta do servidor inválida: \"abc\". Informe um número de 1 a 65535.";
        QTest::newRow("unknown option") << QStringList{"--colour"} << "Opção desconhecida: colour.";
        QTest::newRow("bad config file") << QStringList{"--config", config.fileName()}
                                         << QStringLiteral("Porta do servidor inválida: \"muitas\"");
        QTest::newRow("missing config file") << QStringList{"--config", m_dir.filePath(QStringLiteral("none.ini"))}
                                             << "Não foi possível ler o arquivo de configuração";
    }

    void shouldStopWithMessageOnBadStart()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Outcome outcome = run(arguments);
        QCOMPARE(outcome.exitCode, 2);
        QVERIFY2(outcome.errors.contains(message), qPrintable(outcome.errors));
        QVERIFY(outcome.errors.contains(QStringLiteral("Uso: commission-host")));
    }

    void shouldPrintOptionsOnHelp()
    {
        const Outcome outcome = run({QStringLiteral("--help")});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(outcome.output.contains(QStringLiteral("--open-module [arquivo]")));
        QVERIFY(outcome.output.contains(QStringLiteral("--password-stdin")));
    }

    void shouldStopWhenThePasswordOnStandardInputIsRefused_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<QString>("message");

        QTest::newRow("wrong password") << QByteArray("errada\n") << true << "Operador ou senha inválidos.";
        QTest::newRow("directory down") << QByteArray("fora\r\n") << true
                                        << "Diretório de operadores indisponível. Tente novamente.";
        QTest::newRow("nothing typed") << QByteArray() << true << "Senha não informada na entrada padrão";
        QTest::newRow("no server") << QByteArray("errada\n") << false << "Não foi possível comunicar com o servidor";
    }

    void shouldStopWhenThePasswordOnStandardInputIsRefused()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, serverUp);
        QFETCH(QString, message);

        ScriptedServer server;
        server.scriptSignIn([](const QString &, const QString &typed) {
            return typed == QLatin1String("fora")
                       ? ScriptedServer::Reply::error(503, "Diretório de operadores indisponível. Tente novamente.")
                       : ScriptedServer::Reply::error(401, "Operador ou senha inválidos.");
        });
        const int port = serverUp ? server.port() : ScriptedServer::closedPort();
        const Outcome outcome = run({"--password-stdin", "--port", QString::number(port)}, input);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.errors.startsWith(message), qPrintable(outcome.errors));
        QVERIFY(!outcome.errors.contains(QStringLiteral("Uso:")));
        if (!input.isEmpty() && serverUp) {
            const QString password = QString::fromUtf8(input.trimmed());
            QCOMPARE(server.sessionRequests().size(), 1);
            QVERIFY(server.sessionRequests()[0].body.contains(password.toUtf8()));
            QVERIFY(!outcome.errors.contains(password));
        }
    }
};

QTEST_GUILESS_MAIN(HostProgramTest)
#include "hostprogramtest.moc"
