#include "tfrmfiltromanucomissao.h"

#include "daycount.h"
#include "domains.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "paramorcaeve.h"
#include "scripteddialogs.h"
#include "session.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdateeditplus.h"
#include "tdtmdbgeral.h"
#include "tfrmmancomis.h"
#include "tmessages.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <QSqlError>

#include <functional>
#include <memory>
#include <optional>

using Dialog = TfrmFiltroManuComissao;
using Script = std::function<void(Dialog &)>;
using Cli_ORE09700::Filtro;

namespace {

const QString kParamFecha = QStringLiteral("Geração de Comissão parametrizada para o Fechamento do Orçamento.");
const QString kDtInicial = QStringLiteral("Data inicial do período deve ser informada.");
const QString kDtFinal = QStringLiteral("Data final do período deve ser informada.");
const QString kDtIniMaior = QStringLiteral("Data inicial deve ser menor ou igual a data final.");
const QString kPeriodo = QStringLiteral("Período deve ser informado.");
const QString kLVendedor = QStringLiteral("Vendedor deve ser informado.");
const QString kLTipoEvento = QStringLiteral("Tipo de evento deve ser informado.");
// The date edit's own report of a text that is not a date.
const QString kStartNotADate =
    QStringLiteral("Data inválida: 31/02/2024. Informe uma data existente, no formato dd/mm/aaaa.");
const QString kEndNotADate =
    QStringLiteral("Data inválida: 45/13/2024. Informe uma data existente, no formato dd/mm/aaaa.");

enum class Lookups { Filled, Empty, Missing };

double day(int year, int month, int dayOfMonth)
{
    return packet::toDayCount(QDate(year, month, dayOfMonth));
}

QString describe(const TFiltro &filtro)
{
    return QStringLiteral("de=%1 ate=%2 vendTodos=%3 vend=[%4] tipoTodos=%5 tipo=[%6] gerada=[%7] filial=[%8]")
        .arg(filtro.dtDePeriodo)
        .arg(filtro.dtAtePeriodo)
        .arg(int(filtro.Vendedor.boTodos))
        .arg(filtro.Vendedor.stLista)
        .arg(int(filtro.TipoEven.boTodos))
        .arg(filtro.TipoEven.stLista)
        .arg(filtro.Comissao.stGerada)
        .arg(filtro.stCdFilial);
}

// Types the text into the date edit as a user would ("" clears it).
void typeDate(TDateEditPlus *edit, const QString &text)
{
    edit->editor()->setFocus();
    edit->editor()->selectAll();
    edit->editor()->setText(text);
}

bool hasFocus(const QWidget *widget)
{
    const QWidget *focused = QApplication::focusWidget();
    return focused != nullptr && widget != nullptr && (focused == widget || widget->isAncestorOf(focused));
}

QStringList codesOf(TDataSource *source)
{
    QStringList codes;
    TClientDataSet *set = source->dataSet();
    for (int row = 0; row < set->RecordCount(); ++row)
        codes << set->valueAt(row, 0).toString();
    return codes;
}

void createDatabase(const QString &path, Lookups lookups)
{
    const QString connection = QStringLiteral("filter-test-setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QStringList statements;
        if (lookups == Lookups::Missing) {
            statements << QStringLiteral("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4))");
        } else {
            statements << QStringLiteral("CREATE TABLE VENDEDOR (CDVENDEDOR VARCHAR(4), NMFANVEN VARCHAR(50))")
                       << QStringLiteral("CREATE TABLE TIPOEVENTO (CDTIPOEVENTO VARCHAR(3), NMTIPOEVENTO VARCHAR(30))");
        }
        if (lookups == Lookups::Filled) {
            statements << QStringLiteral("INSERT INTO VENDEDOR VALUES ('0003', 'Carla'), ('0001', 'Ana'), "
                                         "('0002', 'Bruno')")
                       << QStringLiteral("INSERT INTO TIPOEVENTO VALUES ('CAS', 'Casamento'), "
                                         "('ANI', 'Aniversário')");
        }
        for (const QString &statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

void useDatabase(const QString &path)
{
    SessionValues values = Session::values();
    values.database = path;
    Session::set(values);
    dtmDBGeral().disconnect();
}

// One row of quote parameters with the given IDGERACOMISSAO.
void setParameter(TClientDataSet *parameters, const QString &value)
{
    packet::Packet packet;
    for (const FieldDef &field : parameters->fields())
        packet.fields.append({field.name, field.kind, field.size});
    const contract::WireField &place = contract::ParamOrcaEve::IdGeraComissao;
    if (packet.fieldIndex(place.name) < 0)
        packet.fields.append(place.spec());
    QVector<QVariant> row(packet.fields.size());
    row[packet.fieldIndex(place.name)] = value;
    packet.rows = {row};
    parameters->loadFromPacket(packet);
}

}  // namespace

class FilterDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_filled, m_empty, m_missing;
    TfrmManComis *m_screen = nullptr;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QList<std::pair<QString, QString>> m_picks;  // key field and title of each pick list shown
    QStringList m_incomingLists;                 // the list each pick list received

    // Opens the dialog as the screen does and runs the script on it once it is
    // active; a dialog the script left open is cancelled. Returns the outcome
    // read through the module's pointer right after the call.
    int runFilter(const Script &script)
    {
        QTimer::singleShot(0, this, [this, script] { drive(script, 0); });
        CriaFiltroManuComissao(m_screen);
        Dialog *dialog = Cli_ORE09701::frmFiltroManuComissao;
        return dialog != nullptr ? dialog->ModalResult() : -1;
    }

    void drive(const Script &script, int attempt)
    {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (attempt < 500)
                QTimer::singleShot(10, this, [this, script, attempt] { drive(script, attempt + 1); });
            return;
        }
        QApplication::setActiveWindow(dialog);
        if (QTest::qWaitForWindowActive(dialog))
            script(*dialog);
        else
            QTest::qFail("the filter dialog never became active", __FILE__, __LINE__);
        // A run that the script ended has its result already and closes once
        // the script returns to the event loop.
        if (dialog->ModalResult() == 0)
            dialog->sbtCancel->click();
    }

    // Answers every pick list with `answer` (nullopt: the user closes it).
    void answerPicks(const std::optional<QString> &answer)
    {
        m_dialogs->onPickList = [this, answer](TDataSource *, const QString &keyField, const QString &title,
                                               QString &list) {
            m_picks.append({keyField, title});
            m_incomingLists.append(list);
            if (!answer)
                return false;
            list = *answer;
            return true;
        };
    }

    static void flushReleasedDialogs() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_filled = m_dir.filePath(QStringLiteral("filled.db"));
        m_empty = m_dir.filePath(QStringLiteral("empty.db"));
        m_missing = m_dir.filePath(QStringLiteral("missing.db"));
        createDatabase(m_filled, Lookups::Filled);
        createDatabase(m_empty, Lookups::Empty);
        createDatabase(m_missing, Lookups::Missing);
        m_screen = new TfrmManComis();
        Cli_ORE09700::frmManComis = m_screen;
    }

