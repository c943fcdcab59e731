// The host and the signed-in operator: the option that reads the password
// from standard input, the operator named in the status bar, and the
// sign-out when the host closes.

#include "hostmainwindow.h"
#include "hostoptions.h"
#include "scriptedserver.h"
#include "session.h"

#include <QLabel>
#include <QTest>

class HostSignInTest : public QObject {
    Q_OBJECT
private slots:
    void shouldReadThePasswordFromStandardInputOnlyWhenAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("fromStdin");
        QTest::newRow("dialog") << QStringList{} << false;
        QTest::newRow("standard input") << QStringList{"--password-stdin"} << true;
        QTest::newRow("with other options")
            << QStringList{"--operator", "GERA0001", "--password-stdin", "--open-module"} << true;
    }

    void shouldReadThePasswordFromStandardInputOnlyWhenAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, fromStdin);
        SessionValues defaults;
        defaults.operatorCode = "ADMIN";
        defaults.database = "/tmp/commission.db";
        const HostOptions host = HostOptions::parse(QStringList{"commission-host"} + options, defaults);
        QCOMPARE(host.session.passwordFromStdin, fromStdin);
        QVERIFY(!host.helpRequested);
        QVERIFY(HostOptions::usage().contains("--password-stdin"));
    }

    void shouldNameTheSignedInOperatorInTheStatusBar_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("signed in") << "Administrador"
                                   << "Operador: ADMIN - Administrador    Servidor:";
        QTest::newRow("no name answered") << ""
                                          << "Operador: ADMIN    Servidor:";
    }

    void shouldNameTheSignedInOperatorInTheStatusBar()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        SessionValues values;
        values.branchCode = "0001";
        values.operatorCode = "ADMIN";
        values.operatorName = name;
        values.sessionToken = "t";
        Session::set(values);
        HostMainWindow host;
        const QString text = host.findChild<QLabel *>("sessionLabel")->text();
        QVERIFY2(text.contains(shown), qPrintable(text));
        Session::set({});
    }

    void shouldSignOutWhenClosed()
    {
        ScriptedServer server;
        SessionValues values;
        values.operatorCode = "ADMIN";
        values.serverPort = server.port();
        values.sessionToken = "t0k3n";
        Session::set(values);
        HostMainWindow host;
        host.show();
        QVERIFY(host.close());
        QCOMPARE(server.sessionRequests().size(), 1);
        QCOMPARE(server.sessionRequests()[0].verb, QString("DELETE"));
        QCOMPARE(server.sessionRequests()[0].bearer, QString("t0k3n"));
        QVERIFY(Session::values().sessionToken.isEmpty());
    }
};

QTEST_MAIN(HostSignInTest)
#include "hostsignintest.moc"
