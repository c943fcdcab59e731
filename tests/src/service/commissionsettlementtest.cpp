#include "../../server/commissionfixture.h"
#include "../../server/testdatabase.h"
#include "../../server/testserver.h"

// Brings in the screen's CommissionClient from beside it: the server's
// folder has a header of the same name.
#include "commissionservice.h"
#include "commissionsettlement.h"
#include "daycount.h"
#include "domains.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "numbertext.h"
#include "recordsets.h"
#include "remotecontract.h"
#include "screencatalogue.h"
#include "screenharness.h"
#include "scripteddialogs.h"
#include "session.h"
#include "tclientdataset.h"
#include "tdbgrid.h"
#include "tfrmhistoricocomissao.h"
#include "tfrmmancomis.h"
#include "tmessages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

using namespace Cli_ORE09700;
using Status = contract::Domains::CommissionStatus;

namespace {

const QString generateQuestion = QStringLiteral("Deseja gerar contas para todos os orçamentos marcados?");
const QString generated = QStringLiteral("Comissão gerada com sucesso.");
const QString cancelQuestion = QStringLiteral("Deseja cancelar as contas dos orçamentos marcados?");
const QString cancelled = QStringLiteral("Cancelamento das comissões realizado com sucesso.");
const QString noSupplier = QStringLiteral("Não há fornecedor cadastrado para o vendedor. Operação bloqueada.");
const QString payablePaid = QStringLiteral("Conta a pagar não pode ser cancelada, a conta já foi baixada.");
const QString allZero =
    QStringLiteral("Nenhuma comissão foi gerada, pois o valor da comissão dos orçamentos é igual a zero.");

// Scripted dialogs that also note, for every dialog, how many reloads the
// server had answered by then, and may act while a question is open.
class RecordingDialogs : public ScriptedDialogs {
public:
    std::function<int()> reloadsSoFar;
    std::function<void(const QString &text)> whileShown;
    QList<int> reloadsAtDialog;

    int messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative = QString()) override
    {
        note(text);
        return ScriptedDialogs::messageDlg(text, type, buttons, informative);
    }
    void showError(const QString &text, const QString &informative = QString()) override
    {
        note(text);
        ScriptedDialogs::showError(text, informative);
    }

private:
    void note(const QString &text)
    {
        reloadsAtDialog.append(reloadsSoFar());
        if (whileShown)
            whileShown(text);
    }
};

}  // namespace

// Generation and cancellation on the real screen against the real commission
// server over an SQLite fixture (see CommissionFixture): branch 0001, May 2024
// by event date.
class CommissionSettlementTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldShowWhatTheServerDidAndReloadAsItRequires_data();
    void shouldShowWhatTheServerDidAndReloadAsItRequires();
    void shouldGenerateOnlyTheMarkedQuotes();
    void shouldShowTheNewPayableWithItsQuotesInTheHistory();
    void shouldExportTheListOfTheCurrentTabForASpreadsheet_data();
    void shouldExportTheListOfTheCurrentTabForASpreadsheet();
    void shouldWriteNothingWhereTheFileCannotBeWritten();
    void shouldWriteTheStatementOfTheSalespersonAsPdf();
    void shouldListGeneratedQuotesAsGeneratedAndCancelThemAgain();
    void shouldGenerateOnceWhenTheCommandComesAgain_data();
    void shouldGenerateOnceWhenTheCommandComesAgain();
    void shouldReportAServerGoneDuringGeneration();
    void shouldTakeTextsOfServiceKeysFromTheCatalogue_data();
    void shouldTakeTextsOfServiceKeysFromTheCatalogue();
    void shouldHaveATextForEveryRefusalTheServerMayAnswer();

private:
    void openScreen(const QString &status);
    void showQuotesOf(const QString &salesperson);
    void clickMark(int row);
    int calls(const QString &method) const;
    // Save dialogs answer the name they propose, in `dir`; `proposed` keeps it.
    void saveInto(const QTemporaryDir &dir, QString &proposed);
    qint64 commissions() const { return fixture().count(QStringLiteral("ORCACOMISSAO")); }
    CommissionFixture fixture() const { return CommissionFixture(m_connections->database()); }

    std::unique_ptr<TestDatabase> m_database;
    std::unique_ptr<commission::ConnectionProvider> m_connections;
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<TfrmManComis> m_screen;
};

