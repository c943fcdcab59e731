#include "datasetmodel.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using packet::FieldKind;
using packet::Packet;

namespace {

void declare(TClientDataSet &set)
{
    set.addField({.name = "IDCHECK", .kind = FieldKind::Text, .size = 1, .visible = false});
    set.addField({.name = "NMFANTCLIE", .kind = FieldKind::Text, .size = 50, .displayLabel = "Cliente"});
    set.addField({.name = "DTEVENTO", .kind = FieldKind::DateTime, .displayLabel = "Dt. Evento"});
    set.addField({.name = "VRTOTALOREV",
                  .kind = FieldKind::Float,
                  .displayLabel = "Vr. Orçamento",
                  .displayFormat = "0.00#,##"});
    set.addField({.name = "VRPERCCOMIS", .kind = FieldKind::Float, .displayLabel = "% Comissão"});
}

Packet quotes(int count)
{
    Packet p;
    p.fields = {{"IDCHECK", FieldKind::Text, 1},
                {"NMFANTCLIE", FieldKind::Text, 50},
                {"DTEVENTO", FieldKind::DateTime, 0},
                {"VRTOTALOREV", FieldKind::Float, 0},
                {"VRPERCCOMIS", FieldKind::Float, 0}};
    for (int i = 0; i < count; ++i)
        p.rows.append({QString("S"), QString("Cliente %1").arg(i), 46000.0 + i, 1000.0 * (i + 1), 5.0});
    return p;
}

// A set, its data source and a model watched by the item-model tester.
struct Fixture {
    TClientDataSet set;
    TDataSource source;
    DataSetModel model;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit Fixture(const QStringList &columns = {})
    {
        declare(set);
        source.setDataSet(&set);
        model.setColumns(columns);
        model.setDataSource(&source);
        tester =
            std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
};

}  // namespace

class DataSetModelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void shouldShowTheVisibleFieldsWithoutAColumnList()
    {
        Fixture f;
        QCOMPARE(f.model.columnFields(), (QStringList{"NMFANTCLIE", "DTEVENTO", "VRTOTALOREV", "VRPERCCOMIS"}));
        QCOMPARE(f.model.headerData(0, Qt::Horizontal).toString(), QString("Cliente"));
        QCOMPARE(f.model.headerData(2, Qt::Horizontal).toString(), QString("Vr. Orçamento"));
        QCOMPARE(f.model.headerData(2, Qt::Horizontal, Qt::UserRole).toString(), QString("VRTOTALOREV"));
        QCOMPARE(f.model.rowCount(), 0);
    }

    void shouldShowListedColumnsHiddenOrNot()
    {
        Fixture f({"IDCHECK", "VRPERCCOMIS", "NMFANTCLIE"});
        f.set.loadFromPacket(quotes(2));
        QCOMPARE(f.model.columnCount(), 3);
        QCOMPARE(f.model.columnOfField("nmfantclie"), 2);
        QCOMPARE(f.model.columnOfField("DTEVENTO"), -1);
        QCOMPARE(f.model.fieldAt(0), QString("IDCHECK"));
        QCOMPARE(f.model.headerData(0, Qt::Horizontal).toString(), QString("IDCHECK"));  // no label: the name
        QCOMPARE(f.model.data(f.model.index(1, 0)).toString(), QString("S"));
        QCOMPARE(f.model.data(f.model.index(1, 2), Qt::UserRole).toString(), QString("NMFANTCLIE"));
    }

    void shouldFormatValuesForDisplay_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("display");

