#include "hostoperations.h"
#include "listsummary.h"
#include "modulestate.h"
#include "screenharness.h"
#include "scripteddialogs.h"
#include "tclientdataset.h"
#include "tdbgrid.h"
#include "tfrmmancomis.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Cli_ORE09700;

namespace {

struct Quote {
    QVariant mark;  // "S", "N", "" or null
    double total = 1000;
    QVariant percent = 5.0;
};

int columnOf(const TDBGrid &grid, const char *field)
{
    return IndiceCol(&grid, QLatin1String(field));
}

QStringList marksOf(TClientDataSet &quotes)
{
    QStringList marks;
    for (int row = 0; row < quotes.RecordCount(); ++row)
        marks << quotes.valueAt(row, quotes.fieldIndex(QStringLiteral("IDCHECK"))).toString();
    return marks;
}

}  // namespace

// Marking on the screen's quote grid, driven as a user does: clicks, keys and
// title clicks on the real grid. Generation is enabled by the enabling rules
// only with marked quotes, so its state shows whether the rules ran.
class QuoteMarkingTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldToggleTheCurrentQuoteOnlyOnTheMarkColumn_data();
    void shouldToggleTheCurrentQuoteOnlyOnTheMarkColumn();
    void shouldInvertEveryMarkAndEndOnTheFirstQuote_data();
    void shouldInvertEveryMarkAndEndOnTheFirstQuote();
    void shouldChangeNothingWithoutQuotes_data();
    void shouldChangeNothingWithoutQuotes();
    void shouldLetOnlyDigitsIntoThePercentageOfCreditQuotes_data();
    void shouldLetOnlyDigitsIntoThePercentageOfCreditQuotes();
    void shouldRecalculateTheCommissionOfATypedPercentage();
    void shouldKeepTheQuoteSummaryWithEveryChange();

private:
    void load(const QVector<Quote> &quotes);
    void trigger(const QString &action, int row, const char *field);
    TDBGrid &grid() { return *m_screen->dbgOrcamento; }
    TClientDataSet &quotes() { return *m_screen->cdsOrcamentos; }

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TfrmManComis> m_screen;
};

void QuoteMarkingTest::init()
{
    Filtro.Comissao.stGerada = QStringLiteral("N");
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_screen = ScreenHarness::showAlone();
    m_screen->pgcPadrao->setCurrentWidget(m_screen->tshOrcamento);
    grid().setFocus();
}

void QuoteMarkingTest::cleanup()
{
    // Marking shows no message of its own and fails nowhere.
    QCOMPARE(m_dialogs->messages(), QStringList());
    m_screen.reset();
    m_dialogs.reset();
    Filtro = TFiltro();
    boFiltro = false;
    inContOrcamento = 0;
}

// The quotes, the count of marked ones as a load leaves it, the first
// quote current.
void QuoteMarkingTest::load(const QVector<Quote> &rows)
{
    packet::Packet content;
    for (const FieldDef &field : quotes().fields())
        content.fields.append({field.name, field.kind, field.size});
    for (const Quote &quote : rows) {
        QVector<QVariant> row(content.fields.size(), QVariant());
        row[quotes().fieldIndex(QStringLiteral("IDCHECK"))] = quote.mark;
        row[quotes().fieldIndex(QStringLiteral("VRTOTALOREV"))] = quote.total;
        row[quotes().fieldIndex(QStringLiteral("VRPERCCOMIS"))] = quote.percent;
        row[quotes().fieldIndex(QStringLiteral("VRCOMISSAO"))] = 999.0;  // stale
        content.rows.append(row);
    }
    quotes().loadFromPacket(content);
    inContOrcamento = int(std::count_if(rows.begin(), rows.end(), [](const Quote &q) { return q.mark == "S"; }));
    m_screen->Habilita();
}

