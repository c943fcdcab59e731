#include <callarguments.h>
#include <codelist.h>
#include <commissionmath.h>
#include <connectionprovider.h>
#include <markedquotes.h>
#include <recordsetlayouts.h>
#include <serveroptions.h>
#include <serviceerror.h>
#include <sqlrunner.h>

#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <stdexcept>

using commission::CommissionMath;
using commission::ServiceError;

Q_DECLARE_METATYPE(std::optional<qint64>)

// The rules that need no database: commission arithmetic (and its SQL twin),
// list strings, the marked quotes of a packet, call arguments and the
// command line.
class CommissionRulesTest : public QObject {
    Q_OBJECT
private slots:
    void shouldRoundCommissionHalfAwayFromZero_data();
    void shouldRoundCommissionHalfAwayFromZero();
    void shouldComputeTheSameCommissionInSql_data() { shouldRoundCommissionHalfAwayFromZero_data(); }
    void shouldComputeTheSameCommissionInSql();
    void shouldReadPercentagesInThousandths_data();
    void shouldReadPercentagesInThousandths();
    void shouldParseListStrings_data();
    void shouldParseListStrings();
    void shouldReadOnlyMarkedQuotesFromAPacket();
    void shouldRefuseQuotePacketsItCannotTrust_data();
    void shouldRefuseQuotePacketsItCannotTrust();
    void shouldCheckCallArguments_data();
    void shouldCheckCallArguments();
    void shouldReadTheCommandLine_data();
    void shouldReadTheCommandLine();
    void shouldReadPacketRowsCutOutOfTheBodyAsAWholeParseWould_data();
    void shouldReadPacketRowsCutOutOfTheBodyAsAWholeParseWould();
};

void CommissionRulesTest::shouldRoundCommissionHalfAwayFromZero_data()
{
    QTest::addColumn<qint64>("totalCents");
    QTest::addColumn<qint64>("percentThousandths");
    QTest::addColumn<qint64>("expectedCents");

    QTest::newRow("5 % of 1000.00") << qint64(100000) << qint64(5000) << qint64(5000);
    QTest::newRow("3 % of 333.33 rounds up") << qint64(33333) << qint64(3000) << qint64(1000);
    QTest::newRow("exact half rounds up") << qint64(50) << qint64(1000) << qint64(1);  // 0.005
    QTest::newRow("just below half rounds down") << qint64(49) << qint64(1000) << qint64(0);
    QTest::newRow("negative half rounds away") << qint64(-50) << qint64(1000) << qint64(-1);
    QTest::newRow("credit quote") << qint64(-30000) << qint64(7000) << qint64(-2100);
    QTest::newRow("negative percentage") << qint64(10000) << qint64(-5000) << qint64(-500);
    QTest::newRow("both negative") << qint64(-10000) << qint64(-5000) << qint64(500);
    QTest::newRow("zero total") << qint64(0) << qint64(99990) << qint64(0);
    QTest::newRow("smallest percentage") << qint64(100000) << qint64(1) << qint64(1);
    QTest::newRow("largest total") << qint64(9999999999999) << qint64(99990) << qint64(9998999999999);
}

void CommissionRulesTest::shouldRoundCommissionHalfAwayFromZero()
{
    QFETCH(qint64, totalCents);
    QFETCH(qint64, percentThousandths);
    QFETCH(qint64, expectedCents);
    QCOMPARE(CommissionMath::commissionCents(totalCents, percentThousandths), expectedCents);
}

void CommissionRulesTest::shouldComputeTheSameCommissionInSql()
{
    QFETCH(qint64, totalCents);
    QFETCH(qint64, percentThousandths);
    QFETCH(qint64, expectedCents);
    QTemporaryDir dir;
    commission::ConnectionProvider connections(database::ConnectionString::parse(dir.filePath(QStringLiteral("x.db"))));
    QSqlQuery query = commission::SqlRunner::run(
        connections.database(),
        QStringLiteral("SELECT %1 FROM (SELECT ? AS T, ? AS P) X")
            .arg(CommissionMath::sqlCommissionCents(QStringLiteral("X.T"), QStringLiteral("X.P"))),
        {totalCents, percentThousandths});
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toLongLong(), expectedCents);
}

