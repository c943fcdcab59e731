#include "packetcodec.h"
#include "recordsetcontract.h"
#include "remotecontract.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using contract::ContractField;
using contract::RecordSetContract;
using contract::RemoteContract;

namespace {

// A field as a row of the documented tables:
// | name | kind | size | title | format | width | shown |
QString documentedRow(const ContractField &field)
{
    const QJsonObject json = packet::toJson(packet::Packet{{field.wireField()}, {}})
                                 .value(QStringLiteral("fields"))
                                 .toArray()
                                 .first()
                                 .toObject();
    const QStringList cells{field.name,
                            json.value(QStringLiteral("kind")).toString(),
                            field.size > 0 ? QString::number(field.size) : QString(),
                            field.label,
                            field.format,
                            field.displayWidth > 0 ? QString::number(field.displayWidth) : QString(),
                            field.visible ? QStringLiteral("yes") : QStringLiteral("no")};
    QString row = QStringLiteral("|");
    for (const QString &cell : cells)
        row += cell.isEmpty() ? QStringLiteral(" |") : QStringLiteral(" %1 |").arg(cell);
    return row;
}

// The table rows under "### <set>: ..." in the packet format document.
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
            rows << line.trimmed();
    }
    return rows;
}

}  // namespace

class ContractTest : public QObject {
    Q_OBJECT

private slots:
    // The golden test: every record set as documented, field by field. A change
    // to a layout is a change to what peers rely on; it goes with the document.
    void shouldMatchTheDocumentedRecordSets_data()
    {
        QTest::addColumn<QVector<ContractField>>("fields");
        QTest::newRow("cdsParamOrcaEve") << RecordSetContract::paramOrcaEve();
        QTest::newRow("cdsVendedores") << RecordSetContract::vendedores();
        QTest::newRow("cdsOrcaPendente") << RecordSetContract::orcaPendente();
        QTest::newRow("cdsOrcamentos") << RecordSetContract::orcamentos();
        QTest::newRow("cancelled") << RecordSetContract::orcamentosCancelados();
        QTest::newRow("historico") << RecordSetContract::historicoComissao();
        QTest::newRow("historicoOrcamentos") << RecordSetContract::historicoOrcamentos();
    }
    void shouldMatchTheDocumentedRecordSets()
    {
        QFETCH(QVector<ContractField>, fields);
        QStringList declared;
        for (const ContractField &field : fields)
            declared << documentedRow(field);
        QCOMPARE(declared, documentedRows(QString::fromLatin1(QTest::currentDataTag())));
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
        QTest::newRow("GetHistoricoComissao") << RemoteContract::getHistoricoComissao << 4 << 4;
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

    void shouldPostEveryCallUnderTheObjectsPath()
    {
        QCOMPARE(RemoteContract::path(RemoteContract::getVendedores),
                 QStringLiteral("/rdm/%1/GetVendedores").arg(RemoteContract::objectName));
        QCOMPARE(RemoteContract::methods().size(), 6);
    }
};

QTEST_GUILESS_MAIN(ContractTest)
#include "contracttest.moc"
