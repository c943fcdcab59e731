#include "quoteloader.h"

#include "scriptedserver.h"

#include "recordsets.h"
#include "remotecontract.h"

#include "domains.h"

#include "busyindicator.h"
#include "commissionclient.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "packetcodec.h"
#include "screendatasets.h"
#include "scripteddialogs.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tmessages.h"
#include "tnetconnection.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <memory>

using namespace Cli_ORE09700;
using Reply = ScriptedServer::Reply;
using contract::Domains;
using Pending = contract::OrcaPendente;
using Params = contract::ParamOrcaEve;
using Quotes = contract::Orcamentos;
using Salespeople = contract::Vendedores;

namespace {

const QString busyText = QStringLiteral("Verificando os registros no servidor...");
const QString pendingText = QStringLiteral("Os vendedores abaixo não possuem comissão gerada.");
constexpr int readTimeoutMs = 400;

// A packet of the set's fields; each row names only the values it cares about.
packet::Packet packetOf(const TClientDataSet &set, const QList<QVariantMap> &rows)
{
    packet::Packet result;
    for (const FieldDef &field : set.fields())
        result.fields.append({field.name, field.kind, field.size});
    for (const QVariantMap &values : rows) {
        QVector<QVariant> row;
        for (const FieldDef &field : set.fields())
            row.append(values.value(field.name));
        result.rows.append(row);
    }
    return result;
}

packet::Packet withoutField(packet::Packet content, const QString &name)
{
    const int column = content.fieldIndex(name);
    content.fields.removeAt(column);
    for (auto &row : content.rows)
        row.removeAt(column);
    return content;
}

QJsonObject json(const packet::Packet &content)
{
    return packet::toJson(content);
}

QJsonObject argument(const char *kind, bool byRef, const QJsonValue &value)
{
    return {{"kind", kind}, {"ref", byRef}, {"value", value}};
}

int closedPort()
{
    return ScriptedServer::closedPort();
}

}  // namespace

class QuoteLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldLoadBothListsAndTheQuotesOfTheFirstSalesperson();
    void shouldSendTheFilterInTheServicesOrder_data();
    void shouldSendTheFilterInTheServicesOrder();
    void shouldKeepTheEventTypesOfTheLastSalespersonLoadForQuotes();
    void shouldLoadQuotesWithAnEmptyCodeWhenNoSalespersonMatches();
    void shouldLoadQuotesOnceWhenReplacingTheSalespeopleReportsAScroll();
    void shouldReloadOnlyTheQuotesOncePerMoveInTheGrid_data();
    void shouldReloadOnlyTheQuotesOncePerMoveInTheGrid();
    void shouldShowThePendingDialogOncePerFilterRun_data();
    void shouldShowThePendingDialogOncePerFilterRun();
    void shouldKeepTheScreenConsistentWhenALoadFails_data();
    void shouldKeepTheScreenConsistentWhenALoadFails();
    void shouldEmptyTheQuotesWhenTheQuotesOfANewSalespersonFail();

private:
    struct PendingShown {
        int rows = 0;
        QString text;
        bool busy = false;
        bool setIsThePendingSet = false;
    };

    void serveSalespeople(const QStringList &codes, int pendingRows);
    void serveQuotes(const QHash<QString, int> &quotesPerSalesperson);
    void runLoad();  // as a command handler does
    void moveTo(int row);
    void waitForTheCalls();
    QString quoteCodeOfCall(int call) const;

    int m_calls = 0;  // calls of the loader not yet completed
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<QWidget> m_mainForm;
    std::unique_ptr<TNetConnection> m_connection;
    std::unique_ptr<CommissionClient> m_service;
    std::unique_ptr<TClientDataSet> m_params, m_salespeople, m_quotes, m_pending;
    std::unique_ptr<TMessages> m_messages;
    std::unique_ptr<TDataSource> m_salespeopleSource;
    std::unique_ptr<TDBGrid> m_salespeopleGrid;
    std::unique_ptr<QuoteLoader> m_loader;

    QStringList m_events;  // "tab", "habilita", "pending", in order
    QList<PendingShown> m_shown;
    QList<bool> m_busyWhileLoading;  // the busy state each time a list was replaced
};

