#include "tfrmorcapendednte.h"

#include "datasetmodel.h"
#include "modulestate.h"
#include "screendatasets.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

const QString warningText = QStringLiteral("Os vendedores abaixo não possuem comissão gerada.");

packet::Packet pendingPacket(const TClientDataSet &set, int rows)
{
    packet::Packet result;
    for (const FieldDef &field : set.fields())
        result.fields.append({field.name, field.kind, field.size});
    for (int row = 0; row < rows; ++row) {
        QVector<QVariant> values;
        for (const FieldDef &field : set.fields()) {
            if (field.kind == packet::FieldKind::DateTime)
                values.append(46000.0 + row);
            else
                values.append(QString::number(row + 1).left(field.size));
        }
        result.rows.append(values);
    }
    return result;
}

// Runs CriaOrcaPendedente and, once its dialog is up, hands it to `act`.
// Returns the dialog as it was while open (released afterwards).
QPointer<TfrmOrcaPendednte> runDialog(TClientDataSet *set, const QString &text,
                                      const std::function<void(TfrmOrcaPendednte *)> &act)
{
    QPointer<TfrmOrcaPendednte> seen;
    bool acted = false;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<TfrmOrcaPendednte *>(QApplication::activeModalWidget());
        if (seen) {
            acted = true;
            act(seen);
        }
        // Whatever happened, never leave the test hanging in the modal loop.
        if (seen && seen->isVisible())
            QTimer::singleShot(2000, seen, [dialog = seen] { dialog->close(); });
    });
    CriaOrcaPendedente(set, text);
    if (!acted)
        qWarning("the pending dialog did not come up modally");
    return seen;
}

void releaseDeferred()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class PendingDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldPlaceComponentsAsDesigned_data();
    void shouldPlaceComponentsAsDesigned();
    void shouldShowCaptionTextAndPicture();
    void shouldCentreTheOuterFrameOnTheScreen();
    void shouldListVisibleFieldsOfTheCallersSetWithoutOwnColumns();
    void shouldOfferAReadOnlyGridWithoutIndicatorOrResizing();

    void shouldCloseAndReleaseTheDialog_data();
    void shouldCloseAndReleaseTheDialog();
    void shouldStayOpenForOtherKeys_data();
    void shouldStayOpenForOtherKeys();
    void shouldCreateAFreshDialogWithTheTextOfEachCall();
    void shouldShowTitlesOnlyForAnEmptySet();
    void shouldMoveTheCallersCurrentRowAndLeaveItsContent();

private:
    TClientDataSet *m_pending = nullptr;
};

void PendingDialogTest::init()
{
    m_pending = new TClientDataSet(this);
    screendatasets::declareOrcaPendente(*m_pending);
    m_pending->loadFromPacket(pendingPacket(*m_pending, 3));
}

void PendingDialogTest::cleanup()
{
    releaseDeferred();
    delete m_pending;
    m_pending = nullptr;
}

void PendingDialogTest::shouldPlaceComponentsAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("picture") << "imgErroOri" << QRect(5, 9, 37, 38);
    QTest::newRow("text") << "memInforma" << QRect(55, 12, 666, 32);
    QTest::newRow("ok button") << "btnOK" << QRect(315, 8, 75, 25);
}

void PendingDialogTest::shouldPlaceComponentsAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    TfrmOrcaPendednte dialog;
    dialog.show();
    auto *widget = dialog.findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);

    // The message panel sits on top, the OK panel at the bottom, the grid between.
    QCOMPARE(dialog.panMsg->geometry(), QRect(0, 0, dialog.width(), 52));
    QCOMPARE(dialog.panOk->geometry(), QRect(0, dialog.height() - 38, dialog.width(), 38));
    QCOMPARE(dialog.dbgMensagem->geometry(), QRect(0, 52, dialog.width(), dialog.height() - 52 - 38));
}

void PendingDialogTest::shouldShowCaptionTextAndPicture()
{
    TfrmOrcaPendednte dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Atenção"));
    QCOMPARE(dialog.btnOK->text(), QStringLiteral("&OK"));
    QCOMPARE(dialog.memInforma->toPlainText(), warningText);
    QVERIFY(dialog.memInforma->isReadOnly());
    QCOMPARE(dialog.memInforma->focusPolicy(), Qt::NoFocus);
    QVERIFY(!dialog.panMsg->isEnabled());

    // White balloon, blue letter, transparent around it.
    const QImage picture = dialog.imgErroOri->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(37, 38));
    QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(picture.pixelColor(8, 15), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(18, 17), QColor(0, 0, 255));
}

void PendingDialogTest::shouldCentreTheOuterFrameOnTheScreen()
{
    TfrmOrcaPendednte dialog;
    dialog.show();
    QCOMPARE(dialog.frameGeometry().size(), QSize(736, 250));
    const QPoint screenCentre = dialog.screen()->geometry().center();
    QVERIFY(qAbs(dialog.frameGeometry().center().x() - screenCentre.x()) <= 1);
    QVERIFY(qAbs(dialog.frameGeometry().center().y() - screenCentre.y()) <= 1);
}