void CommissionSettlementTest::initTestCase()
{
    m_database = std::make_unique<TestDatabase>(TestDatabase::Backend::Sqlite, QStringLiteral("settlement_test"));
}

void CommissionSettlementTest::init()
{
    m_database->reset();
    m_connections = std::make_unique<commission::ConnectionProvider>(m_database->where());
    fixture().write();
    m_server = std::make_unique<TestServer>(m_database->where());
    QVERIFY(m_server->port() > 0);

    SessionValues session;
    session.branchCode = QStringLiteral("0001");
    session.branchFixed = true;
    session.serverPort = m_server->port();
    // The test server's operator, signed in with every right.
    session.operatorCode = TestServer::operatorCode;
    session.sessionToken = QString::fromLatin1(TestServer::token);
    session.rights = ScreenHarness::allRights();
    Session::set(session);

    m_dialogs = std::make_unique<RecordingDialogs>();
    m_dialogs->reloadsSoFar = [this] { return calls(QStringLiteral("GetVendedores")); };
}

void CommissionSettlementTest::cleanup()
{
    m_screen.reset();
    m_dialogs.reset();
    m_server.reset();
    m_connections.reset();
    Filtro = TFiltro();
    boFiltro = false;
    boPrimVez = false;
    inContOrcamento = 0;
}

// The screen after a confirmed filter for the status: salespeople listed and
// the first one's quotes loaded.
void CommissionSettlementTest::openScreen(const QString &status)
{
    m_screen = ScreenHarness::showAlone();
    Filtro.stCdFilial = QStringLiteral("0001");
    Filtro.dtDePeriodo = packet::toDayCount(QDate(2024, 5, 1));
    Filtro.dtAtePeriodo = packet::toDayCount(QDate(2024, 5, 31));
    Filtro.Comissao.stGerada = status;
    m_screen->cdsParamOrcaEve->loadFromPacket(m_screen->service().GetParamOrcaEve());
    m_screen->sbtVerificarClick(m_screen->sbtVerificar);
    ScreenHarness::waitIdle(*m_screen);
}

// Moves to the salesperson and onto the quote grid, where the quotes come
// all marked; the user unmarks and marks the first one again, as the
// commands are offered only once marking ran on the quote grid.
void CommissionSettlementTest::showQuotesOf(const QString &salesperson)
{
    TClientDataSet &salespeople = *m_screen->cdsVendedores;
    for (salespeople.First(); !salespeople.Eof(); salespeople.Next()) {
        if (salespeople.AsString(contract::Vendedores::NmFanVen.name) == salesperson)
            break;
    }
    QVERIFY2(!salespeople.Eof(), qPrintable(salesperson));
    ScreenHarness::waitIdle(*m_screen);
    m_screen->pgcPadrao->setCurrentWidget(m_screen->tshOrcamento);
    m_screen->dbgOrcamento->setFocus();
    clickMark(0);
    clickMark(0);
    QCOMPARE(inContOrcamento, m_screen->cdsOrcamentos->RecordCount());
}

void CommissionSettlementTest::clickMark(int row)
{
    TDBGrid &grid = *m_screen->dbgOrcamento;
    const QModelIndex cell = grid.model()->index(row, IndiceCol(&grid, contract::Orcamentos::IdCheck.name));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
}

void CommissionSettlementTest::saveInto(const QTemporaryDir &dir, QString &proposed)
{
    // The path proposed is in an existing folder (the documents or the home folder).
    m_dialogs->onSaveFileName = [&dir, &proposed](const QString &suggested) {
        const QFileInfo path(suggested);
        proposed = path.isAbsolute() && path.dir().exists() ? path.fileName()
                                                            : QStringLiteral("not in a folder: ") + suggested;
        return dir.filePath(proposed);
    };
}

int CommissionSettlementTest::calls(const QString &method) const
{
    if (!m_server)
        return -1;
    return int(m_server->logLines().filter(QStringLiteral(" method=") + method + QLatin1Char(' ')).size());
}