void QuoteMarkingTest::trigger(const QString &action, int row, const char *field)
{
    const int column = columnOf(grid(), field);
    const QPoint cell = grid().visualRect(grid().model()->index(row, column)).center();
    if (action == QLatin1String("click")) {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cell);
        return;
    }
    if (action == QLatin1String("title")) {
        QHeaderView *titles = grid().horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, QPoint(cell.x(), titles->height() / 2));
        return;
    }
    if (row < quotes().RecordCount())
        quotes().MoveTo(row);
    grid().setSelectedIndex(column);
    if (action == QLatin1String("doubleClick"))
        grid().OnDblClick();
    else if (action == QLatin1String("space"))
        QTest::keyClick(&grid(), Qt::Key_Space);
    else if (action == QLatin1String("shiftSpace"))
        QTest::keyClick(&grid(), Qt::Key_Space, Qt::ShiftModifier);
    else if (action == QLatin1String("ctrlSpace"))
        QTest::keyClick(&grid(), Qt::Key_Space, Qt::ControlModifier);
    else
        QFAIL(qPrintable(action));
}

void QuoteMarkingTest::shouldToggleTheCurrentQuoteOnlyOnTheMarkColumn_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("field");  // the current column
    QTest::addColumn<QVariant>("mark");
    QTest::addColumn<QVariant>("percent");
    QTest::addColumn<QString>("after");
    QTest::addColumn<double>("commission");  // 999: stale, the row was not posted

    const QString mark = QStringLiteral("IDCHECK");
    QTest::newRow("click marks") << "click" << mark << QVariant("N") << QVariant(5.0) << "S" << 50.0;
    QTest::newRow("click unmarks") << "click" << mark << QVariant("S") << QVariant(5.0) << "N" << 50.0;
    QTest::newRow("double click") << "doubleClick" << mark << QVariant("S") << QVariant(2.5) << "N" << 25.0;
    QTest::newRow("space") << "space" << mark << QVariant("N") << QVariant(5.0) << "S" << 50.0;
    QTest::newRow("shift space as space") << "shiftSpace" << mark << QVariant("S") << QVariant(5.0) << "N" << 50.0;
    QTest::newRow("empty mark becomes S") << "click" << mark << QVariant("") << QVariant(5.0) << "S" << 50.0;
    QTest::newRow("null mark becomes S") << "space" << mark << QVariant() << QVariant(5.0) << "S" << 50.0;
    QTest::newRow("no percentage, no commission") << "click" << mark << QVariant("N") << QVariant() << "S" << 0.0;
    QTest::newRow("click on the client") << "click"
                                         << "NMFANTCLIE" << QVariant("N") << QVariant(5.0) << "N" << 999.0;
    QTest::newRow("click on the percentage") << "click"
                                             << "VRPERCCOMIS" << QVariant("S") << QVariant(5.0) << "S" << 999.0;
    QTest::newRow("double click on the total") << "doubleClick"
                                               << "VRTOTALOREV" << QVariant("N") << QVariant(5.0) << "N" << 999.0;
    QTest::newRow("space on the quote number") << "space"
                                               << "NRORCAEVENTO" << QVariant("S") << QVariant(5.0) << "S" << 999.0;
}

void QuoteMarkingTest::shouldToggleTheCurrentQuoteOnlyOnTheMarkColumn()
{
    QFETCH(QString, action);
    QFETCH(QString, field);
    QFETCH(QVariant, mark);
    QFETCH(QVariant, percent);
    QFETCH(QString, after);
    QFETCH(double, commission);
    load({{QStringLiteral("N")}, {mark, 1000, percent}});
    const int before = inContOrcamento;

    trigger(action, 1, qPrintable(field));

    QCOMPARE(marksOf(quotes()), QStringList({QStringLiteral("N"), after}));
    QCOMPARE(inContOrcamento, before + (after == QLatin1String("S")) - (mark.toString() == QLatin1String("S")));
    QCOMPARE(quotes().state(), TClientDataSet::State::Browse);
    QCOMPARE(quotes().AsFloat(QStringLiteral("VRCOMISSAO")), commission);
    QCOMPARE(m_screen->sbtConfirmar->isEnabled(), inContOrcamento > 0);
}

