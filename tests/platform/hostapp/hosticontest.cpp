// The product's icon on every window of the host once the start-up applied it.

#include "hosticon.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QTest>

class HostIconTest : public QObject {
    Q_OBJECT
private slots:
    void shouldPutTheProductsIconOnEveryWindow()
    {
        QVERIFY(QApplication::windowIcon().isNull());
        HostIcon::apply();
        const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
        for (const int side : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        QMainWindow window;
        QDialog dialog(&window);
        for (const QWidget *shown : {static_cast<QWidget *>(&window), static_cast<QWidget *>(&dialog)})
            QCOMPARE(shown->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        // The picture is ours: the green of its percent sign at the lower right.
        const QImage picture = QApplication::windowIcon().pixmap(64).toImage();
        QCOMPARE(picture.size(), QSize(64, 64));
        const QColor green = picture.pixelColor(44, 56);
        QVERIFY2(green.green() > 150 && green.red() < 100, qPrintable(green.name()));
    }
};

QTEST_MAIN(HostIconTest)
#include "hosticontest.moc"
