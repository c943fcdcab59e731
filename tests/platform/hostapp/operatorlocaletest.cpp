#include "operatorlocale.h"

#include <QApplication>
#include <QTest>

// Runs with LANG=C.UTF-8, as a fresh machine does.
class OperatorLocaleTest : public QObject {
    Q_OBJECT

private slots:
    void shouldUseBrazilianPortugueseOnlyWhenNoLocaleIsNamed_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("C") << "C"
                           << "pt_BR";
        QTest::newRow("POSIX") << "POSIX"
                               << "pt_BR";
        QTest::newRow("Brazil") << "pt_BR"
                                << "pt_BR";
        QTest::newRow("Portugal") << "pt_PT"
                                  << "pt_PT";
        QTest::newRow("United States") << "en_US"
                                       << "en_US";
    }

    void shouldUseBrazilianPortugueseOnlyWhenNoLocaleIsNamed()
    {
        QFETCH(QString, system);
        QFETCH(QString, chosen);
        QCOMPARE(OperatorLocale::choose(QLocale(system)).name(), chosen);
    }

    void shouldShowNumbersAndToolkitTextsInPortugueseOnAMachineWithoutLocale()
    {
        QCOMPARE(QLocale::system().language(), QLocale::C);
        QVERIFY2(OperatorLocale::apply(*qApp), "the toolkit's Portuguese translation is not installed");
        QCOMPARE(QLocale().toString(34275.66, 'f', 2), QStringLiteral("34.275,66"));
        QCOMPARE(QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat), QStringLiteral("08/12/2026"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "Select All"), QStringLiteral("Selecionar tudo"));
    }
};

QTEST_MAIN(OperatorLocaleTest)
#include "operatorlocaletest.moc"