void QuoteLoaderTest::init()
{
    m_server = std::make_unique<ScriptedServer>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_mainForm = std::make_unique<QWidget>();
    m_mainForm->resize(800, 600);
    SetMainForm(m_mainForm.get());

    m_connection = std::make_unique<TNetConnection>();
    m_connection->ServerName = contract::RemoteContract::objectName;
    m_connection->Host = QStringLiteral("127.0.0.1");
    m_connection->Port = m_server->port();
    m_connection->ReadTimeoutMs = readTimeoutMs;
    m_service = std::make_unique<CommissionClient>(*m_connection);

    m_params = std::make_unique<TClientDataSet>();
    m_salespeople = std::make_unique<TClientDataSet>();
    m_quotes = std::make_unique<TClientDataSet>();
    m_pending = std::make_unique<TClientDataSet>();
    screendatasets::declareParamOrcaEve(*m_params);
    screendatasets::declareVendedores(*m_salespeople);
    screendatasets::declareOrcamentos(*m_quotes);
    screendatasets::declareOrcaPendente(*m_pending);
    m_params->loadFromPacket(
        packetOf(*m_params, {{{Params::IdDtBaseComissao.name, Domains::DateBase::closing},
                              {Params::IdGeraComissaoVend.name, Domains::SalespersonEarns::yes},
                              {Params::IdGeraComissao.name, Domains::GenerationPlace::maintenance}}}));
    for (TClientDataSet *set : {m_salespeople.get(), m_quotes.get()})
        connect(set, &TClientDataSet::contentReset, this, [this] { m_busyWhileLoading << BusyIndicatorShown(); });

    m_messages = std::make_unique<TMessages>();
    m_messages->setLines({"GetComissao|" + busyText, "VEND_S_COMISSAO|" + pendingText});

    // The salesperson grid, as on the screen: moving in it scrolls the set.
    m_salespeopleSource = std::make_unique<TDataSource>();
    m_salespeopleSource->setDataSet(m_salespeople.get());
    m_salespeopleGrid = std::make_unique<TDBGrid>();
    m_salespeopleGrid->setDataSource(m_salespeopleSource.get());
    m_salespeopleGrid->show();

    QuoteLoader::Screen screen;
    screen.service = m_service.get();
    screen.cdsParamOrcaEve = m_params.get();
    screen.cdsVendedores = m_salespeople.get();
    screen.cdsOrcamentos = m_quotes.get();
    screen.cdsOrcaPendente = m_pending.get();
    screen.msgPadrao = m_messages.get();
    screen.callStarted = [this] { ++m_calls; };
    screen.callEnded = [this] { --m_calls; };
    screen.activateVendedorTab = [this] { m_events << "tab"; };
    // The commands are recomputed only once the busy indicator is off.
    screen.Habilita = [this] { m_events << (BusyIndicatorShown() ? "habilita while busy" : "habilita"); };
    screen.showPending = [this](TClientDataSet *set, const QString &text) {
        m_events << "pending";
        m_shown.append({set->RecordCount(), text, BusyIndicatorShown(), set == m_pending.get()});
    };
    m_loader = std::make_unique<QuoteLoader>(screen);
    m_salespeople->AfterScroll = [this](TClientDataSet &) { m_loader->cdsVendedoresAfterScroll(); };

    Filtro = TFiltro{};
    Filtro.Vendedor.boTodos = true;
    Filtro.TipoEven.boTodos = true;
    Filtro.stCdFilial = "0001";
    Filtro.Comissao.stGerada = Domains::CommissionStatus::notGenerated;
    Filtro.dtDePeriodo = 46000;
    Filtro.dtAtePeriodo = 46030;
    stCdVend.clear();
    stCdEven.clear();
    inContOrcamento = 0;
    boExibePendednte = true;
}

