#include "screenharness.h"
#include "tfrmmancomis.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// The host's status bar names the session's branch until the operator takes
// another one on the screen; then that one, while the screen is open.
class ScreenBranchTest : public QObject {
    Q_OBJECT
private slots:
    void shouldFollowTheBranchTheOperatorTakesWhileTheScreenIsOpen();
};

namespace {

QString statusBranch()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *label = window->findChild<QLabel *>(QStringLiteral("sessionLabel")))
            return label->text().section(QStringLiteral("    "), 0, 0);
    }
    return {};
}

}  // namespace

void ScreenBranchTest::shouldFollowTheBranchTheOperatorTakesWhileTheScreenIsOpen()
{
    ScreenHarness harness(QStringLiteral("0001"), false);
    harness.filter.answers << FilterDialogAnswers::ConfirmNotGenerated << FilterDialogAnswers::ConfirmNotGenerated;
    TfrmManComis *screen = harness.open();
    const QString session = statusBranch();
    QVERIFY2(session.startsWith(QStringLiteral("Filial: 0001")), qPrintable(session));

    QTest::mouseClick(screen->medCdFilial, Qt::LeftButton);
    screen->medCdFilial->selectAll();
    QTest::keyClicks(screen->medCdFilial, QStringLiteral("00AB"));
    QTest::keyClick(screen->medCdFilial, Qt::Key_Tab);
    ScreenHarness::settle();
    QCOMPARE(statusBranch(), QStringLiteral("Filial: 00AB - FILIAL AB"));

    screen->closeScreen();
    ScreenHarness::settle();
    QCOMPARE(statusBranch(), session);
    harness.open();
    QCOMPARE(statusBranch(), QStringLiteral("Filial: 00AB - FILIAL AB"));
}

QTEST_MAIN(ScreenBranchTest)
#include "screenbranchtest.moc"
