// The lines under the grids and under the tabs: counts, sums in the grids'
// notation, singulars, and what the filter said.
#include "listsummary.h"
#include "filtersummary.h"
#include "modulestate.h"
#include "screendatasets.h"
#include "tclientdataset.h"

#include <QDate>
#include <QLocale>
#include <QTest>

#include <daycount.h>

namespace {

struct Row {
    QString mark;
    QVariant commission;
};

void fill(TClientDataSet &set, const QString &markField, const QVector<Row> &rows)
{
    packet::Packet content;
    for (const FieldDef &field : set.fields())
        content.fields.append({field.name, field.kind, field.size});
    for (const Row &values : rows) {
        QVector<QVariant> row(content.fields.size(), QVariant());
        if (!markField.isEmpty())
            row[set.fieldIndex(markField)] = values.mark;
        row[set.fieldIndex(QStringLiteral("VRCOMISSAO"))] = values.commission;
        content.rows.append(row);
    }
    set.loadFromPacket(content);
}

}  // namespace

class ListSummaryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void shouldCountTheQuotesAndSumTheMarkedCommission_data()
    {
        QTest::addColumn<QVector<Row>>("rows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no quotes") << QVector<Row>{} << "0 orçamentos · 0 marcados · comissão marcada 0,00";
        QTest::newRow("one, marked") << QVector<Row>{{"S", 1234.5}}
                                     << "1 orçamento · 1 marcado · comissão marcada 1.234,50";
        QTest::newRow("only the marked count") << QVector<Row>{{"S", 10.0}, {"N", 500.0}, {"", 7.0}, {"S", 0.25}}
                                               << "4 orçamentos · 2 marcados · comissão marcada 10,25";
        QTest::newRow("credit quotes lower the sum")
            << QVector<Row>{{"S", 100.0}, {"S", -15.0}} << "2 orçamentos · 2 marcados · comissão marcada 85,00";
        QTest::newRow("cents that would drift as doubles")
            << QVector<Row>(30, {"S", 0.1}) << "30 orçamentos · 30 marcados · comissão marcada 3,00";
        QTest::newRow("no commission yet")
            << QVector<Row>{{"S", QVariant()}} << "1 orçamento · 1 marcado · comissão marcada 0,00";
    }
    void shouldCountTheQuotesAndSumTheMarkedCommission()
    {
        QFETCH(QVector<Row>, rows);
        QFETCH(QString, expected);
        TClientDataSet quotes;
        screendatasets::declareOrcamentos(quotes);
        fill(quotes, QStringLiteral("IDCHECK"), rows);
        QCOMPARE(ListSummary::quotes(quotes), expected);
    }

    // Before a generation the marked sum is what the server will book (total
    // times percentage, half a cent up), not the sum of the listed column.
    void shouldSumWhatAGenerationWillBookOnCommissionNotGenerated()
    {
        TClientDataSet quotes;
        screendatasets::declareOrcamentos(quotes);
        fill(quotes, QStringLiteral("IDCHECK"), QVector<Row>(3, {"S", 0.0}));
        packet::Packet content = quotes.data();
        for (QVector<QVariant> &row : content.rows) {
            row[content.fieldIndex(QStringLiteral("VRTOTALOREV"))] = 0.5;
            row[content.fieldIndex(QStringLiteral("VRPERCCOMIS"))] = 1.0;
        }
        quotes.loadFromPacket(content);
        Cli_ORE09700::Filtro.Comissao.stGerada = QStringLiteral("N");
        const QString summary = ListSummary::quotes(quotes);
        Cli_ORE09700::Filtro.Comissao.stGerada.clear();
        QCOMPARE(summary, QStringLiteral("3 orçamentos · 3 marcados · comissão marcada 0,03"));
    }

    void shouldCountTheSalespeopleAndSumTheirCommission_data()
    {
        QTest::addColumn<QVector<Row>>("rows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QVector<Row>{} << "0 vendedores · comissão 0,00";
        QTest::newRow("one") << QVector<Row>{{"", 99.99}} << "1 vendedor · comissão 99,99";
        QTest::newRow("several") << QVector<Row>{{"", 12000.0}, {"", 345.67}, {"", -0.5}}
                                 << "3 vendedores · comissão 12.345,17";
    }
    void shouldCountTheSalespeopleAndSumTheirCommission()
    {
        QFETCH(QVector<Row>, rows);
        QFETCH(QString, expected);
        TClientDataSet salespeople;
        screendatasets::declareVendedores(salespeople);
        fill(salespeople, QString(), rows);
        QCOMPARE(ListSummary::salespeople(salespeople), expected);
    }

    void shouldSayWhatTheListsWereLoadedWith_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("dateBase");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("salespeople");
        QTest::addColumn<QString>("eventTypes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("inWords");  // as a printed statement says it
        const QDate nov1(2026, 11, 1), nov30(2026, 11, 30);
        QTest::newRow("everyone, event date") << nov1 << nov30 << "EVENTO"
                                              << "N"
                                              << ""
                                              << ""
                                              << "Filial 0001 · 01/11/2026 a 30/11/2026 (data do evento) · Não gerada"
                                                 " · Vendedores: Todos · Tipos de evento: Todos"
                                              << "Filial 0001 · Período 01/11/2026 a 30/11/2026 (data do evento)"
                                                 " · Vendedores: todos · Tipos de evento: todos · Comissão não gerada";
        QTest::newRow("picked, closing date")
            << nov1 << nov30 << "FECHAMENTO"
            << "S"
            << "0001;0003"
            << "002"
            << "Filial 0001 · 01/11/2026 a 30/11/2026 (data de fechamento) · Gerada · Vendedores: 2 escolhidos"
               " · Tipos de evento: 1 escolhido"
            << "Filial 0001 · Período 01/11/2026 a 30/11/2026 (data de fechamento) · Vendedores: 0001, 0003"
               " · Tipos de evento: 002 · Comissão gerada";
        QTest::newRow("from a day on") << nov1 << QDate() << "EVENTO"
                                       << "N"
                                       << ""
                                       << ""
                                       << "Filial 0001 · a partir de 01/11/2026 (data do evento) · Não gerada"
                                          " · Vendedores: Todos · Tipos de evento: Todos"
                                       << "Filial 0001 · Período a partir de 01/11/2026 (data do evento)"
                                          " · Vendedores: todos · Tipos de evento: todos · Comissão não gerada";
        QTest::newRow("up to a day") << QDate() << nov30 << "EVENTO"
                                     << "N"
                                     << ""
                                     << ""
                                     << "Filial 0001 · até 30/11/2026 (data do evento) · Não gerada"
                                        " · Vendedores: Todos · Tipos de evento: Todos"
                                     << "Filial 0001 · Período até 30/11/2026 (data do evento)"
                                        " · Vendedores: todos · Tipos de evento: todos · Comissão não gerada";
        QTest::newRow("any date") << QDate() << QDate() << "EVENTO"
                                  << "N"
                                  << ""
                                  << ""
                                  << "Filial 0001 · qualquer data (data do evento) · Não gerada"
                                     " · Vendedores: Todos · Tipos de evento: Todos"
                                  << "Filial 0001 · Sem período (data do evento)"
                                     " · Vendedores: todos · Tipos de evento: todos · Comissão não gerada";
    }
    void shouldSayWhatTheListsWereLoadedWith()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, dateBase);
        QFETCH(QString, status);
        QFETCH(QString, salespeople);
        QFETCH(QString, eventTypes);
        QFETCH(QString, expected);
        QFETCH(QString, inWords);
        CommissionClient::Selection selection;
        selection.branch = QStringLiteral("0001");
        selection.periodStart = from.isValid() ? packet::toDayCount(from) : 0;
        selection.periodEnd = to.isValid() ? packet::toDayCount(to) : 0;
        selection.baseDateRule = dateBase;
        selection.commissionStatus = status;
        selection.salespeople = salespeople;
        selection.eventTypes = eventTypes;
        QCOMPARE(FilterSummary::describe(selection, {}, {}).text, expected);
        QCOMPARE(FilterSummary::inWords(selection), inWords);
    }

    void shouldNameThePickedOnesInTheToolTip()
    {
        CommissionClient::Selection selection;
        selection.salespeople = QStringLiteral("0001;0003");
        selection.eventTypes = QStringLiteral("002");
        const FilterSummary::Line line =
            FilterSummary::describe(selection, {"0001 - Ana", "0003 - Carla"}, {"002 - Coquetel"});
        QCOMPARE(line.toolTip,
                 QStringLiteral("Vendedores:\n0001 - Ana\n0003 - Carla\nTipos de evento:\n002 - Coquetel"));
        QCOMPARE(FilterSummary::describe(CommissionClient::Selection{}, {}, {}).toolTip, QString());
    }
};

QTEST_MAIN(ListSummaryTest)
#include "listsummarytest.moc"