    void cleanupTestCase()
    {
        Cli_ORE09700::frmManComis = nullptr;
        delete m_screen;
        dtmDBGeral().disconnect();
    }

    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_picks.clear();
        m_incomingLists.clear();
        useDatabase(m_filled);
        setParameter(m_screen->cdsParamOrcaEve, contract::Domains::GenerationPlace::maintenance);
        Filtro = TFiltro();
        Filtro.Vendedor.boTodos = true;
        Filtro.TipoEven.boTodos = true;
        Filtro.stCdFilial = QStringLiteral("0007");
        Cli_ORE09701::stVendedor.clear();
        Cli_ORE09701::stTipoEvento.clear();
    }

    void cleanup()
    {
        flushReleasedDialogs();
        m_dialogs.reset();
    }

    void shouldRefuseConfirmationWithItsMessageAndFocus_data()
    {
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("salespeopleByList");
        QTest::addColumn<QString>("salespeopleList");
        QTest::addColumn<bool>("eventTypesByList");
        QTest::addColumn<QString>("eventTypesList");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");  // "" when the focus must stay where it was

        const QString ok = contract::Domains::GenerationPlace::maintenance;
        const QString from = QStringLiteral("01/03/2024"), to = QStringLiteral("31/03/2024");
        QTest::newRow("commission generated on closing")
            << "FECHAMENTO" << from << to << false << "" << false << "" << kParamFecha << "";
        QTest::newRow("empty parameter before any date check") << ""
                                                               << ""
                                                               << "" << false << "" << false << "" << kParamFecha << "";
        QTest::newRow("lower-case parameter")
            << "manutencao" << from << to << false << "" << false << "" << kParamFecha << "";
        QTest::newRow("only the end date")
            << ok << "" << to << false << "" << false << "" << kDtInicial << "depDePeriodo";
        QTest::newRow("only the start date")
            << ok << from << "" << false << "" << false << "" << kDtFinal << "depAtePeriodo";
        QTest::newRow("no dates") << ok << ""
                                  << "" << false << "" << false << "" << kPeriodo << "depDePeriodo";
        QTest::newRow("end before start")
            << ok << "10/03/2024"
            << "09/03/2024" << false << "" << false << "" << kDtIniMaior << "depDePeriodo";
        QTest::newRow("start is not a date")
            << ok << "31/02/2024" << to << false << "" << false << "" << kStartNotADate << "depDePeriodo";
        QTest::newRow("end is not a date")
            << ok << from << "45/13/2024" << false << "" << false << "" << kEndNotADate << "depAtePeriodo";
        QTest::newRow("salespeople by list, none picked")
            << ok << from << to << true << "" << false << "" << kLVendedor << "rbtListaVendedor";
        QTest::newRow("salespeople by list, blank list")
            << ok << from << to << true << "   " << false << "" << kLVendedor << "rbtListaVendedor";
        QTest::newRow("event types by list, none picked")
            << ok << from << to << false << "" << true << "" << kLTipoEvento << "rbtListaTpEvento";
        QTest::newRow("both by list, none picked: salespeople first")
            << ok << from << to << true << "" << true << "" << kLVendedor << "rbtListaVendedor";
        QTest::newRow("both by list, only salespeople picked")
            << ok << from << to << true << "0001" << true << "" << kLTipoEvento << "rbtListaTpEvento";
        QTest::newRow("date error before list error")
            << ok << from << "" << true << "" << false << "" << kDtFinal << "depAtePeriodo";
    }

    void shouldRefuseConfirmationWithItsMessageAndFocus()
    {
        QFETCH(QString, parameter);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, salespeopleByList);
        QFETCH(QString, salespeopleList);
        QFETCH(bool, eventTypesByList);
        QFETCH(QString, eventTypesList);
        QFETCH(QString, message);
        QFETCH(QString, focus);

        setParameter(m_screen->cdsParamOrcaEve, parameter);
        Cli_ORE09701::stVendedor = salespeopleList;
        Cli_ORE09701::stTipoEvento = eventTypesList;
        const QString filtroBefore = describe(Filtro);

        const int outcome = runFilter([&](Dialog &dialog) {
            typeDate(dialog.depDePeriodo, start);
            typeDate(dialog.depAtePeriodo, end);
            if (salespeopleByList)
                dialog.rbtListaVendedor->click();
            if (eventTypesByList)
                dialog.rbtListaTpEvento->click();
            dialog.rbtGerada->click();
            dialog.rbtGerada->setFocus();
            QWidget *focusBefore = QApplication::focusWidget();
            m_dialogs->clear();

            dialog.sbtConfirma->click();

            QCOMPARE(m_dialogs->errors(), QStringList{message});
            QCOMPARE(dialog.ModalResult(), 0);
            QWidget *expectedFocus = focus.isEmpty() ? focusBefore : dialog.findChild<QWidget *>(focus);
            QVERIFY2(hasFocus(expectedFocus),
                     qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                            : QStringLiteral("nothing")));
            QCOMPARE(describe(Filtro), filtroBefore);

            // Refused again on a second try: the dialog can only be left by cancelling.
            m_dialogs->clear();
            dialog.sbtConfirma->click();
            QCOMPARE(m_dialogs->errors(), QStringList{message});
            QCOMPARE(dialog.ModalResult(), 0);
        });

        QCOMPARE(outcome, 2);
        QCOMPARE(describe(Filtro), filtroBefore);
        QCOMPARE(Cli_ORE09701::stVendedor, salespeopleList);
        QCOMPARE(Cli_ORE09701::stTipoEvento, eventTypesList);
    }

    void shouldWriteFiltroOnConfirmation_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("salespeopleByList");
        QTest::addColumn<QString>("salespeopleList");
        QTest::addColumn<bool>("eventTypesByList");
        QTest::addColumn<QString>("eventTypesList");
        QTest::addColumn<bool>("generated");
        QTest::addColumn<QString>("expected");

        TFiltro expected;
        expected.stCdFilial = QStringLiteral("0007");
        expected.dtDePeriodo = expected.dtAtePeriodo = day(2024, 3, 15);
        expected.Vendedor.boTodos = expected.TipoEven.boTodos = true;
        expected.Comissao.stGerada = QStringLiteral("N");
        QTest::newRow("equal dates, all, not generated")
            << "15/03/2024"
            << "15/03/2024" << false << "" << false << "" << false << describe(expected);

        expected.dtDePeriodo = day(2024, 1, 1);
        expected.dtAtePeriodo = day(2024, 12, 31);
        expected.Vendedor = {false, QStringLiteral("0001;0003")};
        expected.TipoEven = {false, QStringLiteral("CAS")};
        expected.Comissao.stGerada = QStringLiteral("S");
        QTest::newRow("picked lists, generated")
            << "01/01/2024"
            << "31/12/2024" << true << "0001;0003" << true << "CAS" << true << describe(expected);

        expected.Vendedor = {true, QStringLiteral("0002")};
        expected.TipoEven = {true, QStringLiteral("ANI;CAS")};
        expected.Comissao.stGerada = QStringLiteral("N");
        QTest::newRow("all, still copying the kept lists")
            << "01/01/2024"
            << "31/12/2024" << false << "0002" << false << "ANI;CAS" << false << describe(expected);
    }

    void shouldWriteFiltroOnConfirmation()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, salespeopleByList);
        QFETCH(QString, salespeopleList);
        QFETCH(bool, eventTypesByList);
        QFETCH(QString, eventTypesList);
        QFETCH(bool, generated);
        QFETCH(QString, expected);

        Cli_ORE09701::stVendedor = salespeopleList;
        Cli_ORE09701::stTipoEvento = eventTypesList;
        const int outcome = runFilter([&](Dialog &dialog) {
            typeDate(dialog.depDePeriodo, start);
            typeDate(dialog.depAtePeriodo, end);
            if (salespeopleByList)
                dialog.rbtListaVendedor->click();
            if (eventTypesByList)
                dialog.rbtListaTpEvento->click();
            if (generated)
                dialog.rbtGerada->click();
            dialog.sbtConfirma->click();
            QCOMPARE(m_dialogs->errors(), QStringList());
        });

        QCOMPARE(outcome, 1);
        QCOMPARE(describe(Filtro), expected);
    }

    void shouldCopyThePickedListWhenAllIsChosenAfterwards()
    {
        answerPicks(QStringLiteral("0002;0003"));
        const int outcome = runFilter([&](Dialog &dialog) {
            typeDate(dialog.depDePeriodo, QStringLiteral("01/03/2024"));
            typeDate(dialog.depAtePeriodo, QStringLiteral("31/03/2024"));
            dialog.rbtListaVendedor->click();
            QVERIFY(dialog.sbtVendedor->isEnabled());
            dialog.sbtVendedor->click();
            dialog.rbtTodosVendedor->click();
            QVERIFY(!dialog.sbtVendedor->isEnabled());
            dialog.sbtConfirma->click();
        });

        QCOMPARE(outcome, 1);
        QVERIFY(Filtro.Vendedor.boTodos);
        QCOMPARE(Filtro.Vendedor.stLista, QStringLiteral("0002;0003"));
    }

    void shouldShowThePickerOverItsTableWithTheKeptList_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("keyField");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("listBefore");
        QTest::addColumn<std::optional<QString>>("answer");  // nullopt: the user closes the picker
        QTest::addColumn<QString>("listAfter");

        const QStringList salespeople{"0001", "0002", "0003"}, eventTypes{"ANI", "CAS"};
        QTest::newRow("salespeople, confirmed")
            << "sbtVendedor"
            << "CDVENDEDOR"
            << "Vendedor" << salespeople << "0002" << std::optional<QString>("0001;0003") << "0001;0003";
        QTest::newRow("salespeople, closed")
            << "sbtVendedor"
            << "CDVENDEDOR"
            << "Vendedor" << salespeople << "0002" << std::optional<QString>() << "0002";
        QTest::newRow("event types, confirmed")
            << "sbtTpEvento"
            << "CDTIPOEVENTO"
            << "Tipo de Evento" << eventTypes << "CAS" << std::optional<QString>("ANI;CAS") << "ANI;CAS";
        QTest::newRow("event types, closed")
            << "sbtTpEvento"
            << "CDTIPOEVENTO"
            << "Tipo de Evento" << eventTypes << "CAS" << std::optional<QString>() << "CAS";
    }

    void shouldShowThePickerOverItsTableWithTheKeptList()
    {
        QFETCH(QString, button);
        QFETCH(QString, keyField);
        QFETCH(QString, title);
        QFETCH(QStringList, codes);
        QFETCH(QString, listBefore);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, listAfter);

        const bool salespeople = button == QLatin1String("sbtVendedor");
        QString &list = salespeople ? Cli_ORE09701::stVendedor : Cli_ORE09701::stTipoEvento;
        list = listBefore;
        QStringList codesShown;
        m_dialogs->onPickList = [&](TDataSource *source, const QString &key, const QString &caption, QString &chosen) {
            m_picks.append({key, caption});
            m_incomingLists.append(chosen);
            codesShown = codesOf(source);
            if (!answer)
                return false;
            chosen = *answer;
            return true;
        };

        runFilter([&](Dialog &dialog) {
            (salespeople ? dialog.rbtListaVendedor : dialog.rbtListaTpEvento)->click();
            dialog.findChild<QToolButton *>(button)->click();
        });

        QCOMPARE(m_picks, (QList<std::pair<QString, QString>>{{keyField, title}}));
        QCOMPARE(m_incomingLists, QStringList{listBefore});
        QCOMPARE(codesShown, codes);
        QCOMPARE(list, listAfter);
        QCOMPARE(m_dialogs->errors(), QStringList());
    }

    void shouldRunThePickerOnF9OnlyOnAListButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("title");  // "" when no picker may open

        QTest::newRow("salespeople list") << "rbtListaVendedor" << int(Qt::NoModifier) << "Vendedor";
        QTest::newRow("salespeople list with shift") << "rbtListaVendedor" << int(Qt::ShiftModifier) << "Vendedor";
        QTest::newRow("event-type list") << "rbtListaTpEvento" << int(Qt::NoModifier) << "Tipo de Evento";
        QTest::newRow("all salespeople") << "rbtTodosVendedor" << int(Qt::NoModifier) << "";
        QTest::newRow("all event types") << "rbtTodosTpEvento" << int(Qt::NoModifier) << "";
        QTest::newRow("start date") << "depDePeriodo" << int(Qt::NoModifier) << "";
        QTest::newRow("status") << "rbtNgerada" << int(Qt::NoModifier) << "";
    }

    void shouldRunThePickerOnF9OnlyOnAListButton()
    {
        QFETCH(QString, focus);
        QFETCH(int, modifiers);
        QFETCH(QString, title);

        answerPicks(std::nullopt);
        runFilter([&](Dialog &dialog) {
            // "Todos" stays checked: F9 does not ask whether the lookup button is enabled.
            QWidget *target = dialog.findChild<QWidget *>(focus);
            QVERIFY(target);
            target->setFocus();
            QVERIFY(hasFocus(target));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9, Qt::KeyboardModifiers(modifiers));
        });

        QStringList titles;
        for (const auto &pick : m_picks)
            titles << pick.second;
        QCOMPARE(titles, title.isEmpty() ? QStringList() : QStringList{title});
    }

    void shouldEndAPickerWithoutTouchingTheListsWhenItsTableFails_data()
    {
        QTest::addColumn<int>("lookups");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("pickerShown");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("errorShown");
        QTest::addColumn<QString>("focus");  // "" when not checked

        QTest::newRow("empty salesperson table")
            << int(Lookups::Empty) << "sbtVendedor" << false << "" << true << "rbtListaVendedor";
        QTest::newRow("empty event-type table")
            << int(Lookups::Empty) << "sbtTpEvento" << true << "Tipo de Evento" << false << "";
        QTest::newRow("salesperson table unreadable")
            << int(Lookups::Missing) << "sbtVendedor" << false << "" << true << "";
        QTest::newRow("event-type table unreadable")
            << int(Lookups::Missing) << "sbtTpEvento" << false << "" << true << "";
    }

    void shouldEndAPickerWithoutTouchingTheListsWhenItsTableFails()
    {
        QFETCH(int, lookups);
        QFETCH(QString, button);
        QFETCH(bool, pickerShown);
        QFETCH(QString, title);
        QFETCH(bool, errorShown);
        QFETCH(QString, focus);

        useDatabase(Lookups(lookups) == Lookups::Empty ? m_empty : m_missing);
        Cli_ORE09701::stVendedor = QStringLiteral("0001");
        Cli_ORE09701::stTipoEvento = QStringLiteral("CAS");
        answerPicks(std::nullopt);
        const QString filtroBefore = describe(Filtro);

        runFilter([&](Dialog &dialog) {
            dialog.rbtListaVendedor->click();
            dialog.rbtListaTpEvento->click();
            dialog.rbtGerada->setFocus();
            dialog.findChild<QToolButton *>(button)->click();

            const QStringList errors = m_dialogs->errors();
            QCOMPARE(errors.size(), errorShown ? 1 : 0);
            for (const QString &error : errors)
                QVERIFY2(!EmptyString(error), "an error box without text");
            if (!focus.isEmpty())
                QVERIFY(hasFocus(dialog.findChild<QWidget *>(focus)));
            QCOMPARE(dialog.ModalResult(), 0);
        });

        QStringList titles;
        for (const auto &pick : m_picks)
            titles << pick.second;
        QCOMPARE(titles, pickerShown ? QStringList{title} : QStringList());
        QCOMPARE(Cli_ORE09701::stVendedor, QStringLiteral("0001"));
        QCOMPARE(Cli_ORE09701::stTipoEvento, QStringLiteral("CAS"));
        QCOMPARE(describe(Filtro), filtroBefore);
    }

    void shouldKeepThePickOfACancelledRunForTheNextRun()
    {
        answerPicks(QStringLiteral("0002"));
        QCOMPARE(runFilter([&](Dialog &dialog) {
                     dialog.rbtListaVendedor->click();
                     dialog.sbtVendedor->click();
                     dialog.sbtCancel->click();
                 }),
                 2);
        QCOMPARE(Cli_ORE09701::stVendedor, QStringLiteral("0002"));
        QVERIFY(Filtro.Vendedor.stLista.isEmpty());
        flushReleasedDialogs();

        answerPicks(std::nullopt);
        const int outcome = runFilter([&](Dialog &dialog) {
            typeDate(dialog.depDePeriodo, QStringLiteral("01/03/2024"));
            typeDate(dialog.depAtePeriodo, QStringLiteral("31/03/2024"));
            dialog.rbtListaVendedor->click();
            dialog.sbtVendedor->click();  // shows the kept pick, then is closed
            dialog.sbtConfirma->click();
        });

        QCOMPARE(outcome, 1);
        QCOMPARE(m_incomingLists.last(), QStringLiteral("0002"));
        QVERIFY(!Filtro.Vendedor.boTodos);
        QCOMPARE(Filtro.Vendedor.stLista, QStringLiteral("0002"));
    }

    void shouldReportTheOutcomeAfterTheDialogReleasedItself_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("outcome");

        QTest::newRow("confirmed") << "confirm" << 1;
        QTest::newRow("cancel button") << "cancel" << 2;
        QTest::newRow("close box") << "close" << 2;
        QTest::newRow("escape") << "escape" << 2;
        QTest::newRow("enter") << "enter" << 1;
    }

    void shouldReportTheOutcomeAfterTheDialogReleasedItself()
    {
        QFETCH(QString, ending);
        QFETCH(int, outcome);

        TfrmManComis &screen = *m_screen;
        const QList<QToolButton *> disabledButtons{screen.sbtIncluir,   screen.sbtAlterar,  screen.sbtExcluir,
                                                   screen.sbtGravar,    screen.sbtProcurar, screen.sbtVerificar,
                                                   screen.sbtConfirmar, screen.sbtCancelar};
        const QList<QAction *> disabledEntries{screen.mnuIncluir,   screen.mnuAlterar,  screen.mnuExcluir,
                                               screen.mnuGravar,    screen.mnuProcurar, screen.mnuVerificar,
                                               screen.mnuConfirmar, screen.mnuCancelar};
        for (QToolButton *button : disabledButtons)
            button->setEnabled(true);
        for (QAction *entry : disabledEntries)
            entry->setEnabled(true);
        screen.sbtFiltrar->setEnabled(false);
        screen.mnuFiltrar->setEnabled(false);

        QPointer<Dialog> opened;
        const int result = runFilter([&](Dialog &dialog) {
            opened = &dialog;
            QVERIFY(Cli_ORE09701::boIdCriado);
            typeDate(dialog.depDePeriodo, QStringLiteral("01/03/2024"));
            typeDate(dialog.depAtePeriodo, QStringLiteral("31/03/2024"));
            if (ending == QLatin1String("confirm"))
                dialog.sbtConfirma->click();
            else if (ending == QLatin1String("cancel"))
                dialog.sbtCancel->click();
            else if (ending == QLatin1String("close"))
                dialog.close();
            else if (ending == QLatin1String("enter"))
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
            QCOMPARE(dialog.ModalResult(), outcome);
        });

        QCOMPARE(result, outcome);
        QVERIFY(!Cli_ORE09701::boIdCriado);
        QCOMPARE(ScreenCursor(), crDefault);
        QVERIFY(screen.sbtFiltrar->isEnabled());
        QVERIFY(screen.mnuFiltrar->isEnabled());
        for (QToolButton *button : disabledButtons)
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        for (QAction *entry : disabledEntries)
            QVERIFY2(!entry->isEnabled(), qPrintable(entry->objectName()));

        // Still readable right after the run, gone once the event loop got control back.
        QVERIFY(!opened.isNull());
        flushReleasedDialogs();
        QVERIFY(opened.isNull());
        QCOMPARE(Cli_ORE09701::frmFiltroManuComissao, nullptr);
    }

    void shouldOpenWithTheFocusInTheStartOfThePeriod()
    {
        runFilter([&](Dialog &dialog) {
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused == dialog.depDePeriodo || dialog.depDePeriodo->isAncestorOf(focused));
            // Typed at once, every digit lands; a blank confirms nothing.
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("01032024 "));
            QCOMPARE(dialog.depDePeriodo->GetDate(), day(2024, 3, 1));
            QCOMPARE(dialog.ModalResult(), 0);
        });
    }

    void shouldOpenWithDefaultsThenWithTheConfirmedChoices()
    {
        runFilter([&](Dialog &dialog) {
            QVERIFY(EmptyString(dialog.depDePeriodo->text()));
            QVERIFY(EmptyString(dialog.depAtePeriodo->text()));
            QVERIFY(dialog.rbtTodosVendedor->isChecked());
            QVERIFY(dialog.rbtTodosTpEvento->isChecked());
            QVERIFY(!dialog.sbtVendedor->isEnabled());
            QVERIFY(!dialog.sbtTpEvento->isEnabled());
            QVERIFY(dialog.rbtNgerada->isChecked());

            Cli_ORE09701::stVendedor = QStringLiteral("0001");
            typeDate(dialog.depDePeriodo, QStringLiteral("05/02/2024"));
            typeDate(dialog.depAtePeriodo, QStringLiteral("20/02/2024"));
            dialog.rbtListaVendedor->click();
            dialog.rbtGerada->click();
            dialog.sbtConfirma->click();
        });
        QCOMPARE(Filtro.Comissao.stGerada, QStringLiteral("S"));
        flushReleasedDialogs();

        runFilter([&](Dialog &dialog) {
            QCOMPARE(dialog.depDePeriodo->GetDate(), day(2024, 2, 5));
            QCOMPARE(dialog.depAtePeriodo->GetDate(), day(2024, 2, 20));
            QVERIFY(dialog.rbtListaVendedor->isChecked());
            QVERIFY(dialog.sbtVendedor->isEnabled());
            QVERIFY(dialog.rbtTodosTpEvento->isChecked());
            QVERIFY(!dialog.sbtTpEvento->isEnabled());
            // The status always starts at "Não gerada".
            QVERIFY(dialog.rbtNgerada->isChecked());
            QVERIFY(!dialog.rbtGerada->isChecked());
        });
    }

    void shouldKeepWhatWasTypedWhenComingBackFromAnotherWindow()
    {
        runFilter([&](Dialog &dialog) {
            typeDate(dialog.depDePeriodo, QStringLiteral("05/02/2024"));
            typeDate(dialog.depAtePeriodo, QStringLiteral("20/02/2024"));
            dialog.rbtListaVendedor->click();
            dialog.rbtListaTpEvento->click();
            dialog.rbtGerada->click();

            // A window of its own that the modal dialog does not block.
            QWidget other(&dialog, Qt::Window);
            other.setGeometry(10, 10, 100, 50);
            other.show();
            QApplication::setActiveWindow(&other);
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QVERIFY(!dialog.isActiveWindow());
            other.hide();
            QApplication::setActiveWindow(&dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));

            QCOMPARE(dialog.depDePeriodo->GetDate(), day(2024, 2, 5));
            QCOMPARE(dialog.depAtePeriodo->GetDate(), day(2024, 2, 20));
            QVERIFY(dialog.rbtListaVendedor->isChecked());
            QVERIFY(dialog.sbtVendedor->isEnabled());
            QVERIFY(dialog.rbtListaTpEvento->isChecked());
            QVERIFY(dialog.sbtTpEvento->isEnabled());
            QVERIFY(dialog.rbtGerada->isChecked());
        });
    }
};

QTEST_MAIN(FilterDialogTest)
#include "filterdialogtest.moc"