void QuoteMarkingTest::shouldInvertEveryMarkAndEndOnTheFirstQuote_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("field");  // the title clicked, or the current column
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("counterMove");  // n - 2k when inverted

    const QStringList mixed{"S", "N", "", "S", "S"};
    const QStringList mixedInverted{"N", "S", "S", "N", "N"};
    const QString mark = QStringLiteral("IDCHECK");
    QTest::newRow("title, 5 quotes, 3 marked") << "title" << mark << mixed << mixedInverted << -1;
    QTest::newRow("ctrl space, 5 quotes, 3 marked") << "ctrlSpace" << mark << mixed << mixedInverted << -1;
    QTest::newRow("title, none marked") << "title" << mark << QStringList{"N", "N"} << QStringList{"S", "S"} << 2;
    QTest::newRow("ctrl space off the mark column, all marked")
        << "ctrlSpace"
        << "VRCOMISSAO" << QStringList{"S", "S", "S"} << QStringList{"N", "N", "N"} << -3;
    QTest::newRow("title of another column only goes to the first quote") << "title"
                                                                          << "NMFANTCLIE" << mixed << mixed << 0;
}

void QuoteMarkingTest::shouldInvertEveryMarkAndEndOnTheFirstQuote()
{
    QFETCH(QString, action);
    QFETCH(QString, field);
    QFETCH(QStringList, marks);
    QFETCH(QStringList, after);
    QFETCH(int, counterMove);
    QVector<Quote> rows;
    for (const QString &mark : marks)
        rows.append({mark});
    load(rows);
    const int before = inContOrcamento;

    trigger(action, int(marks.size()) - 1, qPrintable(field));

    QCOMPARE(marksOf(quotes()), after);
    QCOMPARE(inContOrcamento - before, counterMove);
    QCOMPARE(quotes().RecNo(), 0);
    QCOMPARE(grid().currentIndex().row(), 0);
    QCOMPARE(m_screen->sbtConfirmar->isEnabled(), inContOrcamento > 0);
}

void QuoteMarkingTest::shouldChangeNothingWithoutQuotes_data()
{
    QTest::addColumn<QString>("action");
    for (const char *action : {"doubleClick", "space", "ctrlSpace", "title"})
        QTest::newRow(action) << action;
}

void QuoteMarkingTest::shouldChangeNothingWithoutQuotes()
{
    QFETCH(QString, action);
    load({});
    inContOrcamento = 3;
    // The enabling rules would switch it off: it stays on when they do not run.
    m_screen->sbtConfirmar->setEnabled(true);

    trigger(action, 0, "IDCHECK");

    QCOMPARE(inContOrcamento, 3);
    QVERIFY(m_screen->sbtConfirmar->isEnabled());
    QVERIFY(quotes().IsEmpty());
}

void QuoteMarkingTest::shouldLetOnlyDigitsIntoThePercentageOfCreditQuotes_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("total");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("kept");

    const QString percent = QStringLiteral("VRPERCCOMIS");
    QTest::newRow("digit, credit quote") << percent << -300.0 << QChar('7') << true;
    QTest::newRow("zero, credit quote") << percent << -0.01 << QChar('0') << true;
    QTest::newRow("backspace") << percent << -300.0 << QChar(8) << true;
    QTest::newRow("tab") << percent << -300.0 << QChar(9) << true;
    QTest::newRow("carriage return") << percent << -300.0 << QChar(13) << true;
    QTest::newRow("decimal comma") << percent << -300.0 << QChar(',') << false;
    QTest::newRow("decimal point") << percent << -300.0 << QChar('.') << false;
    QTest::newRow("minus") << percent << -300.0 << QChar('-') << false;
    QTest::newRow("letter") << percent << -300.0 << QChar('a') << false;
    QTest::newRow("space") << percent << -300.0 << QChar(' ') << false;
    QTest::newRow("digit, zero total") << percent << 0.0 << QChar('7') << false;
    QTest::newRow("digit, positive total") << percent << 1000.0 << QChar('7') << false;
    QTest::newRow("digit, commission column") << "VRCOMISSAO" << -300.0 << QChar('7') << false;
    QTest::newRow("space, mark column") << "IDCHECK" << -300.0 << QChar(' ') << false;
}

