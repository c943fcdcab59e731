#include "dialogseam.h"
#include "screenharness.h"
#include "tfrmmancomis.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

// An unknown branch code is refused once, with the real message box, and the
// focus goes back to the code field: also after the screen was closed and
// opened again, whatever took the focus away and however the box was closed.
class BranchRefusalTest : public QObject {
    Q_OBJECT
private slots:
    void shouldSayAnUnknownBranchOnceAndKeepTheCodeField_data();
    void shouldSayAnUnknownBranchOnceAndKeepTheCodeField();
};

namespace {

// Closes every message box that opens with `key`, counting them and their texts.
class BoxCloser : public QObject {
public:
    explicit BoxCloser(Qt::Key key) : m_key(key)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            texts.append(box->text());
            QTest::keyClick(box, m_key);
        });
        m_timer.start(20);
    }
    QStringList texts;

private:
    Qt::Key m_key;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

}  // namespace

void BranchRefusalTest::shouldSayAnUnknownBranchOnceAndKeepTheCodeField_data()
{
    QTest::addColumn<QString>("away");
    QTest::addColumn<int>("closingKey");

    QTest::newRow("a click on the grid, OK") << "grid" << int(Qt::Key_Return);
    QTest::newRow("a click on the grid, Escape") << "grid" << int(Qt::Key_Escape);
    QTest::newRow("the quotes tab's access key") << "menu key" << int(Qt::Key_Return);
    QTest::newRow("another window, then the grid") << "window" << int(Qt::Key_Return);
}

void BranchRefusalTest::shouldSayAnUnknownBranchOnceAndKeepTheCodeField()
{
    QFETCH(QString, away);
    QFETCH(int, closingKey);

    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << FilterDialogAnswers::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    QTest::mouseClick(screen->dbgPadrao->viewport(), Qt::LeftButton, {}, QPoint(20, 30));
    for (int round = 0; round < 2; ++round) {
        screen->closeScreen();
        ScreenHarness::settle();
        harness.open();
    }

    QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    screen->medCdFilial->selectAll();
    QTest::keyClick(screen->medCdFilial, Qt::Key_Delete);
    QTest::keyClicks(screen->medCdFilial, QStringLiteral("9999"));

    DialogSeam::install(nullptr);  // the real message box, as the operator sees it
    BoxCloser closer{Qt::Key(closingKey)};
    QWidget other;
    if (away == QLatin1String("window")) {
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QApplication::setActiveWindow(screen->window());
    }
    if (away == QLatin1String("menu key"))
        QTest::keyClick(screen->window(), Qt::Key_O, Qt::AltModifier);
    else
        QTest::mouseClick(screen->dbgPadrao->viewport(), Qt::LeftButton, {}, QPoint(20, 30));

    QTRY_VERIFY(!closer.texts.isEmpty());
    QTest::qWait(500);  // a loop would bring the box back within this time
    DialogSeam::install(&harness.dialogs);
    QCOMPARE(closer.texts, QStringList{QStringLiteral("Filial não cadastrada.")});
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
}

QTEST_MAIN(BranchRefusalTest)
#include "branchrefusaltest.moc"
