#include "platformdialogs.h"
#include "lookupdialog.h"
#include "picklistdialog.h"
#include "scripteddialogs.h"
#include "searchdialog.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using packet::FieldKind;

namespace {

// Four salespeople, counting the moves of the set.
struct Salespeople {
    TClientDataSet set;
    TDataSource source;
    int scrolls = 0;

    explicit Salespeople(int rows = 4)
    {
        set.addField({.name = "CDVENDEDOR", .kind = FieldKind::Text, .size = 4, .displayLabel = "Código"});
        set.addField({.name = "NMFANVEN", .kind = FieldKind::Text, .size = 50, .displayLabel = "Nome"});
        packet::Packet p;
        p.fields = {{"CDVENDEDOR", FieldKind::Text, 4}, {"NMFANVEN", FieldKind::Text, 50}};
        const QStringList names{"Ana Souza", "Bruno Lima", "Cárla Souza", "Fábio Rocha"};
        for (int i = 0; i < rows; ++i)
            p.rows.append({QString("000%1").arg(i + 1), names[i]});
        set.loadFromPacket(p);
        source.setDataSet(&set);
        set.AfterScroll = [this](TClientDataSet &) { ++scrolls; };
    }
};

// Runs `act` on the modal dialog once its modal run has started.
template <typename Dialog, typename Act>
void whenShown(Act act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
    });
}

}  // namespace

class PlatformDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void shouldReadAndWriteListStrings_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("written");
        QTest::newRow("two codes") << "0001;0003" << QStringList{"0001", "0003"} << "0001;0003";
        QTest::newRow("empty") << "" << QStringList() << "";
        QTest::newRow("blanks and empty parts") << " 0001 ; ;0003;" << QStringList{"0001", "0003"} << "0001;0003";
        QTest::newRow("one code") << "0002" << QStringList{"0002"} << "0002";
    }
    void shouldReadAndWriteListStrings()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, codes);
        QFETCH(QString, written);
        QCOMPARE(PickListDialog::parseList(list), codes);
        QCOMPARE(PickListDialog::formatList(codes), written);
    }

    void shouldPreselectAndReturnTheChosenCodes_data()
    {
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("kept as it came") << "0001;0003"
                                         << ""
                                         << "0001;0003";
        QTest::newRow("set order, unknown codes dropped") << "0003;0009;0001"
                                                          << ""
                                                          << "0001;0003";
        QTest::newRow("todos") << "0002"
                               << "all"
                               << "0001;0002;0003;0004";
        QTest::newRow("nenhum") << "0002;0004"
                                << "none"
                                << "";
        QTest::newRow("space on the first row") << "0001;0003"
                                                << "space"
                                                << "0003";
        QTest::newRow("space, down, space") << ""
                                            << "space down space"
                                            << "0001;0002";
    }
    void shouldPreselectAndReturnTheChosenCodes()
    {
        QFETCH(QString, incoming);
        QFETCH(QString, action);
        QFETCH(QString, chosen);
        Salespeople people;
        PickListDialog dialog(&people.source, "CDVENDEDOR", "Vendedor", incoming);
        QCOMPARE(dialog.windowTitle(), QString("Vendedor"));
        for (const QString &step : action.split(' ', Qt::SkipEmptyParts)) {
            if (step == "all")
                dialog.findChild<QPushButton *>("all")->click();
            else if (step == "none")
                dialog.findChild<QPushButton *>("none")->click();
            else if (step == "space")
                QTest::keyClick(dialog.list(), Qt::Key_Space);
            else
                QTest::keyClick(dialog.list(), Qt::Key_Down);
        }
        QCOMPARE(dialog.chosenList(), chosen);
        QCOMPARE(people.set.RecNo(), 0);  // picking moves nothing
    }

    void shouldSearchThePickListKeepingTheMarks_data()
    {
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QStringList>("steps");  // text typed where the focus is, or a key or button
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("typed on the list, without the accent")
            << "0001" << QStringList{"fabio", "down", "space"} << 1 << "0001;0004";
        QTest::newRow("in capitals with an accent not stored")
            << "" << QStringList{"SÔUZA", "down", "down", "space"} << 2 << "0003";
        QTest::newRow("nenhum leaves the hidden marks")
            << "0001;0002;0003" << QStringList{"souza", "none"} << 2 << "0002";
        QTest::newRow("todos marks the rows shown") << "" << QStringList{"souza", "all"} << 2 << "0001;0003";
        QTest::newRow("every mark back with the search cleared")
            << "0002" << QStringList{"rocha", "down", "space", "clear"} << 4 << "0002;0004";
        QTest::newRow("nothing shown, nothing marked") << "0002" << QStringList{"zzz", "down", "space"} << 0 << "0002";
    }
    void shouldSearchThePickListKeepingTheMarks()
    {
        QFETCH(QString, incoming);
        QFETCH(QStringList, steps);
        QFETCH(int, shown);
        QFETCH(QString, chosen);
        Salespeople people;
        PickListDialog dialog(&people.source, "CDVENDEDOR", "Vendedor", incoming);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.list());
        for (const QString &step : steps) {
            if (step == "all" || step == "none")
                dialog.findChild<QPushButton *>(step)->click();
            else if (step == "clear")
                dialog.searchEdit()->clear();
            else if (step == "down")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            else if (step == "space")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            else
                QTest::keyClicks(QApplication::focusWidget(), step);
        }
        QCOMPARE(dialog.list()->model()->rowCount(), shown);
        QCOMPARE(dialog.chosenList(), chosen);
    }

    void shouldNotOfferAnEmptyList_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("own message") << "Vendedor|Não há vendedor cadastrado."
                                     << "Não há vendedor cadastrado.";
        QTest::newRow("empty message") << "Tipo de Evento|"
                                       << "Não há registros para selecionar.";
        QTest::newRow("no message") << "Tipo de Evento"
                                    << "Não há registros para selecionar.";
    }
    void shouldNotOfferAnEmptyList()
    {
        QFETCH(QString, title);
        QFETCH(QString, message);
        ScriptedDialogs dialogs;
        Salespeople people(0);
        QString list = "0001";
        QVERIFY(!runPickListDialog(&people.source, "CDVENDEDOR", title, list));
        QCOMPARE(dialogs.errors(), QStringList{message});
        QCOMPARE(list, QString("0001"));
    }

    void shouldConfirmOrCancelThePickList_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("list");
        QTest::newRow("enter") << int(Qt::Key_Return) << true << "0002;0004";
        QTest::newRow("escape") << int(Qt::Key_Escape) << false << "0001;0002;0004";
    }
    void shouldConfirmOrCancelThePickList()
    {
        QFETCH(int, key);
        QFETCH(bool, confirmed);
        QFETCH(QString, list);
        Salespeople people;
        QString chosen = "0001;0002;0004";
        QString caption;
        whenShown<PickListDialog>([&, key](PickListDialog *dialog) {
            caption = dialog->windowTitle();
            QTest::keyClick(dialog->list(), Qt::Key_Space);  // unchecks 0001
            QTest::keyClick(dialog->list(), Qt::Key(key));
        });
        QCOMPARE(runPickListDialog(&people.source, "CDVENDEDOR", "Vendedor|Não há vendedor.", chosen), confirmed);
        QCOMPARE(caption, QString("Vendedor"));
        QCOMPARE(chosen, list);
    }

    void shouldPickFromTheLookupList_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("downs");
        QTest::addColumn<int>("chosen");  // -1: nothing can be chosen
        QTest::newRow("starts on the current row") << 2 << "" << 0 << 2;
        QTest::newRow("moves down from there") << 1 << "" << 1 << 2;
        QTest::newRow("filter keeps the row it holds") << 2 << "souza" << 0 << 2;
        QTest::newRow("filter falls on the first match") << 1 << "souza" << 0 << 0;
        QTest::newRow("down through the matches") << 1 << "SOUZA" << 1 << 2;
        QTest::newRow("filter in another column") << 0 << "0004" << 0 << 3;
        QTest::newRow("no match") << 0 << "zzz" << 0 << -1;
        QTest::newRow("without the accent") << 0 << "fabio" << 0 << 3;
        QTest::newRow("in capitals, accent not stored") << 0 << "BRÚNO" << 0 << 1;
        QTest::newRow("capitals without the accent") << 1 << "CARLA" << 0 << 2;
    }
    void shouldPickFromTheLookupList()
    {
        QFETCH(int, start);
        QFETCH(QString, filter);
        QFETCH(int, downs);
        QFETCH(int, chosen);
        Salespeople people;
        people.set.MoveTo(start);
        people.scrolls = 0;
        LookupDialog dialog({&people.source, "Vendedor"});
        QTest::keyClicks(dialog.filterEdit(), filter);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(dialog.filterEdit(), Qt::Key_Down);
        QCOMPARE(dialog.chosenRow(), chosen);
        QCOMPARE(people.set.RecNo(), start);  // nothing moves before the pick
        QCOMPARE(dialog.applyChoice(), chosen >= 0);
        QCOMPARE(people.set.RecNo(), chosen >= 0 ? chosen : start);
        QCOMPARE(people.scrolls, chosen >= 0 && chosen != start ? 1 : 0);
    }

    void shouldOpenOnTheAskedRowInTheNameColumn_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("nameField");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("the asked row, in the names") << 0 << 2 << "NMFANVEN" << 2 << 1;
        QTest::newRow("the current row without one") << 3 << -1 << "NMFANVEN" << 3 << 1;
        QTest::newRow("a row past the end") << 1 << 9 << "" << 1 << 0;
        QTest::newRow("an unknown name field") << 1 << 0 << "NOME" << 0 << 0;
    }
    void shouldOpenOnTheAskedRowInTheNameColumn()
    {
        QFETCH(int, current);
        QFETCH(int, asked);
        QFETCH(QString, nameField);
        QFETCH(int, row);
        QFETCH(int, column);
        Salespeople people;
        people.set.MoveTo(current);
        LookupDialog dialog({&people.source, "Vendedor", asked, nameField});
        QCOMPARE(dialog.chosenRow(), row);
        QCOMPARE(dialog.list()->currentIndex().column(), column);
        QCOMPARE(people.set.RecNo(), current);  // nothing moves before the pick
    }

    void shouldPositionTheSetOnlyWhenPicked_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("picked");
        QTest::addColumn<int>("row");
        QTest::newRow("enter picks") << int(Qt::Key_Return) << true << 3;
        QTest::newRow("escape cancels") << int(Qt::Key_Escape) << false << 0;
    }
    void shouldPositionTheSetOnlyWhenPicked()
    {
        QFETCH(int, key);
        QFETCH(bool, picked);
        QFETCH(int, row);
        Salespeople people;
        whenShown<LookupDialog>([key](LookupDialog *dialog) {
            QTest::keyClicks(dialog->filterEdit(), "rocha");
            QTest::keyClick(dialog->filterEdit(), Qt::Key(key));
        });
        QCOMPARE(runLookupDialog({&people.source, "Vendedor"}), picked);
        QCOMPARE(people.set.RecNo(), row);
    }

    void shouldFindTheNextRowHoldingTheText_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");  // -1: not found
        QTest::newRow("after the current row") << 0 << "souza" << 2;
        QTest::newRow("round to the start") << 2 << "souza" << 0;
        QTest::newRow("the current row last") << 1 << "bruno" << 1;
        QTest::newRow("in the code column") << 0 << "0004" << 3;
        QTest::newRow("nowhere") << 1 << "zzz" << -1;
        QTest::newRow("without the accent") << 0 << "fab" << 3;
        QTest::newRow("in capitals") << 0 << "FÁBIO" << 3;
        QTest::newRow("with an accent not stored") << 0 << "brúno" << 1;
        QTest::newRow("accented, after the current row") << 0 << "carla" << 2;
    }
    void shouldFindTheNextRowHoldingTheText()
    {
        QFETCH(int, start);
        QFETCH(QString, text);
        QFETCH(int, found);
        Salespeople people;
        people.set.MoveTo(start);
        SearchDialog dialog(&people.source);
        dialog.textEdit()->setText(text);
        QCOMPARE(dialog.findNext(), found >= 0);
        QCOMPARE(people.set.RecNo(), found >= 0 ? found : start);
    }

    void shouldSearchFromTheKeyboardAndTellWhenNothingIsFound()
    {
        ScriptedDialogs dialogs;
        Salespeople people;
        whenShown<SearchDialog>([](SearchDialog *dialog) {
            QTest::keyClicks(dialog->textEdit(), "souza");
            QTest::keyClick(dialog->textEdit(), Qt::Key_Return);
            QTest::keyClick(dialog->textEdit(), Qt::Key_Return);
            dialog->textEdit()->setText("zzz");
            QTest::keyClick(dialog->textEdit(), Qt::Key_Return);
            QTest::keyClick(dialog->textEdit(), Qt::Key_Escape);
        });
        runSearchDialog(&people.source);
        QCOMPARE(people.set.RecNo(), 0);  // 2, then round to 0, then not found
        QCOMPARE(people.scrolls, 2);
        QCOMPARE(dialogs.messages(), QStringList{"Texto não encontrado."});
    }
};

QTEST_MAIN(PlatformDialogsTest)
#include "platformdialogstest.moc"