void CommissionSettlementTest::shouldShowWhatTheServerDidAndReloadAsItRequires_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("salesperson");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("reloads");            // after the command
    QTest::addColumn<int>("reloadsBeforeLast");  // when the last dialog showed
    QTest::addColumn<int>("commissionsAdded");
    QTest::addColumn<QString>("reason");  // the cancellation's, when asked; none: abandoned

    const QString reason = QStringLiteral("Evento cancelado pelo cliente");
    QTest::newRow("generated, success before the reload")
        << QString(Status::notGenerated) << "Ana Souza" << int(mrYes) << QStringList{generateQuestion, generated} << 1
        << 0 << 2 << QString();
    QTest::newRow("cancelled, success after the reload")
        << QString(Status::generated) << "Ana Souza" << int(mrYes) << QStringList{cancelQuestion, cancelled} << 1 << 1
        << -1 << reason;
    QTest::newRow("salesperson without supplier, no reload")
        << QString(Status::notGenerated) << "Carla Dias" << int(mrYes) << QStringList{generateQuestion, noSupplier} << 0
        << 0 << 0 << QString();
    QTest::newRow("paid payable, no reload") << QString(Status::generated) << "Fábio Nunes" << int(mrYes)
                                             << QStringList{cancelQuestion, payablePaid} << 0 << 0 << 0 << reason;
    QTest::newRow("refused, then reloaded") << QString(Status::notGenerated) << "Elisa Rocha" << int(mrYes)
                                            << QStringList{generateQuestion, allZero} << 1 << 0 << 0 << QString();
    QTest::newRow("generation declined, reloaded") << QString(Status::notGenerated) << "Ana Souza" << int(mrNo)
                                                   << QStringList{generateQuestion} << 1 << 0 << 0 << QString();
    QTest::newRow("cancellation declined, reloaded") << QString(Status::generated) << "Ana Souza" << int(mrNo)
                                                     << QStringList{cancelQuestion} << 1 << 0 << 0 << reason;
    QTest::newRow("cancellation without a reason, reloaded") << QString(Status::generated) << "Ana Souza" << int(mrYes)
                                                             << QStringList{cancelQuestion} << 1 << 0 << 0 << QString();
}

void CommissionSettlementTest::shouldShowWhatTheServerDidAndReloadAsItRequires()
{
    QFETCH(QString, status);
    QFETCH(QString, salesperson);
    QFETCH(int, answer);
    QFETCH(QStringList, shown);
    QFETCH(int, reloads);
    QFETCH(int, reloadsBeforeLast);
    QFETCH(int, commissionsAdded);
    QFETCH(QString, reason);
    openScreen(status);
    showQuotesOf(salesperson);
    const bool generating = status == Status::notGenerated;
    QToolButton *command = generating ? m_screen->sbtConfirmar : m_screen->sbtCancelar;
    QVERIFY(command->isEnabled());
    const int reloadsBefore = calls(QStringLiteral("GetVendedores"));
    const qint64 commissionsBefore = commissions();
    m_dialogs->answers.enqueue(answer);
    if (!reason.isEmpty())
        m_dialogs->reasons.enqueue(reason);

    QTest::mouseClick(command, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);

    QCOMPARE(m_dialogs->messages(), shown);
    QCOMPARE(calls(QStringLiteral("GetVendedores")), reloadsBefore + reloads);
    QCOMPARE(m_dialogs->reloadsAtDialog.last(), reloadsBefore + reloadsBeforeLast);
    QCOMPARE(commissions(), commissionsBefore + commissionsAdded);
    const bool sent = answer == mrYes && (generating || !reason.isEmpty());
    QCOMPARE(calls(generating ? QStringLiteral("SetComissao") : QStringLiteral("SetCancelaComissao")), sent ? 1 : 0);
    // The reason is asked for only once the cancellation is confirmed.
    const bool asked = std::any_of(m_dialogs->shown.cbegin(), m_dialogs->shown.cend(),
                                   [](const ScriptedDialogs::Shown &dialog) { return dialog.kind == "reason"; });
    QCOMPARE(asked, !generating && answer == mrYes);
    QVERIFY(!BusyIndicatorShown());
    if (reloads > 0) {
        // The lists are what the server now holds: the settled quotes left
        // the listing of their status.
        QCOMPARE(m_screen->pgcPadrao->currentWidget(), m_screen->tshPadrao);
        QCOMPARE(inContOrcamento, m_screen->cdsOrcamentos->RecordCount());
    }
}

