#include "gridpainting.h"
#include "amountcellpainter.h"
#include "daycount.h"
#include "fielddef.h"
#include "hostoperations.h"
#include "screencolumns.h"
#include "screendatasets.h"
#include "scripteddialogs.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "textcellpainter.h"

#include <QApplication>
#include <QMap>
#include <QPainter>
#include <QTest>

#include <memory>

namespace {

const QColor kInfoBk(255, 255, 225);
const QColor kHighlight(0, 0, 128);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kSilver(192, 192, 192);
const QColor kOlive(128, 128, 0);

using Row = QVariantMap;
using Cells = QMap<QPair<int, int>, QRect>;  // (row, column) -> rect handed to the handler

packet::Packet packetOf(const TClientDataSet &set, const QList<Row> &rows)
{
    packet::Packet p;
    for (const FieldDef &field : set.fields())
        p.fields.append({field.name, field.kind, field.size});
    for (const Row &row : rows) {
        QVector<QVariant> values;
        for (const FieldDef &field : set.fields())
            values.append(row.value(field.name));
        p.rows.append(values);
    }
    return p;
}

// Both grids of the screen over their record sets, painted by GridPainting
// with a fixed palette, in a shown window.
struct Screen {
    ScriptedDialogs dialogs;
    TClientDataSet quotes, salespeople;
    TDataSource quoteSource, salesSource;
    QWidget window;
    TDBGrid *dbgOrcamento = new TDBGrid(&window);
    TDBGrid *dbgPadrao = new TDBGrid(&window);
    std::unique_ptr<GridPainting> painting;
    Cells quoteCells, salesCells;