void QuoteLoaderTest::cleanup()
{
    m_loader.reset();
    m_salespeopleGrid.reset();
    m_salespeopleSource.reset();
    m_params.reset();
    m_salespeople.reset();
    m_quotes.reset();
    m_pending.reset();
    m_messages.reset();
    m_service.reset();
    m_connection.reset();
    SetMainForm(nullptr);
    m_mainForm.reset();
    m_dialogs.reset();
    m_server.reset();
    m_events.clear();
    m_shown.clear();
    m_busyWhileLoading.clear();
}

void QuoteLoaderTest::serveSalespeople(const QStringList &codes, int pendingRows)
{
    QList<QVariantMap> salespeople;
    for (const QString &code : codes)
        salespeople.append({{Salespeople::CdVendedor.name, code},
                            {Salespeople::NmFanVen.name, "Vendedor " + code},
                            {Salespeople::VrComissao.name, 10.5}});
    QList<QVariantMap> pending;
    for (int row = 0; row < pendingRows; ++row)
        pending.append({{Pending::CdFilial.name, "0001"},
                        {Pending::NrOrcaEvento.name, QString::number(500 + row)},
                        {Pending::NrSeqOrcaEve.name, "01"},
                        {Pending::NmFanVen.name, "Sem comissão"},
                        {Pending::CdVendedor.name, "0099"},
                        {Pending::DtEvento.name, 46010.0},
                        {Pending::DsTituOrcEve.name, "Casamento"}});
    m_server->answer("GetVendedores", Reply::result(QJsonArray{json(packetOf(*m_salespeople, salespeople)),
                                                               json(packetOf(*m_pending, pending))}));
}

// Answers every salesperson with that many quotes of their own.
void QuoteLoaderTest::serveQuotes(const QHash<QString, int> &quotesPerSalesperson)
{
    const packet::Packet empty = packetOf(*m_quotes, {});
    m_server->script("GetOrcamentos", [quotesPerSalesperson, empty](const QJsonArray &arguments) {
        const QString code = arguments.at(1).toObject().value("value").toString();
        packet::Packet quotes = empty;
        for (int row = 0; row < quotesPerSalesperson.value(code); ++row) {
            QVector<QVariant> values(quotes.fields.size());
            values[quotes.fieldIndex(Quotes::IdCheck.name)] = QString(Domains::Mark::marked);
            values[quotes.fieldIndex(Quotes::CdVendedor.name)] = code;
            values[quotes.fieldIndex(Quotes::NrOrcaEvento.name)] = code + "-" + QString::number(row);
            quotes.rows.append(values);
        }
        return Reply::result(json(quotes));
    });
}

void QuoteLoaderTest::runLoad()
{
    runGuarded([this] { m_loader->DadosOrcamento(); });
    waitForTheCalls();
}

// The calls complete later; the load has ended once none is left.
void QuoteLoaderTest::waitForTheCalls()
{
    QVERIFY(QTest::qWaitFor([this] { return m_calls == 0; }));
}

void QuoteLoaderTest::moveTo(int row)
{
    m_salespeopleGrid->setCurrentIndex(m_salespeopleGrid->model()->index(row, 0));
    waitForTheCalls();
}

QString QuoteLoaderTest::quoteCodeOfCall(int call) const
{
    return m_server->arguments("GetOrcamentos").at(call).at(1).toObject().value("value").toString();
}