void CommissionSettlementTest::shouldGenerateOnlyTheMarkedQuotes()
{
    openScreen(Status::notGenerated);
    showQuotesOf(QStringLiteral("Ana Souza"));
    clickMark(1);  // the credit quote 0000000009 stays as it is

    QTest::mouseClick(m_screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);

    QCOMPARE(m_dialogs->messages(), QStringList({generateQuestion, generated}));
    // One payable for the operator, for the marked quote's 5 % of 1000.00.
    const QVariant payable = fixture().value(
        QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0001' AND CDOPERADOR = 'OP7'"));
    QCOMPARE(payable.toDouble(), 50.0);
    // The question's figure is the payable's, and the success names it.
    const qint64 number = fixture()
                              .value(QStringLiteral("SELECT NRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0001'"
                                                    " AND CDOPERADOR = 'OP7'"))
                              .toLongLong();
    QCOMPARE(m_dialogs->shown.first().informative, QStringLiteral("1 orçamento marcado · 50,00"));
    QCOMPARE(m_dialogs->shown.last().informative, QStringLiteral("Conta a pagar %1 · 1 orçamento · 50,00").arg(number));
    // Reloaded: Ana keeps only the quote she did not mark.
    QCOMPARE(m_screen->cdsVendedores->AsString(contract::Vendedores::NmFanVen.name), QStringLiteral("Ana Souza"));
    QCOMPARE(m_screen->cdsOrcamentos->RecordCount(), 1);
    QCOMPARE(m_screen->cdsOrcamentos->AsString(contract::Orcamentos::NrOrcaEvento.name), QStringLiteral("0000000009"));
}

// The history shows what was just settled, with its quotes, for the current
// salesperson or all of them, within the history's own period (the last
// 30 days at first).
void CommissionSettlementTest::shouldShowTheNewPayableWithItsQuotesInTheHistory()
{
    openScreen(Status::notGenerated);
    showQuotesOf(QStringLiteral("Ana Souza"));
    clickMark(1);
    QTest::mouseClick(m_screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);
    const qint64 payable = fixture()
                               .value(QStringLiteral("SELECT NRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0001'"
                                                     " AND CDOPERADOR = 'OP7'"))
                               .toLongLong();
    QVERIFY(payable > 0);
    m_screen->pgcPadrao->setCurrentWidget(m_screen->tshPadrao);
    QVERIFY(m_screen->mnuHistorico->isEnabled());

    // Acts once the dialog's modal run has begun and its first load is in.
    QStringList seen;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *history = qobject_cast<TfrmHistoricoComissao *>(QApplication::activeModalWidget());
        if (!history || !history->isVisible() || history->loading())
            return;
        poll.stop();
        const auto close = qScopeGuard([history] { history->btnFechar->click(); });
        QVERIFY(history->rbtHistoricoVendedor->isChecked());
        TClientDataSet &settlements = *history->cdsHistorico;
        seen << QStringLiteral("%1 %2 %3")
                    .arg(settlements.RecordCount())
                    .arg(settlements.AsString(contract::HistoricoComissao::DsOperacao.name))
                    .arg(qint64(settlements.AsFloat(contract::HistoricoComissao::NrContaPagar.name)) == payable);
        QTest::keyClick(history->dbgHistorico, Qt::Key_Return);
        seen << QStringLiteral("quotes %1 %2")
                    .arg(history->cdsHistoricoOrcamentos->RecordCount())
                    .arg(history->cdsHistoricoOrcamentos->AsString(contract::HistoricoOrcamentos::NrOrcaEvento.name));
        history->rbtHistoricoTodos->click();
        QTRY_VERIFY(!history->loading());
        seen << QStringLiteral("all %1").arg(settlements.RecordCount());
    });
    poll.start();
    m_screen->mnuHistorico->trigger();
    QCOMPARE(seen, QStringList({QStringLiteral("1 Geração 1"), QStringLiteral("quotes 1 0000000001"),
                                QStringLiteral("all 1")}));
    QCOMPARE(m_dialogs->errors(), QStringList());
}

