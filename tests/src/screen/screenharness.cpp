#include "screenharness.h"

#include "daycount.h"
#include "hostmainwindow.h"
#include "hostoperations.h"
#include "moduleentry.h"
#include "modulestate.h"
#include "packetcodec.h"
#include "postedevents.h"
#include "remotecontract.h"
#include "screendatasets.h"
#include "screenmodel.h"
#include "session.h"
#include "tclientdataset.h"
#include "tdateeditplus.h"
#include "tdtmdbgeral.h"
#include "tfrmfiltromanucomissao.h"
#include "tfrmmancomis.h"

#include <QApplication>
#include <QJsonArray>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <stdexcept>

namespace {

constexpr int pollMs = 5;
// Polls after which a dialog that did not close on its answer is cancelled.
constexpr int stuckPolls = 400;

using Declare = std::function<void(TClientDataSet &)>;

// A packet with the fields of a screen record set; values not given are
// empty texts and zero numbers.
QJsonObject packetOf(const Declare &declare, const QList<QVariantMap> &rows)
{
    TClientDataSet shape;
    declare(shape);
    packet::Packet content;
    for (const FieldDef &field : shape.fields())
        content.fields.append({field.name, field.kind, field.size});
    for (const QVariantMap &values : rows) {
        QVector<QVariant> row;
        for (const FieldDef &field : shape.fields()) {
            const bool number = field.kind == packet::FieldKind::Float || field.kind == packet::FieldKind::DateTime;
            row.append(values.value(field.name, number ? QVariant(0.0) : QVariant(QString())));
        }
        content.rows.append(row);
    }
    return packet::toJson(content);
}

void createBranchTable(const QString &file)
{
    const QString name = QStringLiteral("screenHarnessSetup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open())
            throw std::runtime_error("cannot create the branch table");
        QSqlQuery query(db);
        query.exec(QStringLiteral("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(30), "
                                  "CDEMPRESA VARCHAR(2), CDSERIE VARCHAR(5))"));
        query.exec(QStringLiteral("INSERT INTO FILIAL VALUES ('0001', 'MATRIZ', '01', '1'), "
                                  "('00AB', 'FILIAL AB', '01', '1')"));
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

FilterDialogAnswers::FilterDialogAnswers()
{
    m_timer.setInterval(pollMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

void FilterDialogAnswers::poll()
{
    auto *dialog = qobject_cast<TfrmFiltroManuComissao *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
        // As a window manager does, the screen gets the activation back when
        // a dialog over it has closed.
        TfrmManComis *screen = Cli_ORE09700::frmManComis;
        if (!QApplication::activeWindow() && !QApplication::activeModalWidget() && screen && screen->isVisible())
            QApplication::setActiveWindow(screen->window());
        return;
    }
    if (dialog == m_answered) {
        if (++m_pollsOnAnswered > stuckPolls) {
            ++unexpected;
            dialog->sbtCancel->click();
        }
        return;
    }
    m_answered = dialog;
    m_pollsOnAnswered = 0;
    ++opened;
    if (answers.isEmpty()) {
        ++unexpected;
        dialog->sbtCancel->click();
        return;
    }
    const Answer answer = answers.dequeue();
    if (answer == Cancel) {
        dialog->sbtCancel->click();
        return;
    }
    dialog->depDePeriodo->SetDate(packet::toDayCount(QDate(2026, 1, 1)));
    dialog->depAtePeriodo->SetDate(packet::toDayCount(QDate(2026, 1, 31)));
    (answer == ConfirmGenerated ? dialog->rbtGerada : dialog->rbtNgerada)->click();
    dialog->sbtConfirma->click();
}

ScreenHarness::ScreenHarness(const QString &sessionBranch, bool branchFixed)
{
    const QString file = m_dir.filePath(QStringLiteral("shared.db"));
    createBranchTable(file);

    SessionValues session;
    session.branchCode = sessionBranch;
    session.branchName = QStringLiteral("FILIAL DA SESSAO");
    session.branchFixed = branchFixed;
    session.serverHost = QStringLiteral("127.0.0.1");
    session.serverPort = server.port();
    session.operatorCode = QStringLiteral("OPER");
    session.database = file;
    session.rights = allRights();
    Session::set(session);

    scriptDefaults(server);

    m_host = std::make_unique<HostMainWindow>();
    m_host->show();
    m_host->activateWindow();
    if (!QTest::qWaitForWindowActive(m_host.get()))
        throw std::runtime_error("the host window did not become active");
}

void ScreenHarness::scriptDefaults(ScriptedServer &server)
{
    using Reply = ScriptedServer::Reply;
    server.answer(QStringLiteral("GetParamOrcaEve"), Reply::result(parameters()));
    server.answer(QStringLiteral("GetVendedores"), Reply::result(QJsonArray{salespeople(2), emptyPending()}));
    server.answer(QStringLiteral("GetOrcamentos"), Reply::result(quotes(2)));
}

ScreenHarness::~ScreenHarness()
{
    using namespace Cli_ORE09700;
    delete frmManComis;
    frmManComis = nullptr;
    boIdCriado = false;
    boPrimVez = false;
    boFiltro = false;
    boExibePendednte = false;
    Filtro = TFiltro();
    stCdVend.clear();
    stCdEven.clear();
    inContOrcamento = 0;
    Cli_ORE09701::boIdCriado = false;
    Cli_ORE09701::frmFiltroManuComissao = nullptr;
    Cli_ORE09701::stVendedor.clear();
    Cli_ORE09701::stTipoEvento.clear();
    m_host.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dtmDBGeral().disconnect();
}

TfrmManComis *ScreenHarness::open()
{
    IniProc();
    settle();
    return screen();
}

TfrmManComis *ScreenHarness::screen() const
{
    return Cli_ORE09700::frmManComis;
}

void ScreenHarness::activateAgain()
{
    QMdiArea *area = m_host->childWindowArea();
    if (!m_otherScreen) {
        m_otherScreen = area->addSubWindow(new QWidget);
        m_otherScreen->show();
    }
    area->setActiveSubWindow(static_cast<QMdiSubWindow *>(m_otherScreen));
    settle();
    area->setActiveSubWindow(static_cast<QMdiSubWindow *>(screen()->childWindow()));
    settle();
}

void ScreenHarness::settle()
{
    // A filter dialog is answered from a timer, and the screen gets the
    // activation back from it when the dialog has closed: wait for both, then
    // for what their handlers posted, and once more for what that opened.
    // The calls of the screen complete later: wait until none is left.
    const auto answered = [] {
        TfrmManComis *screen = Cli_ORE09700::frmManComis;
        return !qobject_cast<TfrmFiltroManuComissao *>(QApplication::activeModalWidget())
               && (QApplication::activeWindow() || !screen || !screen->isVisible())
               && (!screen || !screen->model().busy());
    };
    for (int round = 0; round < 3; ++round) {
        if (!QTest::qWaitFor(answered))
            QTest::qFail("a filter dialog was left open or a call never completed", __FILE__, __LINE__);
        deliverPostedEvents();
    }
}

void ScreenHarness::waitIdle(TfrmManComis &screen)
{
    if (!QTest::qWaitFor([&screen] { return !screen.model().busy(); }))
        QTest::qFail("a call of the screen never completed", __FILE__, __LINE__);
    deliverPostedEvents();
}

std::unique_ptr<TfrmManComis> ScreenHarness::showAlone()
{
    // A session that grants nothing yet (a test that did not set one) gets
    // the operator who may do everything.
    if (Session::values().rights.isEmpty()) {
        SessionValues session = Session::values();
        session.rights = allRights();
        Session::set(session);
    }
    auto screen = std::make_unique<TfrmManComis>();
    if (!screen->create())
        throw std::runtime_error("the screen could not be created");
    Cli_ORE09700::boPrimVez = false;
    Cli_ORE09700::boFiltro = false;
    SetChildEnabled(screen->panManComis, false);
    screen->showScreen();
    QApplication::setActiveWindow(screen->window());
    if (!QTest::qWaitForWindowActive(screen->window()))
        throw std::runtime_error("the screen did not become active");
    return screen;
}

void ScreenHarness::takeDatabaseDown()
{
    SessionValues session = Session::values();
    session.database = m_dir.filePath(QStringLiteral("missing/folder/shared.db"));
    Session::set(session);
    dtmDBGeral().disconnect();
}

QVector<BranchRights> ScreenHarness::allRights()
{
    using contract::RemoteContract;
    return {{QStringLiteral("*"),
             {RemoteContract::rightToList, RemoteContract::rightToGenerate, RemoteContract::rightToCancel}}};
}

QJsonObject ScreenHarness::salespeople(int count)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({{QStringLiteral("CDVENDEDOR"), QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'))},
                     {QStringLiteral("NMFANVEN"), QStringLiteral("VENDEDOR %1").arg(i)},
                     {QStringLiteral("IDGERACOMISVEND"), QStringLiteral("S")},
                     {QStringLiteral("VRCOMISSAO"), 100.0 * i}});
    return packetOf(screendatasets::declareVendedores, rows);
}

QJsonObject ScreenHarness::quotes(int count)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({{QStringLiteral("IDCHECK"), QStringLiteral("S")},
                     {QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                     {QStringLiteral("NRORCAEVENTO"), QString::number(1000 + i)},
                     {QStringLiteral("NRSEQORCAEVE"), QStringLiteral("1")},
                     {QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")},
                     {QStringLiteral("NMFANTCLIE"), QStringLiteral("CLIENTE %1").arg(i)},
                     {QStringLiteral("VRTOTALOREV"), 1000.0},
                     {QStringLiteral("VRPERCCOMIS"), 5.0},
                     {QStringLiteral("VRCOMISSAO"), 50.0}});
    return packetOf(screendatasets::declareOrcamentos, rows);
}

QJsonObject ScreenHarness::emptyPending()
{
    return packetOf(screendatasets::declareOrcaPendente, {});
}

QJsonObject ScreenHarness::parameters()
{
    return packetOf(screendatasets::declareParamOrcaEve,
                    {{{QStringLiteral("IDGERACOMISSAO"), QStringLiteral("MANUTENCAO")},
                      {QStringLiteral("IDDTBASECOMISSAO"), QStringLiteral("FECHAMENTO")},
                      {QStringLiteral("IDGERACOMISSAOVEND"), QStringLiteral("S")}}});
}
