// The command glyphs: each has a greyed picture of its own for a disabled
// button, and a disabled button of a form is drawn with it.

#include "commandglyphs.h"
#include "tfrmpadraogrid.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(QIcon)

namespace {

// Whether every visible point of the picture is grey (no colour left).
bool allGrey(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb point = image.pixel(x, y);
            if (qAlpha(point) > 0 && (qRed(point) != qGreen(point) || qGreen(point) != qBlue(point)))
                return false;
        }
    }
    return true;
}

QPixmap redSquare()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(QRect(2, 2, 12, 12), Qt::red);
    return picture;
}

}  // namespace

class CommandGlyphsTest : public QObject {
    Q_OBJECT
private slots:
    void shouldGreyThePictureOfADisabledButton_data()
    {
        QTest::addColumn<QIcon>("icon");
        QTest::newRow("print") << commandGlyph(CommandGlyph::Print);
        QTest::newRow("search") << commandGlyph(CommandGlyph::Search);
        QTest::newRow("insert, in colour") << commandGlyph(CommandGlyph::Insert);
        QTest::newRow("help, with a text") << commandGlyph(CommandGlyph::Help);
        QTest::newRow("a picture of the screen's own") << glyphIcon(redSquare());
    }
    void shouldGreyThePictureOfADisabledButton()
    {
        QFETCH(QIcon, icon);
        const QImage normal = icon.pixmap(16, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(16, QIcon::Disabled).toImage();
        QCOMPARE(disabled.size(), normal.size());
        QVERIFY(disabled != normal);
        QVERIFY(allGrey(disabled));
    }

    void shouldDrawADisabledToolbarButtonGreyed_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("print") << "sbtImprimir";
        QTest::newRow("delete") << "sbtExcluir";
    }
    void shouldDrawADisabledToolbarButtonGreyed()
    {
        QFETCH(QString, button);
        TfrmPadraoGrid form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *tool = form.findChild<QToolButton *>(button);
        QVERIFY(tool);
        tool->setEnabled(true);
        const QImage enabled = tool->grab().toImage();
        tool->setEnabled(false);
        const QImage disabled = tool->grab().toImage();
        QVERIFY(disabled != enabled);
        QVERIFY(allGrey(disabled.convertToFormat(QImage::Format_ARGB32)));
    }
};

QTEST_MAIN(CommandGlyphsTest)
#include "commandglyphstest.moc"
