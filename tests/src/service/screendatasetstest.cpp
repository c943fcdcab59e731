#include "screendatasets.h"
#include "datasetmodel.h"
#include "packetcodec.h"
#include "recordsets.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QFile>
#include <QTest>

using packet::FieldKind;
using packet::Packet;

namespace {

using contract::WireField;
using Layout = QVector<WireField>;

constexpr auto F = FieldKind::Float;
constexpr auto D = FieldKind::DateTime;

using Declare = void (*)(TClientDataSet &);

template <typename RecordSet>
Layout layoutOf()
{
    return {RecordSet::fields().begin(), RecordSet::fields().end()};
}

// A declared field as a row of the documented tables:
// | name | kind | size | title | format | width | shown |
QString documentedRow(const FieldDef &field)
{
    const QStringList cells{field.name,
                            packet::kindName(field.kind),
                            field.size > 0 ? QString::number(field.size) : QString(),
                            field.displayLabel,
                            field.displayFormat,
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
    QFile file(QFINDTESTDATA("../../../docs/packet-format.md"));
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
    for (const WireField &field : layout) {
        p.fields.append(field.spec());
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
                                         << layoutOf<contract::ParamOrcaEve>();
        QTest::newRow("cdsVendedores") << Declare(screendatasets::declareVendedores)
                                       << layoutOf<contract::Vendedores>();
        QTest::newRow("cdsOrcamentos") << Declare(screendatasets::declareOrcamentos)
                                       << layoutOf<contract::Orcamentos>();
        QTest::newRow("cdsOrcaPendente") << Declare(screendatasets::declareOrcaPendente)
                                         << layoutOf<contract::OrcaPendente>();
        QTest::newRow("historico") << Declare(screendatasets::declareHistorico)
                                   << layoutOf<contract::HistoricoComissao>();
        QTest::newRow("historicoOrcamentos")
            << Declare(screendatasets::declareHistoricoOrcamentos) << layoutOf<contract::HistoricoOrcamentos>();
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

    // The golden test of the presentation: every field of every set with its
    // title, format, width and visibility as documented, in the wire's order.
    void shouldDeclareTheDocumentedLabelsFormatsWidthsAndHiddenFields_data() { addSets(); }
    void shouldDeclareTheDocumentedLabelsFormatsWidthsAndHiddenFields()
    {
        QFETCH(Declare, declare);
        TClientDataSet set;
        declare(set);
        QStringList declared;
        for (const FieldDef &field : set.fields())
            declared << documentedRow(field);
        QCOMPARE(declared, documentedRows(QString::fromLatin1(QTest::currentDataTag())));
    }

    void shouldRefuseATextOneCharacterTooLong_data()
    {
        QTest::addColumn<Declare>("declare");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<int>("field");
        const struct {
            const char *set;
            Declare declare;
            Layout layout;
        } sets[] = {{"cdsParamOrcaEve", screendatasets::declareParamOrcaEve, layoutOf<contract::ParamOrcaEve>()},
                    {"cdsVendedores", screendatasets::declareVendedores, layoutOf<contract::Vendedores>()},
                    {"cdsOrcamentos", screendatasets::declareOrcamentos, layoutOf<contract::Orcamentos>()},
                    {"cdsOrcaPendente", screendatasets::declareOrcaPendente, layoutOf<contract::OrcaPendente>()}};
        for (const auto &[set, declare, layout] : sets) {
            for (int i = 0; i < layout.size(); ++i) {
                if (layout[i].size > 0)
                    QTest::addRow("%s.%s", set, layout[i].name.data()) << declare << layout << i;
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
            QVERIFY2(QString::fromUtf8(error.what()).contains(QString("\"%1\"").arg(QString(layout[field].name))),
                     error.what());
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
        set.loadFromPacket(sentPacket(layoutOf<contract::OrcaPendente>()));
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
        set.loadFromPacket(sentPacket(layoutOf<contract::Vendedores>()));
        TDataSource source;
        source.setDataSet(&set);
        DataSetModel model;
        model.setDataSource(&source);
        QCOMPARE(model.columnFields(),
                 (QStringList{contract::Vendedores::NmFanVen.name, contract::Vendedores::VrComissao.name}));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QString("1.234.567,89"));
        QCOMPARE(model.data(model.index(2, 1)).toString(), QString("-0,01"));
    }
};

QTEST_MAIN(ScreenDataSetsTest)
#include "screendatasetstest.moc"