        QTest::newRow("amount grouped, two decimals") << "VRTOTALOREV" << QVariant(1234567.5) << "1.234.567,50";
        QTest::newRow("amount rounded") << "VRTOTALOREV" << QVariant(0.125) << "0,13";
        QTest::newRow("negative amount") << "VRTOTALOREV" << QVariant(-1500.0) << "-1.500,00";
        QTest::newRow("null amount") << "VRTOTALOREV" << QVariant() << "";
        QTest::newRow("float without format") << "VRPERCCOMIS" << QVariant(12345.25) << "12345,25";
        QTest::newRow("date") << "DTEVENTO" << QVariant(45992.75) << "01/12/2025";
        QTest::newRow("no date") << "DTEVENTO" << QVariant(0.0) << "";
        QTest::newRow("null date") << "DTEVENTO" << QVariant() << "";
        QTest::newRow("text with accents") << "NMFANTCLIE" << QVariant(QString("Ação Eventos")) << "Ação Eventos";
    }

    void shouldFormatValuesForDisplay()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, display);
        Fixture f;
        f.set.loadFromPacket(quotes(1));
        f.set.Edit();
        f.set.setValue(field, value);
        f.set.Post();
        const QModelIndex cell = f.model.index(0, f.model.columnOfField(field));
        QCOMPARE(f.model.data(cell).toString(), display);
        QCOMPARE(f.model.data(cell, Qt::EditRole), f.set.value(field));
    }

    void shouldResetOnLoadsAndReportRowChanges()
    {
        Fixture f;
        QSignalSpy resets(&f.model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&f.model, &QAbstractItemModel::dataChanged);

        f.set.loadFromPacket(quotes(3));
        QCOMPARE(resets.count(), 1);
        QCOMPARE(f.model.rowCount(), 3);

        f.set.MoveTo(1);
        f.set.Edit();
        f.set.setValue("VRPERCCOMIS", 7.5);
        QCOMPARE(f.model.data(f.model.index(1, 3)).toString(), QString("7,5"));  // pending value shown
        f.set.Post();
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.last().at(0).toModelIndex(), f.model.index(1, 0));
        QCOMPARE(changes.last().at(1).toModelIndex(), f.model.index(1, 3));

        f.set.loadFromPacket(quotes(1));
        QCOMPARE(resets.count(), 2);
        QCOMPARE(f.model.rowCount(), 1);
        f.set.Close();
        QCOMPARE(f.model.rowCount(), 0);
    }

    void shouldRefreshEveryCellOnceAfterDisabledControls()
    {
        Fixture f;
        f.set.loadFromPacket(quotes(4));
        QSignalSpy resets(&f.model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&f.model, &QAbstractItemModel::dataChanged);

        f.set.DisableControls();
        for (f.set.First(); !f.set.Eof(); f.set.Next()) {
            f.set.Edit();
            f.set.setValue("IDCHECK", QString("N"));
            f.set.Post();
        }
        QCOMPARE(changes.count(), 0);
        f.set.EnableControls();
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toModelIndex(), f.model.index(0, 0));
        QCOMPARE(changes.at(0).at(1).toModelIndex(), f.model.index(3, 3));
        QCOMPARE(resets.count(), 0);

        f.set.DisableControls();
        f.set.loadFromPacket(quotes(2));
        f.set.EnableControls();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(f.model.rowCount(), 2);
    }

    void shouldEditAndPostThroughTheSet_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("typed");
        QTest::addColumn<QVariant>("stored");

        QTest::newRow("number") << "VRPERCCOMIS" << QVariant(12.0) << QVariant(12.0);
        QTest::newRow("digits as text") << "VRPERCCOMIS" << QVariant(QString("15")) << QVariant(15.0);
        QTest::newRow("locale decimal") << "VRPERCCOMIS" << QVariant(QString("2,5")) << QVariant(2.5);
        QTest::newRow("blank number") << "VRPERCCOMIS" << QVariant(QString(" ")) << QVariant();
        QTest::newRow("date") << "DTEVENTO" << QVariant(QDate(2025, 12, 31)) << QVariant(46022.0);
        QTest::newRow("text") << "NMFANTCLIE" << QVariant(QString("Novo")) << QVariant(QString("Novo"));
    }

    void shouldEditAndPostThroughTheSet()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, typed);
        QFETCH(QVariant, stored);
        Fixture f;
        f.set.loadFromPacket(quotes(3));
        int posts = 0;
        f.set.BeforePost = [&posts](TClientDataSet &) { ++posts; };

        QVERIFY(f.model.setData(f.model.index(2, f.model.columnOfField(field)), typed));
        QCOMPARE(posts, 1);
        QCOMPARE(f.set.state(), TClientDataSet::State::Browse);
        QCOMPARE(f.set.RecNo(), 2);
        QCOMPARE(f.set.data().rows[2][f.set.fieldIndex(field)], stored);
    }

    void shouldRefuseTextThatIsNotANumber()
    {
        Fixture f;
        f.set.loadFromPacket(quotes(1));
        QVERIFY(!f.model.setData(f.model.index(0, f.model.columnOfField("VRPERCCOMIS")), QString("5%")));
        QCOMPARE(f.set.state(), TClientDataSet::State::Browse);
        QCOMPARE(f.set.data(), quotes(1));
    }

    void shouldLetTheSetsErrorsReachTheCaller()
    {
        Fixture f;
        f.set.loadFromPacket(quotes(1));
        QVERIFY_THROWS_EXCEPTION(DataSetError, f.model.setData(f.model.index(0, 0), QString(51, QLatin1Char('x'))));
        f.set.Cancel();
        QCOMPARE(f.set.data(), quotes(1));
    }

    void shouldFollowTheLinkedSetAndItsEnd()
    {
        Fixture f;
        f.set.loadFromPacket(quotes(2));
        auto other = std::make_unique<TClientDataSet>();
        other->addField({.name = "NMFANTCLIE", .kind = FieldKind::Text, .size = 50});
        other->loadFromPacket(quotes(5));

        f.source.setDataSet(other.get());
        QCOMPARE(f.model.rowCount(), 5);
        QCOMPARE(f.model.columnFields(), QStringList{"NMFANTCLIE"});
        other.reset();
        QCOMPARE(f.model.rowCount(), 0);
        QCOMPARE(f.model.columnCount(), 0);

        auto source = std::make_unique<TDataSource>();
        source->setDataSet(&f.set);
        f.model.setDataSource(source.get());
        QCOMPARE(f.model.rowCount(), 2);
        source.reset();
        QCOMPARE(f.model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(DataSetModelTest)
#include "datasetmodeltest.moc"