// The list of the tab in view, as a spreadsheet reads it: titles, a
// semicolon between values, a decimal comma, dates as dd/mm/aaaa, UTF-8
// with a byte-order mark; the name proposed says what and when.
void CommissionSettlementTest::shouldExportTheListOfTheCurrentTabForASpreadsheet_data()
{
    QTest::addColumn<bool>("quotesTab");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("salespeople") << false << "comissao-0001-vendedores-2024-05-a-2024-05.csv"
                                 << QStringList{"Cód. Vendedor;Vendedor;Valor da Comissão", "0001;Ana Souza;35,00",
                                                "0002;Bruno Lima;10,00", "0003;Carla Dias;20,00",
                                                "0005;Elisa Rocha;0,00"};
    QTest::newRow("quotes of a salesperson")
        << true << "comissao-0001-vendedor-0001-orcamentos-2024-05-a-2024-05.csv"
        << QStringList{"Cód. Vendedor;Vendedor;Marcado;Nr. Orçamento;Seq.;Cliente;Tipo de Evento;Dt. Evento;"
                       "Dt. Fechamento;Vr. Orçamento;% Comissão;Vr. Comissão",
                       "0001;Ana Souza;S;0000000001;01;Buffet Alegria;Casamento;10/05/2024;20/04/2024;1000,00;5,00;"
                       "50,00",
                       "0001;Ana Souza;S;0000000009;01;Buffet Alegria;Casamento;28/05/2024;28/05/2024;-300,00;5,00;"
                       "-15,00"};
}

void CommissionSettlementTest::shouldExportTheListOfTheCurrentTabForASpreadsheet()
{
    QFETCH(bool, quotesTab);
    QFETCH(QString, suggested);
    QFETCH(QStringList, lines);
    openScreen(Status::notGenerated);
    if (quotesTab)
        showQuotesOf(QStringLiteral("Ana Souza"));
    QTemporaryDir dir;
    QString proposed;
    saveInto(dir, proposed);
    m_screen->mnuExportar->trigger();
    QCOMPARE(proposed, suggested);
    QFile file(dir.filePath(suggested));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), lines);
    QCOMPARE(m_dialogs->errors(), QStringList());
    QCOMPARE(m_screen->lblSituacao->text(), QStringLiteral("Lista gravada em ") + dir.filePath(suggested));
}

// A file that cannot be written is reported and nothing is written: not in
// a folder that is not there, not over a folder of that name.
void CommissionSettlementTest::shouldWriteNothingWhereTheFileCannotBeWritten()
{
    openScreen(Status::notGenerated);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("lista.csv"));
    QVERIFY(QDir().mkdir(folder));
    for (const QString &path : {dir.filePath(QStringLiteral("falta/lista.csv")), folder}) {
        m_dialogs->clear();
        m_dialogs->onSaveFileName = [&path](const QString &) { return path; };
        m_screen->mnuExportar->trigger();
        QCOMPARE(m_dialogs->errors().size(), 1);
        QVERIFY2(
            m_dialogs->errors().first().startsWith(QStringLiteral("Não foi possível gravar o arquivo %1: ").arg(path)),
            qPrintable(m_dialogs->errors().first()));
        QCOMPARE(m_screen->lblSituacao->text(), m_dialogs->errors().first());
    }
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("lista.csv")});
}

// The statement of settled commission, rendered back to text: the
// salesperson, each quote, the sum and the payable that settled them.
void CommissionSettlementTest::shouldWriteTheStatementOfTheSalespersonAsPdf()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) não está instalado");
    openScreen(Status::notGenerated);
    showQuotesOf(QStringLiteral("Ana Souza"));
    QTest::mouseClick(m_screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);
    const QString payable =
        fixture()
            .value(
                QStringLiteral("SELECT NRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0001' AND CDOPERADOR = 'OP7'"))
            .toString();
    QVERIFY(!payable.isEmpty());
    Filtro.Comissao.stGerada = Status::generated;
    m_screen->sbtVerificarClick(m_screen->sbtVerificar);
    ScreenHarness::waitIdle(*m_screen);
    showQuotesOf(QStringLiteral("Ana Souza"));

    QTemporaryDir dir;
    QString proposed;
    saveInto(dir, proposed);
    m_screen->mnuExtrato->trigger();
    ScreenHarness::waitIdle(*m_screen);
    QCOMPARE(proposed, QStringLiteral("extrato-comissao-0001-0001-2024-05-a-2024-05.pdf"));
    QCOMPARE(m_screen->lblSituacao->text(), QStringLiteral("Extrato gravado em ") + dir.filePath(proposed));
    QProcess render;
    render.start(pdftotext, {QStringLiteral("-layout"), dir.filePath(proposed), QStringLiteral("-")});
    QVERIFY(render.waitForFinished(30000));
    const QString text = QString::fromUtf8(render.readAllStandardOutput());
    for (const QString &expected :
         {QStringLiteral("Extrato de Comissão"), QStringLiteral("0001 - Ana Souza"), QStringLiteral("0000000001"),
          QStringLiteral("0000000009"), QStringLiteral("Operador: OP7"), NumberText::amount(115.0)})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
    // The payable with its amount, due date and whether it is paid.
    const QString due = QDate::currentDate()
                            .addDays(commission::CommissionService::paymentTermDays)
                            .toString(QStringLiteral("dd/MM/yyyy"));
    const QRegularExpression payableLine(
        QStringLiteral("\\n\\s*%1\\s+%2\\s+%3\\s+Não\\s").arg(payable, NumberText::amount(35.0), due));
    QVERIFY2(text.contains(payableLine), qPrintable(payableLine.pattern() + QStringLiteral(" not in:\n") + text));
    QCOMPARE(m_dialogs->errors(), QStringList());
}

