#include "numbertext.h"

#include <QLocale>
#include <QTest>

#include <optional>

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void shouldShowAmountsWithTwoDecimalsAndNoNegativeZero_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("grouped") << 1234567.891 << "1.234.567,89";
        QTest::newRow("negative") << -0.01 << "-0,01";
        QTest::newRow("rounds to zero from below") << -0.004 << "0,00";
        QTest::newRow("zero") << 0.0 << "0,00";
    }
    void shouldShowAmountsWithTwoDecimalsAndNoNegativeZero()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(NumberText::amount(value), shown);
    }

    void shouldReadTypedNumbersInTheLocaleThenInC_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<std::optional<double>>("read");
        QTest::newRow("decimal comma") << "1,5" << std::optional<double>(1.5);
        QTest::newRow("decimal point is not a thousands separator") << "1.5" << std::optional<double>(1.5);
        QTest::newRow("blanks around") << " 2 " << std::optional<double>(2.0);
        QTest::newRow("grouped thousands refused") << "1.234,5" << std::optional<double>();
        QTest::newRow("not a number") << "doze" << std::optional<double>();
        QTest::newRow("empty") << "" << std::optional<double>();
    }
    void shouldReadTypedNumbersInTheLocaleThenInC()
    {
        QFETCH(QString, typed);
        QFETCH(std::optional<double>, read);
        QCOMPARE(NumberText::parse(typed), read);
    }

    void shouldShowPlainNumbersExactlyWithoutGrouping() { QCOMPARE(NumberText::plain(1234.125), "1234,125"); }
};

QTEST_GUILESS_MAIN(NumberTextTest)
#include "numbertexttest.moc"
