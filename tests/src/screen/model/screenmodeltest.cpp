#include "screenmodel.h"
#include "modulestate.h"
#include "session.h"
#include "tclientdataset.h"

#include <QTest>

using namespace Cli_ORE09700;

namespace {

// The set with `rows` empty rows of its own fields.
void fill(TClientDataSet &set, int rows)
{
    packet::Packet content;
    for (const FieldDef &field : set.fields())
        content.fields.append({field.name, field.kind, field.size});
    for (int row = 0; row < rows; ++row)
        content.rows.append(QVector<QVariant>(content.fields.size()));
    set.loadFromPacket(content);
}

}  // namespace

// The enabling rules without a widget: what each command may do given the
// lists, the marks, the status, the operator's rights and the focus.
class ScreenModelTest : public QObject {
    Q_OBJECT
private slots:
    void shouldEnableByState_data();
    void shouldEnableByState();
};

void ScreenModelTest::shouldEnableByState_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("rights");
    QTest::addColumn<int>("quotes");
    QTest::addColumn<int>("marked");
    QTest::addColumn<bool>("onQuotes");
    // procurar, verificar, confirmar, cancelar, extrato
    QTest::addColumn<QString>("expected");
    const QStringList all{QStringLiteral("consultar"), QStringLiteral("gerar"), QStringLiteral("cancelar")};
    const QStringList listOnly{QStringLiteral("consultar")};
    QTest::newRow("not generated, marked") << "N" << all << 2 << 1 << true << "11101";
    QTest::newRow("generated, marked") << "S" << all << 2 << 1 << true << "11011";
    QTest::newRow("nothing marked") << "N" << all << 2 << 0 << true << "11001";
    QTest::newRow("no right to generate") << "N" << listOnly << 2 << 1 << true << "11001";
    QTest::newRow("no right to cancel") << "S" << listOnly << 2 << 1 << true << "11001";
    QTest::newRow("no quotes listed") << "N" << all << 0 << 0 << true << "01000";
    QTest::newRow("focus on the salespeople") << "N" << all << 2 << 1 << false << "11001";
}

void ScreenModelTest::shouldEnableByState()
{
    QFETCH(QString, status);
    QFETCH(QStringList, rights);
    QFETCH(int, quotes);
    QFETCH(int, marked);
    QFETCH(bool, onQuotes);
    QFETCH(QString, expected);

    SessionValues session = Session::values();
    session.rights = {{QStringLiteral("0001"), rights}};
    Session::set(session);
    ScreenModel model;
    fill(*model.cdsVendedores, 1);
    fill(*model.cdsOrcamentos, quotes);
    Filtro.Comissao.stGerada = status;
    inContOrcamento = marked;
    boPrimVez = false;

    const ScreenModel::Commands commands = model.enabling({!onQuotes, onQuotes, QStringLiteral("0001")});
    const auto bit = [](bool on) { return on ? QLatin1Char('1') : QLatin1Char('0'); };
    const QString got = QString() + bit(commands.procurar) + bit(commands.verificar) + bit(commands.confirmar)
                        + bit(commands.cancelar) + bit(commands.extrato);
    QCOMPARE(got, expected);
    QVERIFY(commands.filtrar);
}

QTEST_GUILESS_MAIN(ScreenModelTest)
#include "screenmodeltest.moc"