void QuoteLoaderTest::shouldLoadBothListsAndTheQuotesOfTheFirstSalesperson()
{
    serveSalespeople({"0007", "0003"}, 2);
    serveQuotes({{"0007", 3}, {"0003", 1}});

    runLoad();

    QCOMPARE(m_dialogs->errors(), QStringList());
    QCOMPARE(m_salespeople->RecordCount(), 2);
    QCOMPARE(m_salespeople->RecNo(), 0);
    QCOMPARE(m_salespeople->AsFloat(Salespeople::VrComissao.name), 10.5);
    QCOMPARE(m_pending->RecordCount(), 2);
    QCOMPARE(m_quotes->RecordCount(), 3);
    QCOMPARE(m_quotes->AsString(Quotes::CdVendedor.name), QStringLiteral("0007"));
    QCOMPARE(inContOrcamento, 3);
    QCOMPARE(m_server->calls("GetVendedores"), 1);
    QCOMPARE(m_server->calls("GetOrcamentos"), 1);
    QCOMPARE(quoteCodeOfCall(0), QStringLiteral("0007"));

    // Quotes and their commands first, then the warning, then the tab.
    QCOMPARE(m_events, (QStringList{"habilita", "pending", "tab", "habilita"}));
    QCOMPARE(m_busyWhileLoading, (QList<bool>{true, true}));
    QVERIFY(!BusyIndicatorShown());
    auto *indicator = m_mainForm->findChild<BusyIndicator *>();
    QVERIFY(indicator);
    QCOMPARE(indicator->kind(), int(BusyIndicator::Fetching));
    QCOMPARE(indicator->text(), busyText);
    QVERIFY(!indicator->isVisible());
}

void QuoteLoaderTest::shouldSendTheFilterInTheServicesOrder_data()
{
    QTest::addColumn<bool>("allSalespeople");
    QTest::addColumn<bool>("allEventTypes");
    QTest::addColumn<QString>("sentSalespeople");
    QTest::addColumn<QString>("sentEventTypes");

    // The lists always hold the last pick; they are sent only when chosen.
    QTest::newRow("all of both") << true << true << ""
                                 << "";
    QTest::newRow("listed salespeople") << false << true << "0001;0002"
                                        << "";
    QTest::newRow("listed event types") << true << false << ""
                                        << "CAS;FOR";
    QTest::newRow("both listed") << false << false << "0001;0002"
                                 << "CAS;FOR";
}

void QuoteLoaderTest::shouldSendTheFilterInTheServicesOrder()
{
    QFETCH(bool, allSalespeople);
    QFETCH(bool, allEventTypes);
    QFETCH(QString, sentSalespeople);
    QFETCH(QString, sentEventTypes);

    Filtro.Vendedor = {allSalespeople, "0001;0002"};
    Filtro.TipoEven = {allEventTypes, "CAS;FOR"};
    serveSalespeople({"0002"}, 0);
    serveQuotes({{"0002", 1}});

    runLoad();

    QCOMPARE(stCdVend, sentSalespeople);
    QCOMPARE(stCdEven, sentEventTypes);
    const QJsonArray expected{
        argument("text", true, "0001"),
        argument("text", true, sentSalespeople),
        argument("text", true, sentEventTypes),
        argument("text", false, Domains::DateBase::closing),
        argument("text", false, Domains::SalespersonEarns::yes),
        argument("date", true, 46000.0),
        argument("date", true, 46030.0),
        argument("text", true, Domains::CommissionStatus::notGenerated),
    };
    QCOMPARE(m_server->arguments("GetVendedores").value(0), expected);
    QJsonArray expectedForQuotes = expected;
    expectedForQuotes[1] = argument("text", false, "0002");
    QCOMPARE(m_server->arguments("GetOrcamentos").value(0), expectedForQuotes);
}

void QuoteLoaderTest::shouldKeepTheEventTypesOfTheLastSalespersonLoadForQuotes()
{
    Filtro.TipoEven = {false, "CAS"};
    serveSalespeople({"0001", "0002"}, 0);
    serveQuotes({});
    runLoad();

    Filtro.TipoEven = {false, "FOR;ANI"};
    moveTo(1);

    QCOMPARE(m_server->calls("GetOrcamentos"), 2);
    QCOMPARE(m_server->arguments("GetOrcamentos").at(1).at(2).toObject().value("value").toString(),
             QStringLiteral("CAS"));
}

