#include "screendatasets.h"
#include "datasetmodel.h"
#include "packetcodec.h"
#include "recordsetcontract.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QTest>

using packet::FieldKind;
using packet::Packet;

namespace {

using contract::ContractField;
using contract::RecordSetContract;
using Layout = QVector<ContractField>;

constexpr auto F = FieldKind::Float;
constexpr auto D = FieldKind::DateTime;

using Declare = void (*)(TClientDataSet &);

// A full-length text with accents, so sizes are counted in characters.
QString fullText(int size)
{
    QString text = QStringLiteral("Ç");
    while (text.size() < size)
        text += QStringLiteral("ãé");
    return text.left(size);
}

// A packet as the service sends it: one row at full size, one of nulls, one
// with no date and negative amounts.
Packet sentPacket(const Layout &layout)
{
    Packet p;
    QVector<QVariant> full, nulls, zeros;
    for (const ContractField &field : layout) {
        p.fields.append(field.wireField());
        const bool number = field.kind == F || field.kind == D;
        full.append(number ? QVariant(field.kind == F ? 1234567.891 : 46000.75) : QVariant(fullText(field.size)));
        nulls.append(QVariant());
        zeros.append(number ? QVariant(field.kind == F ? -0.01 : 0.0) : QVariant(QString()));
    }
    p.rows = {full, nulls, zeros};
    return p;
}

}  // namespace

Q_DECLARE_METATYPE(Declare)
Q_DECLARE_METATYPE(Layout)

class ScreenDataSetsTest : public QObject {
    Q_OBJECT
private:
    static void addSets()
    {
        QTest::addColumn<Declare>("declare");
        QTest::addColumn<Layout>("layout");
        QTest::newRow("cdsParamOrcaEve") << Declare(screendatasets::declareParamOrcaEve)
                                         << RecordSetContract::paramOrcaEve();
        QTest::newRow("cdsVendedores") << Declare(screendatasets::declareVendedores) << RecordSetContract::vendedores();
        QTest::newRow("cdsOrcamentos") << Declare(screendatasets::declareOrcamentos) << RecordSetContract::orcamentos();
        QTest::newRow("cdsOrcaPendente") << Declare(screendatasets::declareOrcaPendente)
                                         << RecordSetContract::orcaPendente();
    }

private slots:
    void shouldRoundTripWhatTheServiceSends_data() { addSets(); }
    void shouldRoundTripWhatTheServiceSends()
    {
        QFETCH(Declare, declare);
        QFETCH(Layout, layout);
        TClientDataSet set;
        declare(set);
        const Packet sent = sentPacket(layout);

        set.loadFromPacket(packet::decode(packet::encode(sent)));
        QCOMPARE(set.RecordCount(), 3);
        QCOMPARE(packet::decode(packet::encode(set.data())), sent);
    }

    void shouldDeclareTheContractsLabelsFormatsWidthsAndHiddenFields_data() { addSets(); }
    void shouldDeclareTheContractsLabelsFormatsWidthsAndHiddenFields()
    {
        QFETCH(Declare, declare);
        QFETCH(Layout, layout);
        TClientDataSet set;
        declare(set);
        QCOMPARE(set.fields().size(), layout.size());
        for (int i = 0; i < layout.size(); ++i) {
            const FieldDef &field = set.fields()[i];
            const ContractField &expected = layout[i];
            QCOMPARE(field.name, expected.name);
            QCOMPARE(field.kind, expected.kind);
            QCOMPARE(field.size, expected.size);
            QCOMPARE(field.displayLabel, expected.label);
            QCOMPARE(field.displayFormat, expected.format);
            QCOMPARE(field.displayWidth, expected.displayWidth);
            QCOMPARE(field.visible, expected.visible);
        }
    }

    void shouldRefuseATextOneCharacterTooLong_data()
    {
        QTest::addColumn<Declare>("declare");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<int>("field");
        const struct {
            const char *set;
            Declare declare;
            const Layout &layout;
        } sets[] = {{"cdsParamOrcaEve", screendatasets::declareParamOrcaEve, RecordSetContract::paramOrcaEve()},
                    {"cdsVendedores", screendatasets::declareVendedores, RecordSetContract::vendedores()},
                    {"cdsOrcamentos", screendatasets::declareOrcamentos, RecordSetContract::orcamentos()},
                    {"cdsOrcaPendente", screendatasets::declareOrcaPendente, RecordSetContract::orcaPendente()}};
        for (const auto &[set, declare, layout] : sets) {
            for (int i = 0; i < layout.size(); ++i) {
                if (layout[i].size > 0)
                    QTest::addRow("%s.%s", set, qPrintable(layout[i].name)) << declare << layout << i;
            }
        }
    }

    void shouldRefuseATextOneCharacterTooLong()
    {
        QFETCH(Declare, declare);
        QFETCH(Layout, layout);
        QFETCH(int, field);
        TClientDataSet set;
        declare(set);
        Packet sent = sentPacket(layout);
        sent.fields[field].size += 1;
        sent.rows[0][field] = fullText(layout[field].size + 1);
        try {
            set.loadFromPacket(sent);
            QFAIL("a text longer than the field was accepted");
        } catch (const packet::PacketError &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QString("\"%1\"").arg(layout[field].name)), error.what());
        }
        QVERIFY(set.IsEmpty());
    }

    void shouldRefuseAPacketWithoutADeclaredField_data() { addSets(); }
    void shouldRefuseAPacketWithoutADeclaredField()
    {
        QFETCH(Declare, declare);
        QFETCH(Layout, layout);
        TClientDataSet set;
        declare(set);
        const Packet complete = sentPacket(layout);
        set.loadFromPacket(complete);
        set.Last();
        for (int i = 0; i < layout.size(); ++i) {
            Packet lacking = complete;
            lacking.fields.removeAt(i);
            for (auto &row : lacking.rows)
                row.removeAt(i);
            QVERIFY_THROWS_EXCEPTION(packet::PacketError, set.loadFromPacket(lacking));
            QCOMPARE(set.RecNo(), 2);
            QCOMPARE(set.data(), complete);
        }
    }

    void shouldShowThePendingQuotesAsTheDialogListsThem()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TClientDataSet set;
        screendatasets::declareOrcaPendente(set);
        set.loadFromPacket(sentPacket(RecordSetContract::orcaPendente()));
        TDataSource source;
        source.setDataSet(&set);
        DataSetModel model;
        model.setDataSource(&source);

        QStringList titles;
        for (int c = 0; c < model.columnCount(); ++c)
            titles << model.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Nr. Orçamento", "Seq.", "Vendedor(a)", "Dt. Evento", "Título do Orçamento"}));
        QCOMPARE(model.data(model.index(0, 3)).toString(), QString("09/12/2025"));
        QCOMPARE(model.data(model.index(2, 3)).toString(), QString());  // no date
        QCOMPARE(model.data(model.index(1, 1)).toString(), QString());  // null
    }

    void shouldShowAmountsWithTwoDecimals()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TClientDataSet set;
        screendatasets::declareVendedores(set);
        set.loadFromPacket(sentPacket(RecordSetContract::vendedores()));
        TDataSource source;
        source.setDataSet(&set);
        DataSetModel model;
        model.setDataSource(&source);
        QCOMPARE(model.columnFields(), (QStringList{"NMFANVEN", "VRCOMISSAO"}));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QString("1.234.567,89"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QString("-0,01"));
    }
};

QTEST_MAIN(ScreenDataSetsTest)
#include "screendatasetstest.moc"
