// Enter and exit handlers along the focus chain, and the veto of an exit.

#include "focuschain.h"
#include "scripteddialogs.h"
#include "silentabort.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include <map>
#include <stdexcept>

namespace {

// A window with nested panels:
//   window
//     panel
//       subpanel
//         edit        deepEdit
//       panelEdit
//     outside
struct Form {
    QWidget window;
    QFrame *panel = new QFrame(&window);
    QFrame *subpanel = new QFrame(panel);
    QLineEdit *edit = new QLineEdit(subpanel);
    QLineEdit *deepEdit = new QLineEdit(subpanel);
    QLineEdit *panelEdit = new QLineEdit(panel);
    QLineEdit *outside = new QLineEdit(&window);
    QStringList log;
    QString vetoAt;   // the exit handler that refuses, by name
    QString errorAt;  // the exit handler that fails with an error, by name
    std::map<QString, QWidget *> byName;

    Form()
    {
        byName = {{QStringLiteral("panel"), panel},         {QStringLiteral("subpanel"), subpanel},
                  {QStringLiteral("edit"), edit},           {QStringLiteral("deepEdit"), deepEdit},
                  {QStringLiteral("panelEdit"), panelEdit}, {QStringLiteral("outside"), outside}};
        auto *subLayout = new QVBoxLayout(subpanel);
        subLayout->addWidget(edit);
        subLayout->addWidget(deepEdit);
        auto *panelLayout = new QVBoxLayout(panel);
        panelLayout->addWidget(subpanel);
        panelLayout->addWidget(panelEdit);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(panel);
        layout->addWidget(outside);
        for (const auto &[boundName, widget] : byName) {
            const QString name = boundName;  // a lambda captures variables, not bindings
            FocusChain::instance().setEnterHandler(widget, [this, name] { log << QStringLiteral("enter ") + name; });
            FocusChain::instance().setExitHandler(widget, [this, name] {
                log << QStringLiteral("exit ") + name;
                if (name == vetoAt)
                    throw SilentAbort();
                if (name == errorAt)
                    throw std::runtime_error("Saída recusada");
            });
        }
    }

    bool activate()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }

    QWidget *operator[](const QString &name) const { return byName.at(name); }
};

}  // namespace

