#include "domains.h"
#include "packetcodec.h"
#include "recordsets.h"
#include "remotecontract.h"
#include "session.h"
#include "utcinstant.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <ctime>

using contract::Domains;
using contract::RemoteContract;
using contract::WireField;

using Fields = QVector<WireField>;

namespace {

template <typename RecordSet>
Fields fieldsOf()
{
    return {RecordSet::fields().begin(), RecordSet::fields().end()};
}

// The wire cells of a field as the documented tables show them:
// | name | kind | size | ...
QString documentedCells(const WireField &field)
{
    const QJsonObject json =
        packet::toJson(packet::Packet{{field.spec()}, {}}).value(QStringLiteral("fields")).toArray().first().toObject();
    return QStringLiteral("| %1 | %2 |%3")
        .arg(QString(field.name), json.value(QStringLiteral("kind")).toString(),
             field.size > 0 ? QStringLiteral(" %1 |").arg(field.size) : QStringLiteral(" |"));
}

// The first three cells of the table rows under "### <set>: ..." in the
// packet format document.
QStringList documentedRows(const QString &set)
{
    QFile file(QStringLiteral(PACKET_FORMAT_DOC));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QStringList rows;
    bool inSet = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("### ")))
            inSet = line.mid(4).section(QLatin1Char(':'), 0, 0) == set;
        else if (inSet && line.startsWith(QLatin1String("| ")) && !line.startsWith(QLatin1String("| Field")))
            rows << line.section(QLatin1Char('|'), 0, 3) + QLatin1Char('|');
    }
    return rows;
}

}  // namespace

class ContractTest : public QObject {
    Q_OBJECT

private slots:
    // The instants below are read in São Paulo's time.
    void initTestCase()
    {
        qputenv("TZ", "America/Sao_Paulo");
        tzset();
    }

    // Instants travel in UTC, whatever the reader's zone; local days begin
    // at their local midnight, also on a day the clocks change.
    void shouldCarryInstantsInUtc_data()
    {
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QString>("utc");
        QTest::newRow("late evening") << QDateTime(QDate(2024, 6, 10), QTime(23, 30)) << "2024-06-11T02:30:00Z";
        QTest::newRow("with milliseconds")
            << QDateTime(QDate(2024, 6, 10), QTime(8, 0, 0, 125)) << "2024-06-10T11:00:00.125Z";
        QTest::newRow("summer time of 2018") << QDateTime(QDate(2018, 12, 1), QTime(12, 0)) << "2018-12-01T14:00:00Z";
        QTest::newRow("local midnight") << QDate(2024, 6, 11).startOfDay() << "2024-06-11T03:00:00Z";
        // The clocks went from 00:00 to 01:00 on 2018-11-04: the day began at 01:00.
        QTest::newRow("day the clocks moved") << QDate(2018, 11, 4).startOfDay() << "2018-11-04T03:00:00Z";
    }
    void shouldCarryInstantsInUtc()
    {
        QFETCH(QDateTime, local);
        QFETCH(QString, utc);
        const double days = contract::UtcInstant::toDayCount(local);
        QCOMPARE(contract::UtcInstant::fromDayCount(days).toString(Qt::ISODateWithMs).remove(QStringLiteral(".000")),
                 utc);
        QCOMPARE(contract::UtcInstant::fromDayCount(days).toLocalTime(), local);
        if (local.time() == local.date().startOfDay().time())
            QCOMPARE(contract::UtcInstant::startOfLocalDay(local.date()), days);
        QVERIFY(!contract::UtcInstant::fromDayCount(0).isValid());
        QCOMPARE(contract::UtcInstant::toDayCount(QDateTime()), 0.0);
    }