void CommissionRulesTest::shouldReadPercentagesInThousandths_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<std::optional<qint64>>("expected");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("lowest allowed") << 0.001 << std::optional<qint64>(1) << true;
    QTest::newRow("highest allowed") << 99.99 << std::optional<qint64>(99990) << true;
    QTest::newRow("binary fraction") << 2.675 << std::optional<qint64>(2675) << true;
    QTest::newRow("zero") << 0.0 << std::optional<qint64>(0) << false;
    QTest::newRow("above 99,99") << 99.991 << std::optional<qint64>(99991) << false;
    QTest::newRow("negative") << -5.0 << std::optional<qint64>(-5000) << false;
    QTest::newRow("beyond any percentage") << 1000.5 << std::optional<qint64>() << false;
    QTest::newRow("huge") << 1e300 << std::optional<qint64>() << false;
}

void CommissionRulesTest::shouldReadPercentagesInThousandths()
{
    QFETCH(double, percent);
    QFETCH(std::optional<qint64>, expected);
    QFETCH(bool, allowed);

    const std::optional<qint64> thousandths = CommissionMath::toThousandths(percent);
    QCOMPARE(thousandths, expected);
    QCOMPARE(thousandths && CommissionMath::isAllowedPercent(*thousandths), allowed);
}

void CommissionRulesTest::shouldParseListStrings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QStringList>("expected");  // empty with "valid" false: refused
    QTest::addColumn<bool>("valid");

    QTest::newRow("empty means all") << "" << 4 << QStringList() << true;
    QTest::newRow("one code") << "0001" << 4 << QStringList{"0001"} << true;
    QTest::newRow("codes in picking order") << "0012;0001;0007" << 4 << QStringList{"0012", "0001", "0007"} << true;
    QTest::newRow("repeated code once") << "0001;0001" << 4 << QStringList{"0001"} << true;
    QTest::newRow("letters") << "AB1;c2" << 3 << QStringList{"AB1", "c2"} << true;
    QTest::newRow("thousand codes") << QStringList(1000, "001").join(';') << 3 << QStringList{"001"} << true;
    QTest::newRow("thousand and one codes") << QStringList(1001, "001").join(';') << 3 << QStringList() << false;
    QTest::newRow("code too long") << "0001" << 3 << QStringList() << false;
    QTest::newRow("empty code") << "0001;;0002" << 4 << QStringList() << false;
    QTest::newRow("trailing separator") << "0001;" << 4 << QStringList() << false;
    QTest::newRow("blank") << "0001; 0002" << 4 << QStringList() << false;
    QTest::newRow("quote") << "0'01" << 4 << QStringList() << false;
    QTest::newRow("comment") << "--" << 4 << QStringList() << false;
    QTest::newRow("comma") << "01,02" << 4 << QStringList() << false;
    QTest::newRow("accent") << "é" << 4 << QStringList() << false;
    QTest::newRow("overlong text") << QString(100000, QLatin1Char('1')) << 4 << QStringList() << false;
}

void CommissionRulesTest::shouldParseListStrings()
{
    QFETCH(QString, text);
    QFETCH(int, maxLength);
    QFETCH(QStringList, expected);
    QFETCH(bool, valid);

    if (!valid) {
        QVERIFY_THROWS_EXCEPTION(ServiceError, commission::CodeList::parse(text, maxLength, QStringLiteral("x")));
        return;
    }
    QCOMPARE(commission::CodeList::parse(text, maxLength, QStringLiteral("x")), expected);
}

void CommissionRulesTest::shouldReadOnlyMarkedQuotesFromAPacket()
{
    packet::Packet quotes;
    quotes.fields = commission::RecordSetLayouts::quotes();
    const QVector<QVariant> row = {QStringLiteral("S"),
                                   QStringLiteral("0001"),
                                   QStringLiteral("0000000001"),
                                   QStringLiteral("01"),
                                   {},
                                   {},
                                   {},
                                   {},
                                   {},
                                   1.0,
                                   4.5,
                                   {},
                                   {},
                                   1.0,
                                   {}};
    quotes.rows = {row, row, row, row};
    quotes.rows[1][0] = QStringLiteral("N");
    quotes.rows[1][3] = QStringLiteral("02");
    quotes.rows[2][0] = QVariant();  // no mark at all
    quotes.rows[2][3] = QStringLiteral("03");
    quotes.rows[3][3] = QStringLiteral("04");
    quotes.rows[3][10] = QVariant();  // no percentage: 0, as on the screen

    const QVector<commission::MarkedQuote> marked = commission::MarkedQuotes::read(quotes, true);
    QCOMPARE(marked.size(), 2);
    QCOMPARE(marked[0].key.sequence, QStringLiteral("01"));
    QCOMPARE(marked[0].percent, 4.5);
    QCOMPARE(marked[1].key.sequence, QStringLiteral("04"));
    QCOMPARE(marked[1].percent, 0.0);
}