void PendingDialogTest::shouldListVisibleFieldsOfTheCallersSetWithoutOwnColumns()
{
    QStringList titles;
    int rows = -1;
    runDialog(m_pending, warningText, [&](TfrmOrcaPendednte *dialog) {
        QCOMPARE(dialog->dtsOrcaPendednte->dataSet(), m_pending);
        QAbstractItemModel *model = dialog->dbgMensagem->model();
        rows = model->rowCount();
        for (int column = 0; column < model->columnCount(); ++column)
            titles << model->headerData(column, Qt::Horizontal).toString();
        dialog->btnOK->click();
    });
    QCOMPARE(titles, (QStringList{"Nr. Orçamento", "Seq.", "Vendedor(a)", "Dt. Evento", "Título do Orçamento"}));
    QCOMPARE(rows, 3);
}

void PendingDialogTest::shouldOfferAReadOnlyGridWithoutIndicatorOrResizing()
{
    TfrmOrcaPendednte dialog;
    const TDBGrid::Options options = dialog.dbgMensagem->options();
    QCOMPARE(options, TDBGrid::dgTitles | TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs
                          | TDBGrid::dgConfirmDelete | TDBGrid::dgCancelOnExit);
    QVERIFY(dialog.dbgMensagem->horizontalHeader()->font().bold());
}

void PendingDialogTest::shouldCloseAndReleaseTheDialog_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("OK button") << "ok";
    QTest::newRow("Enter in the grid") << "grid-return";
    QTest::newRow("keypad Enter in the grid") << "grid-enter";
    QTest::newRow("Enter in the form") << "form-return";
    QTest::newRow("close box") << "close";
}

void PendingDialogTest::shouldCloseAndReleaseTheDialog()
{
    QFETCH(QString, how);

    bool wasCurrent = false;
    QPointer<TfrmOrcaPendednte> dialog = runDialog(m_pending, warningText, [&](TfrmOrcaPendednte *open) {
        wasCurrent = Cli_ORE09702::frmOrcaPendednte == open;
        if (how == "ok")
            QTest::mouseClick(open->btnOK, Qt::LeftButton);
        else if (how == "grid-return")
            QTest::keyClick(open->dbgMensagem, Qt::Key_Return);
        else if (how == "grid-enter")
            QTest::keyClick(open->dbgMensagem, Qt::Key_Enter);
        else if (how == "form-return")
            QTest::keyClick(open, Qt::Key_Return);
        else
            open->close();
        QVERIFY(!open->isVisible());
    });
    QVERIFY(wasCurrent);
    QVERIFY(dialog);  // released only once the close has been processed
    releaseDeferred();
    QVERIFY(!dialog);
    QCOMPARE(Cli_ORE09702::frmOrcaPendednte, nullptr);
    QVERIFY(m_pending->Active());
    QCOMPARE(m_pending->RecordCount(), 3);
}

void PendingDialogTest::shouldStayOpenForOtherKeys_data()
{
    QTest::addColumn<int>("key");

    QTest::newRow("letter") << int(Qt::Key_A);
    QTest::newRow("arrow down") << int(Qt::Key_Down);
    QTest::newRow("space") << int(Qt::Key_Space);
}

void PendingDialogTest::shouldStayOpenForOtherKeys()
{
    QFETCH(int, key);

    bool stayedOpen = false;
    runDialog(m_pending, warningText, [&](TfrmOrcaPendednte *open) {
        QTest::keyClick(open->dbgMensagem, Qt::Key(key));
        stayedOpen = open->isVisible();
        open->btnOK->click();
    });
    QVERIFY(stayedOpen);
}

void PendingDialogTest::shouldCreateAFreshDialogWithTheTextOfEachCall()
{
    QString firstText, secondText;
    QPointer<TfrmOrcaPendednte> first = runDialog(m_pending, "primeiro aviso", [&](TfrmOrcaPendednte *open) {
        firstText = open->memInforma->toPlainText();
        open->btnOK->click();
    });
    releaseDeferred();
    QVERIFY(!first);

    QPointer<TfrmOrcaPendednte> second = runDialog(m_pending, "segundo aviso", [&](TfrmOrcaPendednte *open) {
        secondText = open->memInforma->toPlainText();
        open->btnOK->click();
    });
    QVERIFY(second);
    QCOMPARE(Cli_ORE09702::frmOrcaPendednte, second.data());
    QCOMPARE(firstText, QStringLiteral("primeiro aviso"));
    QCOMPARE(secondText, QStringLiteral("segundo aviso"));
}

void PendingDialogTest::shouldShowTitlesOnlyForAnEmptySet()
{
    m_pending->loadFromPacket(pendingPacket(*m_pending, 0));
    int rows = -1, columns = -1;
    runDialog(m_pending, warningText, [&](TfrmOrcaPendednte *open) {
        rows = open->dbgMensagem->model()->rowCount();
        columns = open->dbgMensagem->model()->columnCount();
        open->btnOK->click();
    });
    QCOMPARE(rows, 0);
    QCOMPARE(columns, 5);
}

void PendingDialogTest::shouldMoveTheCallersCurrentRowAndLeaveItsContent()
{
    const packet::Packet before = m_pending->data();
    runDialog(m_pending, warningText, [&](TfrmOrcaPendednte *open) {
        open->dbgMensagem->setFocus();
        QTest::keyClick(open->dbgMensagem, Qt::Key_Down);
        QTest::keyClick(open->dbgMensagem, Qt::Key_Down);
        open->btnOK->click();
    });
    QCOMPARE(m_pending->RecNo(), 2);
    QCOMPARE(m_pending->data(), before);
}

QTEST_MAIN(PendingDialogTest)
#include "pendingdialogtest.moc"