void QuoteLoaderTest::shouldLoadQuotesWithAnEmptyCodeWhenNoSalespersonMatches()
{
    inContOrcamento = 5;
    serveSalespeople({}, 0);
    serveQuotes({});

    runLoad();

    QVERIFY(m_salespeople->IsEmpty());
    QCOMPARE(m_server->calls("GetOrcamentos"), 1);
    QCOMPARE(quoteCodeOfCall(0), QString());
    QVERIFY(m_quotes->Active());
    QVERIFY(m_quotes->IsEmpty());
    QCOMPARE(inContOrcamento, 0);
    QCOMPARE(m_events.mid(m_events.size() - 2), (QStringList{"tab", "habilita"}));
}

void QuoteLoaderTest::shouldLoadQuotesOnceWhenReplacingTheSalespeopleReportsAScroll()
{
    serveSalespeople({"0001", "0002"}, 0);
    serveQuotes({{"0001", 1}, {"0002", 2}});
    // Something bound to the set moves it while its rows are replaced.
    QObject mover;
    connect(m_salespeople.get(), &TClientDataSet::contentReset, &mover, [this] {
        if (m_salespeople->RecordCount() > 1)
            m_salespeople->MoveTo(1);
    });

    runLoad();

    QCOMPARE(m_dialogs->errors(), QStringList());
    QCOMPARE(m_server->calls("GetOrcamentos"), 1);
    QCOMPARE(quoteCodeOfCall(0), QStringLiteral("0002"));
    QCOMPARE(inContOrcamento, 2);
}

void QuoteLoaderTest::shouldReloadOnlyTheQuotesOncePerMoveInTheGrid_data()
{
    QTest::addColumn<QList<int>>("rows");  // current rows chosen one after the other

    QTest::newRow("to the next") << QList<int>{1};
    QTest::newRow("to the last and back") << QList<int>{2, 0};
    QTest::newRow("through all") << QList<int>{1, 2, 1, 0};
    QTest::newRow("onto the current one") << QList<int>{0};
}

void QuoteLoaderTest::shouldReloadOnlyTheQuotesOncePerMoveInTheGrid()
{
    QFETCH(QList<int>, rows);

    const QStringList codes{"0001", "0002", "0003"};
    const QHash<QString, int> quotes{{"0001", 2}, {"0002", 4}, {"0003", 0}};
    serveSalespeople(codes, 0);
    serveQuotes(quotes);
    runLoad();
    QCOMPARE(m_server->calls("GetOrcamentos"), 1);

    int expectedCalls = 1;
    int current = 0;
    for (int row : rows) {
        inContOrcamento = 99;  // marks made on the quotes shown so far
        moveTo(row);
        if (row == current) {
            QCOMPARE(m_server->calls("GetOrcamentos"), expectedCalls);
            QCOMPARE(inContOrcamento, 99);
            continue;
        }
        current = row;
        QCOMPARE(m_server->calls("GetOrcamentos"), ++expectedCalls);
        QCOMPARE(quoteCodeOfCall(expectedCalls - 1), codes[row]);
        QCOMPARE(m_quotes->RecordCount(), quotes[codes[row]]);
        QCOMPARE(inContOrcamento, quotes[codes[row]]);
        QCOMPARE(m_events.last(), QStringLiteral("habilita"));
    }
    QCOMPARE(m_server->calls("GetVendedores"), 1);
    QCOMPARE(m_dialogs->errors(), QStringList());
}

void QuoteLoaderTest::shouldShowThePendingDialogOncePerFilterRun_data()
{
    QTest::addColumn<QStringList>("steps");     // "filter", "fail" or the pending rows of a load
    QTest::addColumn<QList<int>>("shownWith");  // pending rows of each dialog shown

    QTest::newRow("pending at the filter's load") << QStringList{"filter", "2", "2"} << QList<int>{2};
    QTest::newRow("nothing pending at first, then at a refresh")
        << QStringList{"filter", "0", "3", "3"} << QList<int>{3};
    QTest::newRow("a failed load keeps the chance") << QStringList{"filter", "fail", "1"} << QList<int>{1};
    QTest::newRow("every filter run allows it once more")
        << QStringList{"filter", "2", "2", "filter", "4", "4"} << QList<int>{2, 4};
    QTest::newRow("nothing pending") << QStringList{"filter", "0", "0"} << QList<int>{};
}