void CommissionRulesTest::shouldRefuseQuotePacketsItCannotTrust_data()
{
    QTest::addColumn<QString>("removedField");
    QTest::addColumn<QString>("floatField");  // a text field declared as a number
    QTest::addColumn<bool>("twice");
    QTest::addColumn<bool>("emptyKey");

    QTest::newRow("no mark field") << "IDCHECK"
                                   << "" << false << false;
    QTest::newRow("no branch field") << "CDFILIAL"
                                     << "" << false << false;
    QTest::newRow("no sequence field") << "NRSEQORCAEVE"
                                       << "" << false << false;
    QTest::newRow("no percentage field") << "VRPERCCOMIS"
                                         << "" << false << false;
    QTest::newRow("number where the mark goes") << ""
                                                << "IDCHECK" << false << false;
    QTest::newRow("marked twice") << ""
                                  << "" << true << false;
    QTest::newRow("marked row without number") << ""
                                               << "" << false << true;
}

void CommissionRulesTest::shouldRefuseQuotePacketsItCannotTrust()
{
    QFETCH(QString, removedField);
    QFETCH(QString, floatField);
    QFETCH(bool, twice);
    QFETCH(bool, emptyKey);

    packet::Packet quotes;
    for (const packet::FieldSpec &field : commission::RecordSetLayouts::quotes()) {
        if (field.name == removedField)
            continue;
        packet::FieldSpec sent = field;
        if (field.name == floatField)
            sent = {field.name, packet::FieldKind::Float, 0};
        quotes.fields.append(sent);
    }
    QVector<QVariant> row(quotes.fields.size());
    auto set = [&](const char *name, const QVariant &value) {
        const int index = quotes.fieldIndex(QString::fromLatin1(name));
        if (index >= 0 && quotes.fields[index].name != floatField)
            row[index] = value;
    };
    set("IDCHECK", QStringLiteral("S"));
    set("CDFILIAL", QStringLiteral("0001"));
    set("NRORCAEVENTO", emptyKey ? QString() : QStringLiteral("0000000001"));
    set("NRSEQORCAEVE", QStringLiteral("01"));
    set("VRPERCCOMIS", 5.0);
    quotes.rows = {row};
    if (twice)
        quotes.rows.append(row);

    try {
        commission::MarkedQuotes::read(quotes, true);
        QFAIL("an untrustworthy packet was read");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::BadRequest);
    }
}

void CommissionRulesTest::shouldCheckCallArguments_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("read");  // which reader runs on argument 1
    QTest::addColumn<bool>("valid");

    QTest::newRow("text") << QByteArray(R"({"args":[{"kind":"text","ref":true,"value":"0001"}]})") << "text ref"
                          << true;
    QTest::newRow("text without ref") << QByteArray(R"({"args":[{"kind":"text","value":"0001"}]})") << "text ref"
                                      << true;
    QTest::newRow("text by value where ref goes")
        << QByteArray(R"({"args":[{"kind":"text","ref":false,"value":"1"}]})") << "text ref" << false;
    QTest::newRow("ref that is no flag") << QByteArray(R"({"args":[{"kind":"text","ref":"yes","value":"1"}]})")
                                         << "text ref" << false;
    QTest::newRow("text too long") << QByteArray(R"({"args":[{"kind":"text","ref":true,"value":"00001"}]})")
                                   << "text ref" << false;
    QTest::newRow("number where text goes")
        << QByteArray(R"({"args":[{"kind":"text","ref":true,"value":1}]})") << "text ref" << false;
    QTest::newRow("no value") << QByteArray(R"({"args":[{"kind":"text","ref":true}]})") << "text ref" << false;
    QTest::newRow("date") << QByteArray(R"({"args":[{"kind":"date","ref":true,"value":45413.5}]})") << "date" << true;
    QTest::newRow("no date") << QByteArray(R"({"args":[{"kind":"date","ref":true,"value":0}]})") << "date" << true;
    QTest::newRow("date before 1900") << QByteArray(R"({"args":[{"kind":"date","ref":true,"value":0.5}]})") << "date"
                                      << false;
    QTest::newRow("date as text") << QByteArray(R"({"args":[{"kind":"date","ref":true,"value":"2024-05-01"}]})")
                                  << "date" << false;
    QTest::newRow("text kind where a date goes")
        << QByteArray(R"({"args":[{"kind":"text","ref":true,"value":"1"}]})") << "date" << false;
    QTest::newRow("missing argument") << QByteArray(R"({"args":[]})") << "date" << false;
    QTest::newRow("packet") << QByteArray(
        R"({"args":[{"kind":"packet","value":{"format":"packet/1","fields":[],"rows":[]}}]})")
                            << "packet" << true;
    QTest::newRow("packet of another format")
        << QByteArray(R"({"args":[{"kind":"packet","value":{"format":"packet/2","fields":[],"rows":[]}}]})") << "packet"
        << false;
    QTest::newRow("packet row of the wrong width") << QByteArray(
        R"({"args":[{"kind":"packet","value":{"format":"packet/1","fields":[{"name":"A","kind":"float"}],"rows":[[1,2]]}}]})")
                                                   << "packet" << false;
    QTest::newRow("deeply nested") << QByteArray(20000, '[') << "packet" << false;
}

