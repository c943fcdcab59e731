// The branch in the host's status bar: the session's until the screen reports
// its own, and the session's again when the screen gives it back.

#include "hostmainwindow.h"
#include "screenbranch.h"
#include "session.h"

#include <QLabel>
#include <QTest>

class HostMainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shouldShowTheBranchTheScreenReports_data()
    {
        QTest::addColumn<QStringList>("reports");  // code|name, in order
        QTest::addColumn<QString>("shown");
        QTest::newRow("none reported") << QStringList{} << "Filial: 0001 - Matriz    Operador: ADMIN";
        QTest::newRow("the screen's") << QStringList{"0002|Filial Centro"}
                                      << "Filial: 0002 - Filial Centro    Operador: ADMIN";
        QTest::newRow("the last one") << QStringList{"0002|Filial Centro", " 0003 |"}
                                      << "Filial: 0003    Operador: ADMIN";
        QTest::newRow("given back") << QStringList{"0002|Filial Centro", "|"}
                                    << "Filial: 0001 - Matriz    Operador: ADMIN";
    }
    void shouldShowTheBranchTheScreenReports()
    {
        QFETCH(QStringList, reports);
        QFETCH(QString, shown);
        SessionValues values;
        values.branchCode = "0001";
        values.branchName = "Matriz";
        values.operatorCode = "ADMIN";
        Session::set(values);
        HostMainWindow host;
        for (const QString &report : reports)
            ReportScreenBranch(report.section('|', 0, 0), report.section('|', 1));
        const QString text = host.findChild<QLabel *>("sessionLabel")->text();
        QVERIFY2(text.startsWith(shown), qPrintable(text));
        QCOMPARE(Session::values().branchCode, QString("0001"));  // the session keeps its branch
        Session::set({});
    }
};

QTEST_MAIN(HostMainWindowTest)
#include "hostmainwindowtest.moc"
