#include "tdateeditplus.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "scripteddialogs.h"

#include "daycount.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

class TDateEditPlusTest : public QObject {
    Q_OBJECT
private slots:
    void shouldReadWhatWasTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");  // invalid: GetDate gives 0
        QTest::addColumn<QString>("weekday");
        QTest::newRow("valid date") << "07122025"
                                    << "07/12/2025" << QDate(2025, 12, 7) << "Domingo";
        QTest::newRow("leap day") << "29022024"
                                  << "29/02/2024" << QDate(2024, 2, 29) << "Quinta";
        QTest::newRow("saturday") << "01032025"
                                  << "01/03/2025" << QDate(2025, 3, 1) << "Sábado";
        QTest::newRow("no such day") << "31022024"
                                     << "31/02/2024" << QDate() << "";
        QTest::newRow("year cut short") << "010320"
                                        << "01/03/20" << QDate() << "";
        QTest::newRow("nothing typed") << ""
                                       << "" << QDate() << "";
    }
    void shouldReadWhatWasTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QFETCH(QString, weekday);
        TDateEditPlus edit;
        edit.show();
        QTest::keyClick(edit.editor(), Qt::Key_Home);
        QTest::keyClicks(edit.editor(), typed);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.GetDate(), date.isValid() ? packet::toDayCount(date) : 0.0);
        QCOMPARE(edit.weekdayText(), weekday);
        QCOMPARE(edit.editor()->palette().color(QPalette::Text) == QColor(Qt::blue), date.isValid());
    }

    void shouldShowAndClearDates_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("readBack");
        const double christmas = packet::toDayCount(QDate(2024, 12, 25));
        QTest::newRow("a date") << christmas << "25/12/2024" << christmas;
        QTest::newRow("the time part is dropped") << christmas + 0.75 << "25/12/2024" << christmas;
        QTest::newRow("zero is no date") << 0.0 << "" << 0.0;
    }
    void shouldShowAndClearDates()
    {
        QFETCH(double, days);
        QFETCH(QString, text);
        QFETCH(double, readBack);
        TDateEditPlus edit;
        edit.SetDate(packet::toDayCount(QDate(2000, 1, 1)));
        edit.SetDate(days);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.GetDate(), readBack);
        QCOMPARE(edit.weekdayText().isEmpty(), text.isEmpty());
    }

    void shouldReportOnlyATextThatIsNoDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("reported");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("valid") << "15082024" << false;
        QTest::newRow("day 32") << "32012024" << true;
        QTest::newRow("month 13") << "01132024" << true;
        QTest::newRow("half typed") << "1508" << true;
    }
    void shouldReportOnlyATextThatIsNoDate()
    {
        QFETCH(QString, typed);
        QFETCH(bool, reported);
        ScriptedDialogs dialogs;
        QWidget window;
        auto *other = new QLineEdit(&window);
        auto *edit = new TDateEditPlus(&window);
        edit->move(0, 30);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->SetDate(0);
        QTest::keyClick(edit->editor(), Qt::Key_Home);
        QTest::keyClicks(edit->editor(), typed);
        other->setFocus();

        const bool ended = runGuarded([&] { edit->CheckValidDate(); });
        QCOMPARE(ended, !reported);  // a report ends the handler
        // The message names what was typed and says what to type.
        QCOMPARE(dialogs.errors(), reported ? QStringList{InvalidDateText(edit->text())} : QStringList());
        if (reported)
            QVERIFY(dialogs.errors().first().startsWith(QStringLiteral("Data inválida: ") + edit->text().trimmed()));
        QCOMPARE(edit->editor()->hasFocus(), reported);
    }
};

QTEST_MAIN(TDateEditPlusTest)
#include "tdateeditplustest.moc"