void CommissionRulesTest::shouldCheckCallArguments()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, read);
    QFETCH(bool, valid);

    auto readIt = [&] {
        const commission::CallArguments arguments = commission::CallArguments::parse(body);
        if (read == QLatin1String("text ref"))
            arguments.text(0, QStringLiteral("filial"), 4, true);
        else if (read == QLatin1String("date"))
            arguments.date(0, QStringLiteral("data"), true);
        else
            arguments.packet(0, QStringLiteral("pacote"));
    };
    if (valid) {
        readIt();
        return;
    }
    try {
        readIt();
        QFAIL("a bad argument was read");
    } catch (const ServiceError &error) {
        QCOMPARE(error.kind(), ServiceError::Kind::BadRequest);
        QVERIFY(!error.message().isEmpty());
    }
}

void CommissionRulesTest::shouldReadTheCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environmentSecret");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("expected");  // database|listen|port|secret|threads|demo|init|queue|timeouts|tls

    const QStringList tls{"--tls-cert", "c.pem", "--tls-key", "k.pem"};
    QTest::newRow("defaults") << QStringList() << "" << true << "commission.db|127.0.0.1|8211||16|0|0|256|10/30/5|";
    QTest::newRow("PostgreSQL and port") << QStringList{"--database", "postgresql://u@h:5432/c", "--port", "9000"} << ""
                                         << true << "postgresql://u@h:5432/c|127.0.0.1|9000||16|0|0|256|10/30/5|";
    QTest::newRow("demo") << QStringList{"--database", "demo.db", "--create-demo"} << "" << true
                          << "demo.db|127.0.0.1|8211||16|1|0|256|10/30/5|";
    QTest::newRow("empty database") << QStringList{"--database", "new.db", "--init"} << "" << true
                                    << "new.db|127.0.0.1|8211||16|0|1|256|10/30/5|";
    QTest::newRow("queue and deadlines") << QStringList{"--queue",        "8", "--header-timeout", "2",
                                                        "--body-timeout", "3", "--idle-timeout",   "1"}
                                         << "" << true << "commission.db|127.0.0.1|8211||16|0|0|8|2/3/1|";
    QTest::newRow("beyond loopback with secret and TLS")
        << (QStringList{"--listen", "0.0.0.0", "--secret", "abc"} + tls) << "" << true
        << "commission.db|0.0.0.0|8211|abc|16|0|0|256|10/30/5|c.pem";
    QTest::newRow("secret from the environment") << (QStringList{"--listen", "10.0.0.5"} + tls) << "env" << true
                                                 << "commission.db|10.0.0.5|8211|env|16|0|0|256|10/30/5|c.pem";
    QTest::newRow("TLS on loopback") << tls << "" << true << "commission.db|127.0.0.1|8211||16|0|0|256|10/30/5|c.pem";
    QTest::newRow("option before environment")
        << QStringList{"--secret", "opt"} << "env" << true << "commission.db|127.0.0.1|8211|opt|16|0|0|256|10/30/5|";
    QTest::newRow("loopback by name") << QStringList{"--listen", "localhost"} << "" << true
                                      << "commission.db|localhost|8211||16|0|0|256|10/30/5|";
    QTest::newRow("beyond loopback without secret") << (QStringList{"--listen", "0.0.0.0"} + tls) << "" << false << "";
    QTest::newRow("beyond loopback without TLS")
        << QStringList{"--listen", "0.0.0.0", "--secret", "abc"} << "" << false << "";
    QTest::newRow("certificate without key") << QStringList{"--tls-cert", "c.pem"} << "" << false << "";
    QTest::newRow("init and demo together") << QStringList{"--init", "--create-demo"} << "" << false << "";
    QTest::newRow("port not a number") << QStringList{"--port", "http"} << "" << false << "";
    QTest::newRow("port too high") << QStringList{"--port", "70000"} << "" << false << "";
    QTest::newRow("no threads") << QStringList{"--threads", "0"} << "" << false << "";
    QTest::newRow("no queue") << QStringList{"--queue", "0"} << "" << false << "";
    QTest::newRow("no header deadline") << QStringList{"--header-timeout", "0"} << "" << false << "";
    QTest::newRow("unknown option") << QStringList{"--verbose"} << "" << false << "";
    QTest::newRow("stray argument") << QStringList{"serve"} << "" << false << "";
    QTest::newRow("empty database name") << QStringList{"--database", ""} << "" << false << "";
}

