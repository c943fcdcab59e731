#include "screencolumns.h"

#include <QTest>

class ScreenColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void shouldListTheGridColumns()
    {
        auto describe = [](const QVector<TDBGrid::TColumn> &columns) {
            QStringList result;
            for (const TDBGrid::TColumn &column : columns)
                result << QString("%1 %2").arg(column.fieldName).arg(column.width);
            return result;
        };
        QCOMPARE(describe(screencolumns::vendedoresColumns()), (QStringList{"NMFANVEN 564", "VRCOMISSAO 149"}));
        const QVector<TDBGrid::TColumn> quotes = screencolumns::orcamentosColumns();
        QCOMPARE(describe(quotes),
                 (QStringList{"IDCHECK 17", "NRORCAEVENTO 79", "NRSEQORCAEVE 28", "NMFANTCLIE 260", "NMTIPOEVENTO 120",
                              "DTEVENTO 70", "DTFECHAORCA 83", "VRTOTALOREV 79", "VRPERCCOMIS 79", "VRCOMISSAO 79"}));
        QCOMPARE(quotes[0].alignment, Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(quotes[0].title, QString("4"));
        QVERIFY(quotes[0].hasTitleFont);
        QCOMPARE(quotes[0].titleFont.family(), QString("Monotype Sorts"));
        for (int i = 1; i < quotes.size(); ++i)
            QVERIFY(quotes[i].title.isEmpty() && !quotes[i].hasTitleFont);
    }
};

QTEST_MAIN(ScreenColumnsTest)
#include "screencolumnstest.moc"