    // The golden test: every record set as documented, field by field, in
    // order. A change to a layout is a change to what peers rely on; it goes
    // with the document.
    void shouldMatchTheDocumentedRecordSets_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::newRow("cdsParamOrcaEve") << fieldsOf<contract::ParamOrcaEve>();
        QTest::newRow("cdsVendedores") << fieldsOf<contract::Vendedores>();
        QTest::newRow("cdsOrcaPendente") << fieldsOf<contract::OrcaPendente>();
        QTest::newRow("cdsOrcamentos") << fieldsOf<contract::Orcamentos>();
        QTest::newRow("cancelled") << fieldsOf<contract::OrcamentosCancelados>();
        QTest::newRow("historico") << fieldsOf<contract::HistoricoComissao>();
        QTest::newRow("historicoOrcamentos") << fieldsOf<contract::HistoricoOrcamentos>();
    }
    void shouldMatchTheDocumentedRecordSets()
    {
        QFETCH(Fields, fields);
        QStringList declared;
        for (const WireField &field : fields)
            declared << documentedCells(field);
        QCOMPARE(declared, documentedRows(QString::fromLatin1(QTest::currentDataTag())));
    }

    // Every code fits the field or argument that carries it.
    void shouldFitEveryDomainInItsField_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("size");
        using contract::HistoricoComissao;
        using contract::Orcamentos;
        using contract::ParamOrcaEve;
        using contract::Vendedores;
        const struct {
            const char *tag;
            QLatin1String value;
            WireField field;
        } rows[] = {{"marked", Domains::Mark::marked, Orcamentos::IdCheck},
                    {"unmarked", Domains::Mark::unmarked, Orcamentos::IdCheck},
                    {"generation", Domains::Operation::generation, HistoricoComissao::IdOperacao},
                    {"cancellation", Domains::Operation::cancellation, HistoricoComissao::IdOperacao},
                    {"paid", Domains::Paid::paid, HistoricoComissao::IdBaixada},
                    {"unpaid", Domains::Paid::unpaid, HistoricoComissao::IdBaixada},
                    {"earns", Domains::SalespersonEarns::yes, Vendedores::IdGeraComisVend},
                    {"every salesperson earns", Domains::SalespersonEarns::no, ParamOrcaEve::IdGeraComissaoVend},
                    {"manager", Domains::SalespersonRole::manager, Vendedores::IdCargoVend},
                    {"event date", Domains::DateBase::event, ParamOrcaEve::IdDtBaseComissao},
                    {"closing date", Domains::DateBase::closing, ParamOrcaEve::IdDtBaseComissao},
                    {"maintenance", Domains::GenerationPlace::maintenance, ParamOrcaEve::IdGeraComissao},
                    {"payable as generated", Domains::PayableState::asGenerated, HistoricoComissao::IdSitContaPagar},
                    {"payable changed", Domains::PayableState::changed, HistoricoComissao::IdSitContaPagar},
                    {"payable removed", Domains::PayableState::removed, HistoricoComissao::IdSitContaPagar}};
        for (const auto &row : rows)
            QTest::newRow(row.tag) << QString(row.value) << row.field.size;
        const int statusSize = RemoteContract::arguments(RemoteContract::getVendedores).last().size;
        QTest::newRow("generated") << QString(Domains::CommissionStatus::generated) << statusSize;
        QTest::newRow("not generated") << QString(Domains::CommissionStatus::notGenerated) << statusSize;
        const int inUtcSize = RemoteContract::arguments(RemoteContract::getHistoricoComissao).last().size;
        QTest::newRow("period in UTC") << QString(Domains::PeriodInUtc::yes) << inUtcSize;
        QTest::newRow("period in local days") << QString(Domains::PeriodInUtc::no) << inUtcSize;
    }
    void shouldFitEveryDomainInItsField()
    {
        QFETCH(QString, value);
        QFETCH(int, size);
        QVERIFY(!value.isEmpty());
        QVERIFY(value.size() <= size);
    }

    void shouldDeclareArgumentsForEveryMethodThatTakesThem_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("required");
        QTest::addColumn<int>("total");
        QTest::newRow("GetParamOrcaEve") << RemoteContract::getParamOrcaEve << 0 << 0;
        QTest::newRow("GetVendedores") << RemoteContract::getVendedores << 8 << 8;
        QTest::newRow("GetOrcamentos") << RemoteContract::getOrcamentos << 8 << 8;
        QTest::newRow("SetComissao") << RemoteContract::setComissao << 2 << 2;
        QTest::newRow("SetCancelaComissao") << RemoteContract::setCancelaComissao << 3 << 3;
        QTest::newRow("GetHistoricoComissao") << RemoteContract::getHistoricoComissao << 4 << 5;
        QTest::newRow("unknown") << QStringLiteral("GetTudo") << 0 << 0;
    }
    void shouldDeclareArgumentsForEveryMethodThatTakesThem()
    {
        QFETCH(QString, method);
        QFETCH(int, required);
        QFETCH(int, total);
        QCOMPARE(RemoteContract::requiredArguments(method), required);
        QCOMPARE(int(RemoteContract::arguments(method).size()), total);
        for (const RemoteContract::Argument &argument : RemoteContract::arguments(method))
            QCOMPARE(argument.size > 0, argument.kind == RemoteContract::ArgumentKind::Text);
    }

    // The host signs in before any module runs, with the session's defaults:
    // they must be what the server takes.
    void shouldSignInAsTheServerExpects()
    {
        const SessionValues defaults;
        QCOMPARE(defaults.sessionPath, QString::fromLatin1(RemoteContract::sessionPath));
        QCOMPARE(defaults.secretHeader, QByteArray(RemoteContract::secretHeader));
        QCOMPARE(defaults.branchCodeWidth, RemoteContract::branchCodeWidth);
        QCOMPARE(defaults.operatorCodeWidth, RemoteContract::operatorCodeWidth);
    }

    void shouldPostEveryCallUnderTheObjectsPath()
    {
        QCOMPARE(RemoteContract::path(RemoteContract::getVendedores),
                 QStringLiteral("/rdm/%1/GetVendedores").arg(RemoteContract::objectName));
        QCOMPARE(RemoteContract::methods().size(), 6);
    }
};

QTEST_GUILESS_MAIN(ContractTest)
#include "contracttest.moc"
