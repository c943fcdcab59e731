// The host program's start: a bad command line or config file stops it with
// a message and a failure code before any window opens.

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

    static Outcome run(const QStringList &arguments)
    {
        QProcess host;
        host.start(QStringLiteral(HOST_PROGRAM), arguments);
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
    }
};

QTEST_GUILESS_MAIN(HostProgramTest)
#include "hostprogramtest.moc"