void QuoteLoaderTest::shouldShowThePendingDialogOncePerFilterRun()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, shownWith);

    serveQuotes({{"0001", 1}});
    for (const QString &step : steps) {
        if (step == "filter") {
            boExibePendednte = true;
            continue;
        }
        if (step == "fail")
            m_server->answer("GetVendedores", Reply::error(503, "Banco de dados indisponível."));
        else
            serveSalespeople({"0001"}, step.toInt());
        const qsizetype shownBefore = m_shown.size();
        m_events.clear();
        runLoad();
        if (m_shown.size() > shownBefore) {
            QCOMPARE(m_events, (QStringList{"habilita", "pending", "tab", "habilita"}));
            QVERIFY(!boExibePendednte);
        }
    }

    QList<int> rows;
    for (const PendingShown &shown : std::as_const(m_shown)) {
        rows << shown.rows;
        QCOMPARE(shown.text, pendingText);
        QVERIFY(!shown.busy);
        QVERIFY(shown.setIsThePendingSet);
    }
    QCOMPARE(rows, shownWith);
}

void QuoteLoaderTest::shouldKeepTheScreenConsistentWhenALoadFails_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("failure");

    for (const char *method : {"GetVendedores", "GetOrcamentos"}) {
        for (const char *failure : {"server error", "database down", "text answer", "not json", "slow", "down"})
            QTest::addRow("%s: %s", method, failure) << method << failure;
    }
    QTest::newRow("GetVendedores: one packet only") << "GetVendedores"
                                                    << "one packet";
    QTest::newRow("GetVendedores: salesperson field missing") << "GetVendedores"
                                                              << "salespeople lack a field";
    QTest::newRow("GetVendedores: pending field missing") << "GetVendedores"
                                                          << "pending lack a field";
    QTest::newRow("GetOrcamentos: quote field missing") << "GetOrcamentos"
                                                        << "quotes lack a field";
}

