#include "modulecatalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ModuleCatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void shouldReadOneModulePerLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");  // "file|title", the file relative to the folder

        QTest::newRow("one module") << QByteArray("libA.so = Manutenção da Comissão\n")
                                    << QStringList{"libA.so|Manutenção da Comissão"};
        QTest::newRow("comments and blanks")
            << QByteArray("# modules\n\n  libA.so=Primeiro  # the first\nlibB.so = Segundo\n")
            << QStringList{"libA.so|Primeiro", "libB.so|Segundo"};
        QTest::newRow("incomplete lines left out")
            << QByteArray("libA.so\n= Sem arquivo\nlibB.so =\nlibC.so = Certo\n") << QStringList{"libC.so|Certo"};
        QTest::newRow("absolute path kept") << QByteArray("/opt/m/libA.so = A\n") << QStringList{"/opt/m/libA.so|A"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void shouldReadOneModulePerLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("modules.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        QStringList read;
        for (const ModuleCatalogue::Entry &entry : ModuleCatalogue::read(file.fileName())) {
            const QString path = entry.path.startsWith(dir.path()) ? entry.path.mid(dir.path().size() + 1) : entry.path;
            read << path + QLatin1Char('|') + entry.title;
        }
        QCOMPARE(read, expected);
    }

    void shouldOfferNothingWithoutAFile()
    {
        QVERIFY(ModuleCatalogue::read(QStringLiteral("/nonexistent/modules.ini")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ModuleCatalogueTest)
#include "modulecataloguetest.moc"