void CommissionRulesTest::shouldReadTheCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environmentSecret);
    QFETCH(bool, valid);
    QFETCH(QString, expected);

    arguments.prepend(QStringLiteral("commission-server"));
    if (!valid) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, commission::ServerOptions::parse(arguments, environmentSecret));
        return;
    }
    const commission::ServerOptions options = commission::ServerOptions::parse(arguments, environmentSecret);
    QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9/%10/%11|%12")
                 .arg(options.database, options.listenAddress)
                 .arg(options.port)
                 .arg(options.secret)
                 .arg(options.threads)
                 .arg(options.createDemo ? 1 : 0)
                 .arg(options.init ? 1 : 0)
                 .arg(options.queueLimit)
                 .arg(options.headerTimeoutSeconds)
                 .arg(options.bodyTimeoutSeconds)
                 .arg(options.idleTimeoutSeconds)
                 .arg(options.tlsCertificate),
             expected);
}

void CommissionRulesTest::shouldReadPacketRowsCutOutOfTheBodyAsAWholeParseWould_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");  // the rows read, "|"-separated, or "error:" and what the message holds

    const QByteArray fields =
        R"("fields": [{"name": "A", "kind": "text", "size": 10}, {"name": "B", "kind": "float"}])";
    const auto body = [&fields](const QByteArray &rows, const QByteArray &extra = {}) {
        return R"({"args": [{"kind": "packet", "value": {"format": "packet/1", )" + fields + R"(, "rows": )" + rows
               + "}" + extra + "}]}";
    };
    QTest::newRow("plain rows") << body(R"([["x", 1], ["y", 2.5]])") << "x;1|y;2.5";
    QTest::newRow("no rows") << body("[]") << "";
    QTest::newRow("brackets and quotes in texts") << body(R"([["a]\"[,}", 1], [" ] ", 2]])") << "a]\"[,};1| ] ;2";
    QTest::newRow("blanks everywhere") << body("[ [ \"x\" , 1 ] ,\n [ \"y\" , 2 ] ]") << "x;1|y;2";
    QTest::newRow("keys after the rows") << body(R"([["x", 1]])", R"(, "ref": false)") << "x;1";
    QTest::newRow("rows twice: parsed whole") << R"({"args": [{"kind": "packet", "value": {"format": "packet/1", )"
                                                     + fields + R"(, "rows": [["x", 1]], "rows": [["y", 2]]}}]})"
                                              << "y;2";
    QTest::newRow("a row that is not a list") << body(R"([["x", 1], 5])") << "error:linha 2 não é uma lista";
    QTest::newRow("mismatched brackets in a row") << body(R"([["x", 1}])") << "error:JSON válido";
    QTest::newRow("truncated rows") << body(R"([["x", 1], ["y")") << "error:JSON válido";
    QTest::newRow("a value of the wrong kind") << body(R"([["x", "1"]])") << "error:B";
    QTest::newRow("garbage after the body") << body(R"([["x", 1]])") + "]"
                                            << "error:JSON válido";
}

void CommissionRulesTest::shouldReadPacketRowsCutOutOfTheBodyAsAWholeParseWould()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);

    QStringList rows;
    try {
        const commission::CallArguments arguments = commission::CallArguments::parse(body);
        arguments.packetRows(
            0, QStringLiteral("pacote"), [](const QVector<packet::FieldSpec> &) {},
            [&rows](const QVector<QVariant> &row) {
                rows.append(row[0].toString() + QLatin1Char(';') + row[1].toString());
            });
    } catch (const ServiceError &error) {
        QVERIFY2(expected.startsWith(QLatin1String("error:")), qPrintable(error.message()));
        QVERIFY2(error.message().contains(expected.mid(6)), qPrintable(error.message()));
        return;
    }
    QCOMPARE(rows.join(QLatin1Char('|')), expected);
}

QTEST_GUILESS_MAIN(CommissionRulesTest)
#include "commissionrulestest.moc"