void QuoteLoaderTest::shouldKeepTheScreenConsistentWhenALoadFails()
{
    QFETCH(QString, method);
    QFETCH(QString, failure);

    // An earlier load that went well, its warning already shown.
    serveSalespeople({"0001", "0002"}, 1);
    serveQuotes({{"0001", 2}, {"0002", 3}});
    runLoad();
    const packet::Packet salespeopleBefore = m_salespeople->data();
    const packet::Packet pendingBefore = m_pending->data();
    const packet::Packet quotesBefore = m_quotes->data();

    // A new filter run whose load goes wrong; its new lists differ from the old.
    boExibePendednte = true;
    inContOrcamento = 7;
    serveSalespeople({"0003"}, 2);
    serveQuotes({{"0003", 1}});
    const packet::Packet newSalespeople = packetOf(*m_salespeople, {{{Salespeople::CdVendedor.name, "0003"}}});
    const packet::Packet newPending = packetOf(*m_pending, {{{Pending::NrOrcaEvento.name, "9"}}});
    if (failure == "server error")
        m_server->answer(method, Reply::error(500, "Falha inesperada no servidor."));
    else if (failure == "database down")
        m_server->answer(method, Reply::error(503, "Banco de dados indisponível."));
    else if (failure == "text answer")
        m_server->answer(method, Reply::result("resposta em texto"));
    else if (failure == "not json")
        m_server->answer(method, Reply::raw("<html>proxy</html>"));
    else if (failure == "slow")
        m_server->answer(method, Reply{200, "{\"result\": []}", readTimeoutMs * 3});
    else if (failure == "one packet")
        m_server->answer(method, Reply::result(QJsonArray{json(newSalespeople)}));
    else if (failure == "salespeople lack a field")
        m_server->answer(method,
                         Reply::result(QJsonArray{json(withoutField(newSalespeople, Salespeople::VrComissao.name)),
                                                  json(newPending)}));
    else if (failure == "pending lack a field")
        m_server->answer(method, Reply::result(QJsonArray{json(newSalespeople),
                                                          json(withoutField(newPending, Pending::DsTituOrcEve.name))}));
    else if (failure == "quotes lack a field")
        m_server->answer(method, Reply::result(json(withoutField(packetOf(*m_quotes, {{}}), Quotes::IdCheck.name))));
    const int quoteCallsBefore = m_server->calls("GetOrcamentos");
    const int downPort = failure == "down" ? closedPort() : 0;
    if (failure == "down" && method == "GetVendedores") {
        m_connection->setConnected(false);
        m_connection->Port = downPort;
    }
    QObject goneAfterSalespeople;
    if (failure == "down" && method == "GetOrcamentos") {
        // The salespeople come, then the server goes away before the quotes.
        connect(m_salespeople.get(), &TClientDataSet::contentReset, &goneAfterSalespeople, [this, downPort] {
            m_connection->setConnected(false);
            m_connection->Port = downPort;
        });
    }
    m_events.clear();
    m_dialogs->clear();

    runLoad();

    QCOMPARE(m_dialogs->errors().size(), 1);
    QVERIFY(!m_dialogs->errors().first().trimmed().isEmpty());
    QVERIFY(!BusyIndicatorShown());
    QCOMPARE(inContOrcamento, 0);
    QVERIFY(boExibePendednte);
    QVERIFY(!m_events.contains("pending"));
    QCOMPARE(m_events.mid(m_events.size() - 2), (QStringList{"tab", "habilita"}));
    if (method == "GetVendedores") {
        QCOMPARE(m_salespeople->data(), salespeopleBefore);
        QCOMPARE(m_pending->data(), pendingBefore);
        QCOMPARE(m_quotes->data(), quotesBefore);
        QCOMPARE(m_server->calls("GetOrcamentos"), quoteCallsBefore);
    } else {
        QCOMPARE(m_salespeople->AsString(Salespeople::CdVendedor.name), QStringLiteral("0003"));
        QCOMPARE(m_pending->RecordCount(), 2);
        QVERIFY(m_quotes->Active());
        QVERIFY(m_quotes->IsEmpty());
    }

    // The screen stays usable: once the server answers again, so do the lists.
    QObject::disconnect(m_salespeople.get(), nullptr, &goneAfterSalespeople, nullptr);
    m_connection->setConnected(false);
    m_connection->Port = m_server->port();
    serveSalespeople({"0003"}, 2);
    serveQuotes({{"0003", 1}});
    m_dialogs->clear();
    runLoad();
    QCOMPARE(m_dialogs->errors(), QStringList());
    QCOMPARE(m_salespeople->AsString(Salespeople::CdVendedor.name), QStringLiteral("0003"));
    QCOMPARE(inContOrcamento, 1);
    QCOMPARE(m_shown.size(), 2);
}

void QuoteLoaderTest::shouldEmptyTheQuotesWhenTheQuotesOfANewSalespersonFail()
{
    serveSalespeople({"0001", "0002"}, 0);
    serveQuotes({{"0001", 2}, {"0002", 3}});
    runLoad();
    QCOMPARE(m_quotes->RecordCount(), 2);

    m_server->answer("GetOrcamentos", Reply::error(500, "Falha ao ler os orçamentos."));
    m_events.clear();
    moveTo(1);  // the grid runs the move as a guarded handler

    QCOMPARE(m_dialogs->errors(), QStringList{"Falha ao ler os orçamentos."});
    QCOMPARE(m_salespeople->RecNo(), 1);
    QVERIFY(m_quotes->IsEmpty());
    QCOMPARE(inContOrcamento, 0);
    QCOMPARE(m_events, QStringList{"habilita"});
    QVERIFY(!BusyIndicatorShown());
}

QTEST_MAIN(QuoteLoaderTest)
#include "quoteloadertest.moc"