class FocusChainTest : public QObject {
    Q_OBJECT

private slots:
    void shouldRunExitsInnermostFirstThenEntersOutermostFirst_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("handlers");
        QTest::newRow("inner edit to outside its panels")
            << "edit"
            << "outside" << QStringList{"exit edit", "exit subpanel", "exit panel", "enter outside"};
        QTest::newRow("outside into nested panels")
            << "outside"
            << "edit" << QStringList{"exit outside", "enter panel", "enter subpanel", "enter edit"};
        QTest::newRow("between edits of one subpanel") << "edit"
                                                       << "deepEdit" << QStringList{"exit edit", "enter deepEdit"};
        QTest::newRow("out of the subpanel, still in the panel")
            << "deepEdit"
            << "panelEdit" << QStringList{"exit deepEdit", "exit subpanel", "enter panelEdit"};
        QTest::newRow("into the subpanel from its panel")
            << "panelEdit"
            << "edit" << QStringList{"exit panelEdit", "enter subpanel", "enter edit"};
    }

    void shouldRunExitsInnermostFirstThenEntersOutermostFirst()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, handlers);
        Form form;
        QVERIFY(form.activate());
        form[from]->setFocus();
        form.log.clear();
        form[to]->setFocus();
        QCOMPARE(form.log, handlers);
        QCOMPARE(QApplication::focusWidget(), form[to]);
    }

    void shouldKeepFocusAndStopWhenExitRefuses_data()
    {
        QTest::addColumn<QString>("refusing");
        QTest::addColumn<bool>("withError");
        QTest::addColumn<QStringList>("handlers");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("edit refuses silently") << "edit" << false << QStringList{"exit edit"} << QStringList();
        QTest::newRow("subpanel refuses: panel exit does not run")
            << "subpanel" << false << QStringList{"exit edit", "exit subpanel"} << QStringList();
        QTest::newRow("panel refuses: nothing entered")
            << "panel" << false << QStringList{"exit edit", "exit subpanel", "exit panel"} << QStringList();
        QTest::newRow("edit fails with an error shown")
            << "edit" << true << QStringList{"exit edit"} << QStringList{"Saída recusada"};
    }

    void shouldKeepFocusAndStopWhenExitRefuses()
    {
        QFETCH(QString, refusing);
        QFETCH(bool, withError);
        QFETCH(QStringList, handlers);
        QFETCH(QStringList, errors);
        ScriptedDialogs dialogs;
        Form form;
        QVERIFY(form.activate());
        form.edit->setFocus();
        form.log.clear();
        (withError ? form.errorAt : form.vetoAt) = refusing;
        form.outside->setFocus();
        QCOMPARE(form.log, handlers);
        QCOMPARE(QApplication::focusWidget(), form.edit);
        QCOMPARE(dialogs.errors(), errors);
        QVERIFY(!FocusChain::instance().restoring());

        // The refused move leaves the chain where it was: the next move starts at the edit.
        form.vetoAt.clear();
        form.errorAt.clear();
        form.log.clear();
        form.deepEdit->setFocus();
        QCOMPARE(form.log, (QStringList{"exit edit", "enter deepEdit"}));
    }

    void shouldRunNoHandlerWhilePuttingFocusBack()
    {
        Form form;
        QVERIFY(form.activate());
        form.edit->setFocus();
        bool restoringSeen = false;
        FocusChain::instance().setEnterHandler(form.edit, [&] { form.log << QStringLiteral("enter edit"); });
        QObject::connect(qApp, &QApplication::focusChanged, &form.window, [&](QWidget *, QWidget *now) {
            if (now == form.edit)
                restoringSeen = FocusChain::instance().restoring();
        });
        form.vetoAt = QStringLiteral("edit");
        form.log.clear();
        form.outside->setFocus();
        QVERIFY(restoringSeen);
        QCOMPARE(form.log, QStringList{"exit edit"});
    }

    void shouldEnterOutermostFirstOnFirstFocusOfWindow()
    {
        Form form;
        form.edit->setFocus();  // before the window is active: no focus change yet
        QVERIFY(form.activate());
        QCOMPARE(form.log, (QStringList{"enter panel", "enter subpanel", "enter edit"}));
    }

    void shouldRunNothingWhenComingBackFromAnotherWindow()
    {
        Form form;
        QVERIFY(form.activate());
        form.edit->setFocus();
        form.log.clear();
        {
            QDialog dialog;
            auto *dialogEdit = new QLineEdit(&dialog);
            FocusChain::instance().setEnterHandler(dialogEdit, [&] { form.log << QStringLiteral("enter dialogEdit"); });
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            dialogEdit->setFocus();
            QCOMPARE(QApplication::focusWidget(), dialogEdit);
        }
        QVERIFY(form.activate());
        QCOMPARE(QApplication::focusWidget(), form.edit);
        // The dialog's own chain ran; leaving and coming back ran nothing.
        QCOMPARE(form.log, QStringList{"enter dialogEdit"});
    }

    void shouldRunHandlersOfMoveMadeWhileWindowInactive()
    {
        Form form;
        QVERIFY(form.activate());
        form.edit->setFocus();
        QDialog other;
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        form.log.clear();
        form.outside->setFocus();  // recorded for when the window is active again
        QVERIFY(form.log.isEmpty());
        other.hide();
        QVERIFY(form.activate());
        QCOMPARE(form.log, (QStringList{"exit edit", "exit subpanel", "exit panel", "enter outside"}));
    }

    void shouldFollowFocusMovedByHandler()
    {
        Form form;
        QVERIFY(form.activate());
        form.outside->setFocus();
        // Entering the panel edit sends the focus on to the deep edit.
        FocusChain::instance().setEnterHandler(form.panelEdit, [&] {
            form.log << QStringLiteral("enter panelEdit");
            form.deepEdit->setFocus();
        });
        form.log.clear();
        form.panelEdit->setFocus();
        QCOMPARE(form.log, (QStringList{"exit outside", "enter panel", "enter panelEdit", "exit panelEdit",
                                        "enter subpanel", "enter deepEdit"}));
        QCOMPARE(QApplication::focusWidget(), form.deepEdit);
    }

    void shouldForgetHandlersOfDestroyedWidgets()
    {
        Form form;
        QVERIFY(form.activate());
        form.edit->setFocus();
        form.log.clear();
        delete form.subpanel;  // the focus leaves the deleted edit for another widget
        form.outside->setFocus();
        QVERIFY(!form.log.contains(QStringLiteral("exit edit")));
        QCOMPARE(QApplication::focusWidget(), form.outside);
    }
};

QTEST_MAIN(FocusChainTest)
#include "focuschaintest.moc"