    Screen(const QList<Row> &quoteRows, const QList<Row> &salesRows)
    {
        screendatasets::declareOrcamentos(quotes);
        screendatasets::declareVendedores(salespeople);
        quoteSource.setDataSet(&quotes);
        salesSource.setDataSet(&salespeople);
        quotes.loadFromPacket(packetOf(quotes, quoteRows));
        salespeople.loadFromPacket(packetOf(salespeople, salesRows));
        setUp(dbgOrcamento, &quoteSource, screencolumns::orcamentosColumns(), 0);
        setUp(dbgPadrao, &salesSource, screencolumns::vendedoresColumns(), 200);
        painting = std::make_unique<GridPainting>(*dbgOrcamento, *dbgPadrao, CheckBoxImages::fromResources());
        dbgOrcamento->OnDrawColumnCell = [this](QPainter &p, const QRect &r, int col, const TDBGrid::TColumn &c,
                                                int s) {
            quoteCells[{dbgOrcamento->rowAt(r.center().y()), col}] = r;
            painting->dbgOrcamentoDrawColumnCell(p, r, col, c, s);
        };
        dbgPadrao->OnDrawColumnCell = [this](QPainter &p, const QRect &r, int col, const TDBGrid::TColumn &c, int s) {
            salesCells[{dbgPadrao->rowAt(r.center().y()), col}] = r;
            painting->dbgPadraoDrawColumnCell(p, r, col, c, s);
        };
        window.resize(950, 400);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    void setUp(TDBGrid *grid, TDataSource *source, const QVector<TDBGrid::TColumn> &columns, int top)
    {
        QPalette colours = grid->palette();
        colours.setColor(QPalette::Base, kInfoBk);
        colours.setColor(QPalette::Highlight, kHighlight);
        colours.setColor(QPalette::HighlightedText, kWhite);
        colours.setColor(QPalette::Text, kBlack);
        grid->setPalette(colours);
        grid->setColumns(columns);
        grid->setDataSource(source);
        grid->setGeometry(0, top, 950, 180);
    }

    static QImage render(TDBGrid *grid)
    {
        QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        grid->viewport()->render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    }
};

Row quote(const QVariant &mark, const QVariant &total, const QVariant &percent, const QVariant &value)
{
    return {{"IDCHECK", mark},      {"NRORCAEVENTO", "1001"}, {"NRSEQORCAEVE", "1"}, {"NMFANTCLIE", "Cliente"},
            {"VRTOTALOREV", total}, {"VRPERCCOMIS", percent}, {"VRCOMISSAO", value}};
}

// The cell as it should look: the background, and the text right-aligned
// 3 pixels in from the right and down from the top, clipped to the cell.
QImage expectedAmountCell(const QImage &rendered, const QRect &cell, const QFont &font, const QString &text)
{
    QImage expected = rendered.copy();
    QPainter painter(&expected);
    painter.fillRect(cell, kInfoBk);
    painter.setClipRect(cell);
    painter.setFont(font);
    painter.setPen(kBlack);
    const QFontMetrics metrics = painter.fontMetrics();
    painter.drawText(cell.x() + cell.width() - metrics.horizontalAdvance(text) - 3, cell.top() + 3 + metrics.ascent(),
                     text);
    painter.end();
    return expected.copy(cell);
}

// Columns of the cell holding anything but the background, as [first, last].
QPair<int, int> inkColumns(const QImage &image, const QRect &cell)
{
    int first = -1, last = -1;
    for (int x = cell.left(); x <= cell.right(); ++x)
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            if (image.pixelColor(x, y) != kInfoBk) {
                if (first < 0)
                    first = x;
                last = x;
            }
    return {first, last};
}

}  // namespace

class GridPaintingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void shouldFormatAmountsWithGroupedThousandsAndTwoDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands") << 1234.5 << "1.234,50";
        QTest::newRow("millions, rounded") << 1234567.891 << "1.234.567,89";
        QTest::newRow("negative") << -1234.5 << "-1.234,50";
        QTest::newRow("zero") << 0.0 << "0,00";
        QTest::newRow("below a cent") << 0.004 << "0,00";
        QTest::newRow("negative below a cent, no sign") << -0.004 << "0,00";
        QTest::newRow("half a cent rounds up") << 0.125 << "0,13";
    }
    void shouldFormatAmountsWithGroupedThousandsAndTwoDecimals()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(AmountCellPainter::format(value), expected);
    }

    void shouldGroupThousandsEvenWhenTheLocaleOmitsThem()
    {
        QLocale omitting(QLocale::English, QLocale::UnitedStates);
        omitting.setNumberOptions(QLocale::OmitGroupSeparator);
        QLocale::setDefault(omitting);
        const QString text = AmountCellPainter::format(1234.5);
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        QCOMPARE(text, QString("1,234.50"));
    }

    void shouldDrawTextCellsWithTheFieldsEditText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        const int text = int(packet::FieldKind::Text), date = int(packet::FieldKind::DateTime);
        const double day = packet::toDayCount(QDate(2024, 3, 15));
        QTest::newRow("text") << text << QVariant("Cliente") << "Cliente";
        QTest::newRow("null text") << text << QVariant() << "";
        QTest::newRow("date") << date << QVariant(day) << "15/03/2024";
        QTest::newRow("date and time") << date << QVariant(day + 0.5) << "15/03/2024 12:00:00";
        QTest::newRow("no date") << date << QVariant(0.0) << "";
        QTest::newRow("number, unformatted") << int(packet::FieldKind::Float) << QVariant(1234.5) << "1234,5";
    }
    void shouldDrawTextCellsWithTheFieldsEditText()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        const FieldDef field{.name = "F", .kind = packet::FieldKind(kind), .size = 50, .displayFormat = "0.00#,##"};
        QCOMPARE(field.editText(value), expected);
    }

    void shouldPaintAmountsRightAlignedOrLeaveThemEmpty_data()
    {
        QTest::addColumn<bool>("quoteGrid");
        QTest::addColumn<QVariantList>("amounts");  // total, percent, value; or the salesperson's value
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");  // empty: the cell shows nothing
        const QVariant null;
        QTest::newRow("total") << true << QVariantList{1234.5, 5.0, 61.725} << 7 << "1.234,50";
        QTest::newRow("negative total") << true << QVariantList{-1234.5, 5.0, -61.725} << 7 << "-1.234,50";
        QTest::newRow("commission") << true << QVariantList{1234.5, 5.0, 61.725} << 9 << "61,73";
        QTest::newRow("only the total: percent") << true << QVariantList{1000.0, null, null} << 8 << "0,00";
        QTest::newRow("only the total: value") << true << QVariantList{1000.0, null, null} << 9 << "0,00";
        QTest::newRow("all null: total") << true << QVariantList{null, null, null} << 7 << "";
        QTest::newRow("all null: value") << true << QVariantList{null, null, null} << 9 << "";
        QTest::newRow("salesperson") << false << QVariantList{1234.5} << 1 << "1.234,50";
        QTest::newRow("salesperson without value") << false << QVariantList{null} << 1 << "";
        QTest::newRow("too wide, leading digits cut")
            << true << QVariantList{123456789012.5, 1.0, 1.0} << 7 << "123.456.789.012,50";
    }
    void shouldPaintAmountsRightAlignedOrLeaveThemEmpty()
    {
        QFETCH(bool, quoteGrid);
        QFETCH(QVariantList, amounts);
        QFETCH(int, column);
        QFETCH(QString, expected);
        const Row quoteRow = quoteGrid ? quote("N", amounts[0], amounts[1], amounts[2]) : quote("N", 1.0, 1.0, 1.0);
        const Row salesRow{{"CDVENDEDOR", "0001"}, {"NMFANVEN", "Ana"}, {"VRCOMISSAO", amounts.last()}};
        Screen s({quoteRow, quote("N", 1.0, 1.0, 1.0)}, {salesRow, salesRow});
        TDBGrid *grid = quoteGrid ? s.dbgOrcamento : s.dbgPadrao;
        s.window.setFocus();  // no cell selected or focused
        const QImage image = Screen::render(grid);
        const QRect cell = (quoteGrid ? s.quoteCells : s.salesCells).value({0, column});
        QVERIFY(cell.isValid());

        const auto [first, last] = inkColumns(image, cell);
        if (expected.isEmpty()) {
            QCOMPARE(first, -1);
            return;
        }
        QCOMPARE(image.copy(cell), expectedAmountCell(image, cell, grid->font(), expected));
        const int right = cell.x() + cell.width();
        QVERIFY2(last < right - 3 && last >= right - 6,
                 qPrintable(QString("last ink at %1, right %2").arg(last).arg(right)));
        if (QFontMetrics(grid->font()).horizontalAdvance(expected) > cell.width())
            QCOMPARE(first, cell.left());
    }

    void shouldShowTheCheckBoxOfTheMark_data()
    {
        QTest::addColumn<QVariant>("mark");
        QTest::addColumn<bool>("current");
        QTest::addColumn<QColor>("tick");    // pixel (6, 8) of the picture: on the tick
        QTest::addColumn<QColor>("inside");  // pixel (4, 4): inside, off the tick
        QTest::newRow("S") << QVariant("S") << false << kBlack << kWhite;
        QTest::newRow("N") << QVariant("N") << false << kWhite << kWhite;
        QTest::newRow("empty") << QVariant("") << false << kSilver << kSilver;
        QTest::newRow("null") << QVariant() << false << kSilver << kSilver;
        QTest::newRow("other letter") << QVariant("X") << false << kSilver << kSilver;
        QTest::newRow("S, selected and focused") << QVariant("S") << true << kBlack << kWhite;
    }
    void shouldShowTheCheckBoxOfTheMark()
    {
        QFETCH(QVariant, mark);
        QFETCH(bool, current);
        QFETCH(QColor, tick);
        QFETCH(QColor, inside);
        Screen s({quote(mark, 1.0, 1.0, 1.0)}, {});
        if (current)
            s.dbgOrcamento->setFocus();
        else
            s.window.setFocus();
        const QImage image = Screen::render(s.dbgOrcamento);
        const QRect cell = s.quoteCells.value({0, 0});
        QVERIFY(cell.isValid());
        const QColor background = current ? kHighlight : kInfoBk;
        const auto at = [&](int x, int y) { return image.pixelColor(cell.left() + 1 + x, cell.top() + y); };
        QCOMPARE(at(6, 8), tick);
        QCOMPARE(at(4, 4), inside);
        QCOMPARE(at(2, 2), kBlack);      // the box's top-left edge
        QCOMPARE(at(12, 12), kSilver);   // its bottom-right line
        QCOMPARE(at(0, 0), background);  // olive in the picture
        QCOMPARE(at(14, 14), background);
        QCOMPARE(image.pixelColor(cell.left(), cell.top()), background);  // the left pixel column: filled
        for (int y = 16; y < cell.height(); ++y)
            QCOMPARE(at(4, y), background);  // below the picture: no letter, no focus rectangle
    }

    void shouldKeepTheFocusRectangleOnlyOnTextCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("kept");
        QTest::newRow("mark") << 0 << false;
        QTest::newRow("client") << 3 << true;
        QTest::newRow("event date") << 5 << true;
        QTest::newRow("total") << 7 << false;
    }
    void shouldKeepTheFocusRectangleOnlyOnTextCells()
    {
        QFETCH(int, column);
        QFETCH(bool, kept);
        Row row = quote("S", 1.0, 1.0, 1.0);
        row["DTEVENTO"] = 45366.0;  // 15/03/2024
        Screen s({row}, {});
        s.dbgOrcamento->setFocus();
        s.dbgOrcamento->setSelectedIndex(column);
        const QImage image = Screen::render(s.dbgOrcamento);
        const QRect cell = s.quoteCells.value({0, column});
        QVERIFY(cell.isValid());
        // The dotted rectangle inverts every other pixel of the border, those
        // whose coordinates add up to an even number.
        const int x = cell.left() + 1 + (cell.left() + 1 + cell.bottom()) % 2;
        const QColor inverted(255 - kHighlight.red(), 255 - kHighlight.green(), 255 - kHighlight.blue());
        QCOMPARE(image.pixelColor(x, cell.bottom()), kept ? inverted : kHighlight);
    }

    void shouldShipTheCheckBoxPicturesAsDrawn_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QColor>("inside");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("imgCheck") << 0 << kWhite << true;
        QTest::newRow("imgUncheck") << 1 << kWhite << false;
        QTest::newRow("imgDescheck") << 2 << kSilver << false;
    }
    void shouldShipTheCheckBoxPicturesAsDrawn()
    {
        QFETCH(int, which);
        QFETCH(QColor, inside);
        QFETCH(bool, ticked);
        const CheckBoxImages images = CheckBoxImages::fromResources();
        const QImage picture = QList<QImage>{images.check, images.uncheck, images.descheck}[which];
        QCOMPARE(picture.size(), QSize(16, 16));
        QCOMPARE(picture.colorCount(), 16);
        int tickPixels = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor pixel = picture.pixelColor(x, y);
                const bool inBox = x >= 2 && x <= 12 && y >= 2 && y <= 12;
                if (!inBox)
                    QCOMPARE(pixel, kOlive);
                else if (x == 12 || (y == 12 && x > 2))
                    QCOMPARE(pixel, kSilver);  // the right and bottom line, the top-right corner included
                else if (x == 2 || y == 2)
                    QCOMPARE(pixel, kBlack);
                else if (pixel == kBlack)
                    ++tickPixels;
                else
                    QCOMPARE(pixel, inside);
            }
        QCOMPARE(tickPixels > 0, ticked);
    }

    void shouldReportAFailingPaintOnceAndStopTheBusyIndicator()
    {
        Screen s({quote("S", 1.0, 1.0, 1.0), quote("N", 2.0, 1.0, 1.0)}, {});
        // A grid whose set lacks the amounts the handler reads.
        TClientDataSet incomplete;
        incomplete.addField({.name = "IDCHECK", .kind = packet::FieldKind::Text, .size = 1});
        incomplete.addField({.name = "VRTOTALOREV", .kind = packet::FieldKind::Float});
        incomplete.loadFromPacket(packetOf(incomplete, {{{"IDCHECK", "S"}, {"VRTOTALOREV", 1.0}}}));
        TDataSource source;
        source.setDataSet(&incomplete);
        s.dbgOrcamento->setDataSource(&source);
        ActiveShowAvi(&s.window, 6);
        Screen::render(s.dbgOrcamento);
        QVERIFY(!BusyIndicatorShown());
        QTRY_COMPARE(s.dialogs.errors().size(), 1);  // shown once painting is over
        Screen::render(s.dbgOrcamento);              // a repaint, as when the error box closes
        // Everything the repaint queued has run: still the one error.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(s.dialogs.errors().size(), 1);
    }
};

QTEST_MAIN(GridPaintingTest)
#include "gridpaintingtest.moc"