void CommissionSettlementTest::shouldListGeneratedQuotesAsGeneratedAndCancelThemAgain()
{
    openScreen(Status::notGenerated);
    const qint64 commissionsBefore = commissions();
    showQuotesOf(QStringLiteral("Bruno Lima"));
    QTest::mouseClick(m_screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);
    QCOMPARE(commissions(), commissionsBefore + 1);
    const QString brunosPayable = QStringLiteral("SELECT VRCONTAPAGAR FROM CONTAPAGAR WHERE CDVENDEDOR = '0002'");
    QCOMPARE(fixture().value(brunosPayable).toDouble(), 10.0);

    // The filter run that follows a confirmed "Gerada" filter.
    Filtro.Comissao.stGerada = Status::generated;
    m_screen->sbtVerificarClick(m_screen->sbtVerificar);
    ScreenHarness::waitIdle(*m_screen);
    showQuotesOf(QStringLiteral("Bruno Lima"));
    QCOMPARE(m_screen->cdsOrcamentos->AsString(contract::Orcamentos::NrOrcaEvento.name), QStringLiteral("0000000005"));
    m_dialogs->reasons.enqueue(QStringLiteral("Comissão gerada por engano"));
    QTest::mouseClick(m_screen->sbtCancelar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);

    QCOMPARE(m_dialogs->messages(), QStringList({generateQuestion, generated, cancelQuestion, cancelled}));
    QCOMPARE(commissions(), commissionsBefore);
    QCOMPARE(fixture().value(brunosPayable).toDouble(), 0.0);
    // The history names who cancelled and why.
    const packet::Packet settlements =
        m_screen->service().GetHistoricoComissao(QStringLiteral("0001"), QStringLiteral("0002"), 0, 0).settlements;
    QVERIFY(!settlements.rows.isEmpty());
    const QVector<QVariant> &last = settlements.rows.last();
    QStringList seen;
    using H = contract::HistoricoComissao;
    for (const contract::WireField &field : {H::DsOperacao, H::CdOperador, H::DsMotivo})
        seen << last[settlements.fieldIndex(field.name)].toString();
    QCOMPARE(seen, QStringList({"Cancelamento", "OP7", "Comissão gerada por engano"}));
}

void CommissionSettlementTest::shouldGenerateOnceWhenTheCommandComesAgain_data()
{
    QTest::addColumn<bool>("whileAsking");
    QTest::newRow("double click on the button") << false;
    QTest::newRow("click while the question is open") << true;
}

void CommissionSettlementTest::shouldGenerateOnceWhenTheCommandComesAgain()
{
    QFETCH(bool, whileAsking);
    openScreen(Status::notGenerated);
    showQuotesOf(QStringLiteral("Ana Souza"));
    QToolButton *generate = m_screen->sbtConfirmar;
    if (whileAsking) {
        // The command itself, as the button (which ignores a click while it
        // is still reporting one) would not pass it on.
        m_dialogs->whileShown = [this, again = true](const QString &text) mutable {
            if (text == generateQuestion && std::exchange(again, false))
                m_screen->sbtConfirmarClick(m_screen->sbtConfirmar);
        };
    }
    const qint64 commissionsBefore = commissions();

    QTest::mouseClick(generate, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);
    QTest::mouseClick(generate, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);

    QCOMPARE(m_dialogs->messages(), QStringList({generateQuestion, generated}));
    QCOMPARE(calls(QStringLiteral("SetComissao")), 1);
    QCOMPARE(commissions(), commissionsBefore + 2);
    QVERIFY(!generate->isEnabled());
}

