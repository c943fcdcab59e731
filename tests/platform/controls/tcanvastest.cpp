#include "tcanvas.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

const QColor paper(200, 200, 200);
const QColor brush(255, 255, 225);
const QColor olive(128, 128, 0);

QImage blank()
{
    QImage image(60, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(paper);
    return image;
}

// Runs the drawing on a fresh canvas over a grey image and returns the image.
template <typename Draw>
QImage drawn(Draw draw)
{
    QImage image = blank();
    QPainter painter(&image);
    painter.setBrush(brush);
    painter.setPen(Qt::black);
    TCanvas canvas(painter);
    draw(canvas);
    painter.end();
    return image;
}

int pixelsOf(const QImage &image, const QRect &area, const QColor &color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

// A 16 x 16 picture: olive all round, a black box edge, white inside.
QImage checkBox()
{
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(olive);
    QPainter p(&picture);
    p.fillRect(QRect(2, 2, 11, 11), Qt::black);
    p.fillRect(QRect(3, 3, 9, 9), Qt::white);
    return picture;
}

}  // namespace

class TCanvasTest : public QObject {
    Q_OBJECT
private slots:
    void shouldTakeBrushFontAndColourFromThePainter()
    {
        QImage image = blank();
        QPainter painter(&image);
        painter.setBrush(QColor(1, 2, 3));
        painter.setPen(QColor(4, 5, 6));
        TCanvas canvas(painter);
        QCOMPARE(canvas.brushColor(), QColor(1, 2, 3));
        QCOMPARE(canvas.fontColor(), QColor(4, 5, 6));
        QCOMPARE(canvas.TextWidth("0,00"), QFontMetrics(painter.font(), &image).horizontalAdvance("0,00"));
        QCOMPARE(TCanvas::RightOf(QRect(10, 0, 20, 5)), 30);
        QCOMPARE(TCanvas::BottomOf(QRect(0, 4, 5, 17)), 21);
    }

    // Each operation: where it must paint the brush colour and where it must
    // leave the paper alone.
    void shouldFillOnlyWhereTheOperationSays_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QRect>("filled");     // all brush, apart from glyphs
        QTest::addColumn<QRect>("untouched");  // all paper
        QTest::newRow("FillRect") << "fill" << QRect(5, 5, 20, 10) << QRect(25, 5, 10, 10);
        QTest::newRow("TextRect clips a long text") << "textRect" << QRect(5, 5, 20, 16) << QRect(25, 0, 35, 40);
        QTest::newRow("TextOut fills behind its glyphs only") << "textOut" << QRect() << QRect(0, 0, 4, 40);
    }
    void shouldFillOnlyWhereTheOperationSays()
    {
        QFETCH(QString, operation);
        QFETCH(QRect, filled);
        QFETCH(QRect, untouched);
        const QImage image = drawn([&](TCanvas &c) {
            if (operation == "fill")
                c.FillRect(QRect(5, 5, 20, 10));
            else if (operation == "textRect")
                c.TextRect(QRect(5, 5, 20, 16), 7, 8, "1.234.567,89");
            else
                c.TextOut(5, 5, "12,50");
        });
        if (filled.isValid())
            QVERIFY(pixelsOf(image, filled, brush) > filled.width() * filled.height() / 2);
        if (operation == "fill")
            QCOMPARE(pixelsOf(image, filled, brush), filled.width() * filled.height());
        QCOMPARE(pixelsOf(image, untouched, paper), untouched.width() * untouched.height());
        if (operation == "textOut") {
            // The box behind the text is the brush colour where no glyph is.
            const QFontMetrics metrics(QFont(), &image);
            QCOMPARE(image.pixelColor(5, 5), brush);
            QCOMPARE(image.pixelColor(5 + metrics.horizontalAdvance("12,50"), 5), paper);
            QCOMPARE(image.pixelColor(5, 5 + metrics.height()), paper);
        }
    }

    void shouldInvertTheFocusRectangleBorderAndRestoreItTwice()
    {
        QImage before = blank();
        {
            QPainter p(&before);
            p.fillRect(QRect(10, 10, 30, 20), brush);
        }
        QImage image = before;
        const QRect rect(10, 10, 30, 20);
        {
            QPainter painter(&image);
            TCanvas canvas(painter);
            canvas.DrawFocusRect(rect);
        }
        const QColor inverted(255 - brush.red(), 255 - brush.green(), 255 - brush.blue());
        QCOMPARE(image.pixelColor(10, 10), inverted);                            // a dot on the corner
        QCOMPARE(image.pixelColor(11, 10), brush);                               // dotted: every other pixel
        QCOMPARE(pixelsOf(image, rect.adjusted(1, 1, -1, -1), brush), 28 * 18);  // the inside stays
        QCOMPARE(pixelsOf(image, QRect(0, 0, 60, 9), paper), 60 * 9);            // outside stays
        {
            QPainter painter(&image);
            TCanvas canvas(painter);
            canvas.DrawFocusRect(rect);
        }
        QCOMPARE(image, before);
    }

    void shouldCopyTheBitmapWithTheTransparentColourAsBrush_data()
    {
        QTest::addColumn<QPoint>("pixel");  // in the picture
        QTest::addColumn<QColor>("expected");
        QTest::newRow("olive corner") << QPoint(0, 0) << brush;
        QTest::newRow("olive below the box") << QPoint(8, 15) << brush;
        QTest::newRow("box edge") << QPoint(2, 2) << QColor(Qt::black);
        QTest::newRow("inside") << QPoint(7, 7) << QColor(Qt::white);
    }
    void shouldCopyTheBitmapWithTheTransparentColourAsBrush()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        const QPoint at(20, 3);
        // A cell 18 pixels high: the picture's 16 rows, and two rows beyond it.
        const QImage image =
            drawn([&](TCanvas &c) { c.BrushCopy(QRect(at, QSize(16, 18)), checkBox(), QRect(0, 0, 16, 18), olive); });
        QCOMPARE(image.pixelColor(at + pixel), expected);
        QCOMPARE(image.pixelColor(at + QPoint(8, 17)), paper);  // beyond the picture: left alone
        QCOMPARE(image.pixelColor(at + QPoint(16, 5)), paper);  // right of the copy
    }
};

QTEST_MAIN(TCanvasTest)
#include "tcanvastest.moc"
