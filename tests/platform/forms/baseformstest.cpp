// The base screen and the base filter dialog: their elements, activation,
// closing, the modal run and the deferred release.

#include "hostmainwindow.h"
#include "hostoperations.h"
#include "postedevents.h"
#include "scripteddialogs.h"
#include "silentabort.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tfrmfiltropadrao.h"
#include "tfrmpadraogrid.h"
#include "tmessages.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <stdexcept>

using packet::FieldKind;

namespace {

// A screen that records its lifecycle.
class LoggingScreen : public TfrmPadraoGrid {
public:
    QStringList log;
    bool failCreate = false;
    bool failClose = false;

    void FormCreate() override
    {
        TfrmPadraoGrid::FormCreate();
        log << QStringLiteral("create");
        if (failCreate)
            throw std::runtime_error("Criação falhou");
    }
    void FormActivate() override
    {
        TfrmPadraoGrid::FormActivate();
        log << QStringLiteral("activate");
    }
    void FormClose() override
    {
        TfrmPadraoGrid::FormClose();
        log << QStringLiteral("close");
        if (failClose)
            Abort();
    }
    int activations() const { return int(log.count(QStringLiteral("activate"))); }
};

// A filter dialog that confirms with result 1 and releases itself on close.
class LoggingFilter : public TfrmFiltroPadrao {
public:
    explicit LoggingFilter(QStringList &log) : m_log(log) {}

    void FormActivate() override { m_log << QStringLiteral("activate"); }
    void FormClose() override
    {
        TfrmFiltroPadrao::FormClose();
        m_log << QStringLiteral("close");
        Release();
    }
    void sbtConfirmaClick() override { setModalResult(mrOk); }
    void sbtCancelClick() override
    {
        TfrmFiltroPadrao::sbtCancelClick();
        m_log << QStringLiteral("cancel click");
    }

private:
    QStringList &m_log;
};

packet::Packet salespeople(const QStringList &names)
{
    packet::Packet data;
    data.fields = {{QStringLiteral("NMFANVEN"), FieldKind::Text, 40}};
    for (const QString &name : names)
        data.rows.append({QVariant(name)});
    return data;
}

// Runs `action` once the dialog's modal run has made it the active window.
void whenActive(QDialog *dialog, const std::function<void()> &action)
{
    QTimer::singleShot(0, dialog, [dialog, action] {
        // Act even when the wait fails, so the run ends; the test then fails on its log.
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the dialog did not become active");
        action();
        // Events of the run, deferred deletions included, go on before it ends.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
}

}  // namespace

class BaseFormsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void shouldOfferBaseElementsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        const QStringList buttons{"sbtConfirmar", "sbtCancelar", "sbtProcurar", "sbtVerificar",
                                  "sbtImprimir",  "sbtAjuda",    "sbtFechar",   "sbtIncluir",
                                  "sbtAlterar",   "sbtExcluir",  "sbtGravar"};
        for (const QString &button : buttons)
            QTest::newRow(qPrintable(button)) << button << "QToolButton";
        QTest::newRow("lblCodTela") << "lblCodTela"
                                    << "QLabel";
        QTest::newRow("panMenu") << "panMenu"
                                 << "QFrame";
        QTest::newRow("pgcPadrao") << "pgcPadrao"
                                   << "QTabWidget";
        QTest::newRow("tshPadrao") << "tshPadrao"
                                   << "QWidget";
        QTest::newRow("dbgPadrao") << "dbgPadrao"
                                   << "TDBGrid";
        QTest::newRow("panNavigator") << "panNavigator"
                                      << "QFrame";
        QTest::newRow("dbtNome") << "dbtNome"
                                 << "QLabel";
        QTest::newRow("mnuMenu") << "mnuMenu"
                                 << "QMenuBar";
        QTest::newRow("dtsPadrao") << "dtsPadrao"
                                   << "TDataSource";
        QTest::newRow("msgPadrao") << "msgPadrao"
                                   << "TMessages";
    }

    void shouldOfferBaseElementsByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        TfrmPadraoGrid screen;
        const QObject *element = screen.findChild<QObject *>(name);
        QVERIFY2(element, qPrintable(name));
        QCOMPARE(QString::fromLatin1(element->metaObject()->className()), className);
        if (const auto *button = qobject_cast<const QToolButton *>(element))
            QVERIFY(!button->toolTip().isEmpty());
    }

    void shouldClickButtonFromItsMenuEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("button");
        QTest::newRow("confirm") << "mnuConfirmar"
                                 << "sbtConfirmar";
        QTest::newRow("cancel") << "mnuCancelar"
                                << "sbtCancelar";
        QTest::newRow("search") << "mnuProcurar"
                                << "sbtProcurar";
        QTest::newRow("refresh") << "mnuVerificar"
                                 << "sbtVerificar";
        QTest::newRow("insert") << "mnuIncluir"
                                << "sbtIncluir";
        QTest::newRow("edit") << "mnuAlterar"
                              << "sbtAlterar";
        QTest::newRow("delete") << "mnuExcluir"
                                << "sbtExcluir";
        QTest::newRow("save") << "mnuGravar"
                              << "sbtGravar";
        QTest::newRow("listing") << "mnuListagem"
                                 << "sbtImprimir";
    }

    void shouldClickButtonFromItsMenuEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, button);
        TfrmPadraoGrid screen;
        auto *action = screen.findChild<QAction *>(entry);
        auto *toolButton = screen.findChild<QToolButton *>(button);
        QVERIFY(action && toolButton);
        int clicks = 0;
        connect(toolButton, &QToolButton::clicked, &screen, [&] { ++clicks; });
        action->trigger();
        QCOMPARE(clicks, 1);
        toolButton->setEnabled(false);  // a disabled command does not run from its entry either
        action->trigger();
        QCOMPARE(clicks, 1);
    }

    void shouldShowScreenCodeAtTopRightOfToolbar()
    {
        TfrmPadraoGrid screen;
        screen.lblCodTela->setText(QStringLiteral("ORE09700"));
        screen.resize(969, 448);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QCOMPARE(screen.lblCodTela->parentWidget(), screen.panMenu);
        QVERIFY(screen.lblCodTela->geometry().right() > screen.panMenu->width() - 20);
        QVERIFY(screen.lblCodTela->geometry().left() > screen.sbtFechar->geometry().right());
        QVERIFY(screen.panMenu->geometry().bottom() < screen.pgcPadrao->geometry().top());
        QVERIFY(screen.pgcPadrao->geometry().bottom() < screen.panNavigator->geometry().top());
    }

    void shouldPutTopPanelsBetweenToolbarAndPages()
    {
        TfrmPadraoGrid screen;
        auto *first = new QFrame;
        auto *second = new QFrame;
        first->setFixedHeight(32);
        second->setFixedHeight(20);
        screen.addTopPanel(first);
        screen.addTopPanel(second);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(screen.panMenu->geometry().bottom() < first->geometry().top());
        QVERIFY(first->geometry().bottom() < second->geometry().top());
        QVERIFY(second->geometry().bottom() < screen.pgcPadrao->geometry().top());
    }

    void shouldNavigateRecordSetAndShowNameField_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("next") << "navigatorNext" << 0 << 1;
        QTest::newRow("last") << "navigatorLast" << 0 << 2;
        QTest::newRow("prior") << "navigatorPrior" << 2 << 1;
        QTest::newRow("first") << "navigatorFirst" << 2 << 0;
    }

    void shouldNavigateRecordSetAndShowNameField()
    {
        QFETCH(QString, button);
        QFETCH(int, startRow);
        QFETCH(int, rowAfter);
        const QStringList names{QStringLiteral("ANA"), QStringLiteral("BETO"), QStringLiteral("CAIO")};
        TfrmPadraoGrid screen;
        TClientDataSet set;
        set.addField({.name = QStringLiteral("NMFANVEN"), .kind = FieldKind::Text, .size = 40});
        screen.dtsPadrao->setDataSet(&set);
        screen.setNavigatorField(QStringLiteral("NMFANVEN"));
        set.loadFromPacket(salespeople(names));
        set.MoveTo(startRow);
        QCOMPARE(screen.dbtNome->text(), names[startRow]);
        screen.findChild<QToolButton *>(button)->click();
        QCOMPARE(set.RecNo(), rowAfter);
        QCOMPARE(screen.dbtNome->text(), names[rowAfter]);
        const bool atStart = rowAfter == 0;
        const bool atEnd = rowAfter == names.size() - 1;
        QCOMPARE(screen.findChild<QToolButton *>("navigatorFirst")->isEnabled(), !atStart);
        QCOMPARE(screen.findChild<QToolButton *>("navigatorPrior")->isEnabled(), !atStart);
        QCOMPARE(screen.findChild<QToolButton *>("navigatorNext")->isEnabled(), !atEnd);
        QCOMPARE(screen.findChild<QToolButton *>("navigatorLast")->isEnabled(), !atEnd);
        set.Close();
        QCOMPARE(screen.dbtNome->text(), QString());
        QVERIFY(!screen.findChild<QToolButton *>("navigatorNext")->isEnabled());
    }

    void shouldFollowSetStateWithRecordCommands_data()
    {
        QTest::addColumn<int>("rows");  // -1: closed
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QList<bool>>("enabled");  // insert, edit, delete, save
        QTest::newRow("closed") << -1 << false << QList<bool>{false, false, false, false};
        QTest::newRow("browsing") << 2 << false << QList<bool>{true, true, true, false};
        QTest::newRow("editing") << 2 << true << QList<bool>{false, false, false, true};
    }

    void shouldFollowSetStateWithRecordCommands()
    {
        QFETCH(int, rows);
        QFETCH(bool, editing);
        QFETCH(QList<bool>, enabled);
        TfrmPadraoGrid screen;
        TClientDataSet set;
        set.addField({.name = QStringLiteral("NMFANVEN"), .kind = FieldKind::Text, .size = 40});
        screen.dtsPadrao->setDataSet(&set);
        set.loadFromPacket(salespeople({QStringLiteral("ANA")}));
        if (rows < 0)
            set.Close();
        else
            set.loadFromPacket(salespeople(QStringList(rows, QStringLiteral("X"))));
        if (editing)
            set.Edit();
        const QList<bool> got{screen.sbtIncluir->isEnabled(), screen.sbtAlterar->isEnabled(),
                              screen.sbtExcluir->isEnabled(), screen.sbtGravar->isEnabled()};
        QCOMPARE(got, enabled);
        QCOMPARE(screen.mnuGravar->isEnabled(), enabled[3]);
    }

    void shouldReportFailedCreation()
    {
        ScriptedDialogs dialogs;
        LoggingScreen screen;
        screen.failCreate = true;
        QVERIFY(!screen.create());
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Criação falhou")});
    }

    void shouldActivateTopLevelScreenOnceUntilLeft()
    {
        LoggingScreen screen;
        QVERIFY(screen.create());
        screen.showScreen();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QCOMPARE(screen.log, (QStringList{"create", "activate"}));

        // One of its own modal dialogs comes and goes: no new activation.
        QDialog dialog(&screen);
        whenActive(&dialog, [&] { dialog.accept(); });
        dialog.exec();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        deliverPostedEvents();  // the window system's activation events arrive late
        QCOMPARE(screen.activations(), 1);

        // Another window becomes active, then the screen again: activation.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        deliverPostedEvents();
        QCOMPARE(screen.activations(), 2);
    }

    void shouldKeepInstanceWhenClosedAndActivateWhenShownAgain()
    {
        LoggingScreen screen;
        screen.showScreen();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        screen.sbtFechar->click();
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.log, (QStringList{"activate", "close"}));
        screen.showScreen();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QCOMPARE(screen.log, (QStringList{"activate", "close", "activate"}));
    }

    void shouldStayOpenWhenCloseHandlerRefuses()
    {
        LoggingScreen screen;
        screen.showScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        screen.failClose = true;
        screen.closeScreen();
        QVERIFY(screen.isVisible());
        screen.failClose = false;
        screen.closeScreen();
        QVERIFY(!screen.isVisible());
    }

    void shouldRememberActiveControlAfterFocusLeaves()
    {
        TfrmPadraoGrid screen;
        screen.showScreen();
        QApplication::setActiveWindow(&screen);
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        screen.dbgPadrao->setFocus();
        QCOMPARE(screen.ActiveControl(), screen.dbgPadrao);
        QWidget other;
        auto *edit = new QLineEdit(&other);
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        edit->setFocus();
        QCOMPARE(screen.ActiveControl(), screen.dbgPadrao);
    }

    void shouldOpenScreensAsChildWindowsOfHost()
    {
        ScriptedDialogs dialogs;
        HostMainWindow host;
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        auto *first = new LoggingScreen;
        auto *second = new LoggingScreen;
        first->setScreenGeometry(267, 165, 969, 448);
        first->showScreen();
        QMdiArea *area = host.childWindowArea();
        QCOMPARE(area->subWindowList().size(), 1);
        QCOMPARE(first->childWindow()->geometry(), QRect(267, 165, 969, 448));
        QCOMPARE(area->activeSubWindow(), first->childWindow());
        QCOMPARE(first->activations(), 1);

        second->showScreen();
        QCOMPARE(area->activeSubWindow(), second->childWindow());
        QCOMPARE(second->activations(), 1);
        first->showScreen();  // back to the first: a new activation
        QCOMPARE(first->activations(), 2);
        first->showScreen();  // already the active one, picked again: activated again
        QCOMPARE(first->activations(), 3);

        // Closed: hidden, kept, FormClose ran; shown again: same window, activated.
        QMdiSubWindow *child = qobject_cast<QMdiSubWindow *>(first->childWindow());
        child->close();
        QVERIFY(!child->isVisible());
        QCOMPARE(first->log.last(), QStringLiteral("close"));
        first->showScreen();
        QCOMPARE(first->childWindow(), child);
        QVERIFY(child->isVisible() && first->isVisible());
        QCOMPARE(area->activeSubWindow(), child);
        QCOMPARE(first->activations(), 4);

        // Minimized: restored and brought to the front.
        child->showMinimized();
        second->showScreen();
        first->showScreen();
        QVERIFY(!child->isMinimized());
        QCOMPARE(area->activeSubWindow(), child);
        QCOMPARE(area->subWindowList().size(), 2);
    }

    void shouldEndModalRunWithResultAndReleaseLater_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("confirm") << "confirm" << int(mrOk) << QStringList{"activate", "close"};
        QTest::newRow("cancel button") << "cancel" << int(mrCancel) << QStringList{"activate", "cancel click", "close"};
        QTest::newRow("close box") << "close box" << int(mrCancel) << QStringList{"activate", "close"};
        QTest::newRow("escape") << "escape" << int(mrCancel) << QStringList{"activate", "close"};
    }

    void shouldEndModalRunWithResultAndReleaseLater()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(QStringList, log);
        QStringList events;
        QPointer<LoggingFilter> dialog = new LoggingFilter(events);
        QVERIFY(dialog->create());
        whenActive(dialog, [&] {
            if (how == QLatin1String("confirm"))
                dialog->sbtConfirma->click();
            else if (how == QLatin1String("cancel"))
                dialog->sbtCancel->click();
            else if (how == QLatin1String("close box"))
                dialog->close();
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        const int returned = dialog->ShowModal();
        events << QStringLiteral("returned");
        QCOMPARE(returned, result);
        QCOMPARE(events, log << QStringLiteral("returned"));
        // Released in FormClose, yet still there and readable.
        QVERIFY(dialog);
        QCOMPARE(dialog->ModalResult(), result);
        QVERIFY(!dialog->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialog);
    }

    void shouldNotActivateDialogAgainAfterItsOwnMessageBox()
    {
        QStringList events;
        QPointer<LoggingFilter> dialog = new LoggingFilter(events);
        whenActive(dialog, [&] {
            QDialog box(dialog);  // stands for a message box shown by a handler
            whenActive(&box, [&] { box.accept(); });
            box.exec();
            QApplication::setActiveWindow(dialog);  // what the window system does when the box closes
            whenActive(dialog, [&] { dialog->sbtConfirma->click(); });
        });
        QCOMPARE(dialog->ShowModal(), int(mrOk));
        QCOMPARE(events, (QStringList{"activate", "close"}));
    }

    void shouldActivateDialogOnEveryModalRun()
    {
        QStringList events;
        TfrmFiltroPadrao dialog;
        for (int run = 0; run < 2; ++run) {
            whenActive(&dialog, [&] { dialog.close(); });
            QCOMPARE(dialog.ShowModal(), int(mrCancel));
        }
        // A second run starts from result 0 again and ends with the new result.
        whenActive(&dialog, [&] {
            QCOMPARE(dialog.ModalResult(), int(mrNone));
            dialog.setModalResult(mrOk);
        });
        QCOMPARE(dialog.ShowModal(), int(mrOk));
    }

    void shouldOfferFilterFrameByName_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"lblCodTela", "grbFiltroPadrao", "panMenu", "sbtConfirma", "sbtCancel", "btfSaveOpc",
                                 "panBotao", "btfLoadOpc", "msgPadrao"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void shouldOfferFilterFrameByName()
    {
        QFETCH(QString, name);
        TfrmFiltroPadrao dialog;
        QVERIFY(dialog.findChild<QObject *>(name));
    }
};

QTEST_MAIN(BaseFormsTest)
#include "baseformstest.moc"