void QuoteMarkingTest::shouldLetOnlyDigitsIntoThePercentageOfCreditQuotes()
{
    QFETCH(QString, field);
    QFETCH(double, total);
    QFETCH(QChar, typed);
    QFETCH(bool, kept);
    load({{QStringLiteral("S"), total}});
    grid().setSelectedIndex(columnOf(grid(), qPrintable(field)));

    QChar key = typed;
    grid().OnKeyPress(key);

    QCOMPARE(!key.isNull(), kept);
    QCOMPARE(key.isNull() ? typed : key, typed);
    // Only the percentage column is ever editable in place.
    QCOMPARE(grid().options().testFlag(TDBGrid::dgEditing), field == QLatin1String("VRPERCCOMIS"));
}

void QuoteMarkingTest::shouldRecalculateTheCommissionOfATypedPercentage()
{
    load({{QStringLiteral("S"), 1000}, {QStringLiteral("S"), -300, QVariant()}});
    quotes().MoveTo(1);
    grid().setSelectedIndex(columnOf(grid(), "VRCOMISSAO"));
    grid().setSelectedIndex(columnOf(grid(), "VRPERCCOMIS"));

    // The first digit opens the cell editor, which takes the rest.
    for (const QChar typed : QStringLiteral("1-2,"))
        QTest::keyClick(QApplication::focusWidget(), typed.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    // The editor hands its text over once the event loop runs again.
    QTRY_COMPARE(quotes().AsFloat(QStringLiteral("VRPERCCOMIS")), 12.0);
    QCOMPARE(quotes().AsFloat(QStringLiteral("VRCOMISSAO")), 12.0 / 100 * -300);
    QCOMPARE(quotes().state(), TClientDataSet::State::Browse);
}

// The line under the grid is the list's summary after every kind of change:
// a load, a toggle, an inversion, a typed percentage.
void QuoteMarkingTest::shouldKeepTheQuoteSummaryWithEveryChange()
{
    QLabel &summary = *m_screen->lblResumoOrcamento;
    const auto expectMarked = [&](const char *marked) {
        QCOMPARE(summary.text(), ListSummary::quotes(quotes()));
        QVERIFY2(summary.text().contains(QString::fromUtf8(marked)), qPrintable(summary.text()));
    };
    load({{QStringLiteral("S"), 1000}, {QStringLiteral("N"), 2000}, {QStringLiteral("S"), -300, QVariant()}});
    expectMarked("3 orçamentos · 2 marcados");

    trigger(QStringLiteral("click"), 0, "IDCHECK");
    expectMarked("· 1 marcado ·");

    trigger(QStringLiteral("title"), 0, "IDCHECK");
    expectMarked("· 2 marcados ·");

    trigger(QStringLiteral("click"), 2, "IDCHECK");  // the credit quote, marked again
    expectMarked("· 3 marcados ·");

    grid().setSelectedIndex(columnOf(grid(), "VRCOMISSAO"));
    grid().setSelectedIndex(columnOf(grid(), "VRPERCCOMIS"));
    for (const QChar typed : QStringLiteral("12"))
        QTest::keyClick(QApplication::focusWidget(), typed.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(quotes().AsFloat(QStringLiteral("VRPERCCOMIS")), 12.0);
    expectMarked("· 3 marcados ·");
}

QTEST_MAIN(QuoteMarkingTest)
#include "quotemarkingtest.moc"