void CommissionSettlementTest::shouldReportAServerGoneDuringGeneration()
{
    openScreen(Status::notGenerated);
    showQuotesOf(QStringLiteral("Ana Souza"));
    m_dialogs->whileShown = [this](const QString &text) {
        if (text == generateQuestion)
            m_server.reset();
    };
    const qint64 commissionsBefore = commissions();

    QTest::mouseClick(m_screen->sbtConfirmar, Qt::LeftButton);
    ScreenHarness::waitIdle(*m_screen);

    QCOMPARE(m_dialogs->messages().size(), 2);
    QVERIFY2(m_dialogs->errors().value(0).startsWith(QStringLiteral("Não foi possível comunicar com o servidor")),
             qPrintable(m_dialogs->messages().join(QLatin1Char('\n'))));
    QCOMPARE(m_dialogs->shown.last().informative,
             QStringLiteral("Nada foi gravado: a operação não chegou ao servidor."));
    QVERIFY(!BusyIndicatorShown());
    QCOMPARE(commissions(), commissionsBefore);
    // Nothing was reloaded: the marks are still there to try again.
    QCOMPARE(m_screen->cdsOrcamentos->RecordCount(), 2);
    QCOMPARE(inContOrcamento, 2);
}

void CommissionSettlementTest::shouldTakeTextsOfServiceKeysFromTheCatalogue_data()
{
    QTest::addColumn<bool>("error");  // raised as an error, else answered as a refusal
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("shown");

    QTest::newRow("parameter key") << true << "N_PARAM_VEND_S_FORN" << noSupplier;
    QTest::newRow("detail without placeholder") << true << "N_PARAM_VEND_S_FORN|0003" << noSupplier;
    QTest::newRow("detail in the placeholder") << true << "N_PARAM_SERIE|0001"
                                               << "Série 0001 não encontrada.";
    QTest::newRow("placeholders beyond the detail") << true << "N_PARAM_ENTRE|1"
                                                    << "Entre 1 e  dias; 100% do valor.";
    QTest::newRow("percent sign kept") << true << "N_PARAM_PERC|x"
                                       << "Até 99,99%.";
    QTest::newRow("unknown parameter key") << true << "N_PARAM_NOVO"
                                           << "O servidor recusou a operação (N_PARAM_NOVO).";
    QTest::newRow("unknown key with detail") << true << "N_PARAM_NOVO|0001"
                                             << "O servidor recusou a operação (N_PARAM_NOVO: 0001).";
    QTest::newRow("key without text") << true << "N_PARAM_VAZIO"
                                      << "O servidor recusou a operação (N_PARAM_VAZIO).";
    QTest::newRow("refusal") << false << "VALOR_COMISS_ZERO" << allZero;
    QTest::newRow("unknown refusal") << false << "CHAVE_NOVA"
                                     << "O servidor recusou a operação (CHAVE_NOVA).";
}

void CommissionSettlementTest::shouldTakeTextsOfServiceKeysFromTheCatalogue()
{
    QFETCH(bool, error);
    QFETCH(QString, answer);
    QFETCH(QString, shown);
    TMessages catalogue;
    catalogue.setLines(manComisCatalogue()
                       + QStringList{QStringLiteral("N_PARAM_SERIE|Série %s não encontrada."),
                                     QStringLiteral("N_PARAM_ENTRE|Entre %s e %s dias; 100%% do valor."),
                                     QStringLiteral("N_PARAM_PERC|Até 99,99%."), QStringLiteral("N_PARAM_VAZIO|  ")});
    const ServiceMessages messages(catalogue);

    QCOMPARE(ServiceMessages::namesParameterKey(answer), error);
    QCOMPARE(error ? messages.parameterError(answer) : messages.refusal(answer), shown);
}

void CommissionSettlementTest::shouldHaveATextForEveryRefusalTheServerMayAnswer()
{
    TMessages catalogue;
    catalogue.setLines(manComisCatalogue());
    for (const QString &key : contract::RemoteContract::refusalKeys())
        QVERIFY2(!catalogue.Msg(key).trimmed().isEmpty(), qPrintable(key));
}

QTEST_MAIN(CommissionSettlementTest)
#include "commissionsettlementtest.moc"
