#include "tclientdataset.h"
#include "tdatasource.h"

#include <QTest>

#include <functional>

using packet::FieldKind;
using packet::Packet;

namespace {

// A set of salespeople: code, sequence, commission and date.
void declare(TClientDataSet &set)
{
    set.addField({.name = "CDVENDEDOR", .kind = FieldKind::Text, .size = 4});
    set.addField({.name = "NRSEQ", .kind = FieldKind::FixedText, .size = 2});
    set.addField(
        {.name = "VRCOMISSAO", .kind = FieldKind::Float, .displayLabel = "Valor", .displayFormat = "0.00#,##"});
    set.addField({.name = "DTEVENTO", .kind = FieldKind::DateTime});
}

Packet threeRows()
{
    Packet p;
    p.fields = {{"CDVENDEDOR", FieldKind::Text, 4},
                {"NRSEQ", FieldKind::FixedText, 2},
                {"VRCOMISSAO", FieldKind::Float, 0},
                {"DTEVENTO", FieldKind::DateTime, 0}};
    p.rows = {{QString("0001"), QString("01"), 10.5, 46000.0},
              {QString("0002"), QVariant(), QVariant(), 0.0},
              {QString("Ção"), QString("3"), -2.25, 46001.5}};
    return p;
}

// Records what reaches a data source: the specific signals and the handlers.
struct EventLog {
    QStringList entries;

    void attach(TDataSource &source)
    {
        QObject::connect(&source, &TDataSource::contentReset, [this] { entries << "reset"; });
        QObject::connect(&source, &TDataSource::rowChanged, [this](int row) { entries << QString("row%1").arg(row); });
        QObject::connect(&source, &TDataSource::currentChanged,
                         [this](int row) { entries << QString("current%1").arg(row); });
        QObject::connect(&source, &TDataSource::refreshed, [this] { entries << "refresh"; });
        source.OnStateChange = [this](TDataSource &s) { entries << "state:" + stateName(s.dataSet()->state()); };
        source.OnDataChange = [this](TDataSource &) { entries << "data"; };
    }

    static QString stateName(TClientDataSet::State state)
    {
        switch (state) {
        case TClientDataSet::State::Inactive:
            return "inactive";
        case TClientDataSet::State::Browse:
            return "browse";
        case TClientDataSet::State::Edit:
            return "edit";
        case TClientDataSet::State::Insert:
            return "insert";
        }
        return "?";
    }
};

struct Fixture {
    TClientDataSet set;
    TDataSource source;
    EventLog log;

    Fixture()
    {
        declare(set);
        source.setDataSet(&set);
        set.AfterScroll = [this](TClientDataSet &s) { log.entries << QString("afterScroll%1").arg(s.RecNo()); };
        set.BeforePost = [this](TClientDataSet &) { log.entries << "beforePost"; };
        log.attach(source);
    }

    void loadQuietly(const Packet &p)
    {
        set.loadFromPacket(p);
        log.entries.clear();
    }
};

using Operation = std::function<void(TClientDataSet &)>;

}  // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Packet)

class TClientDataSetTest : public QObject {
    Q_OBJECT
private slots:
    void shouldGiveBackEveryValueLoaded()
    {
        TClientDataSet set;
        declare(set);
        const Packet original = threeRows();
        set.loadFromPacket(original);
        QCOMPARE(set.data(), original);
        QCOMPARE(set.RecordCount(), 3);
        QCOMPARE(set.RecNo(), 0);
        QCOMPARE(set.state(), TClientDataSet::State::Browse);
    }

    void shouldMatchFieldsByNameAndIgnoreExtraOnes()
    {
        TClientDataSet set;
        declare(set);
        Packet p;
        p.fields = {{"EXTRA", FieldKind::Float, 0},
                    {"dtevento", FieldKind::DateTime, 0},
                    {"vrcomissao", FieldKind::Float, 0},
                    {"NRSEQ", FieldKind::Text, 2},
                    {"CDVENDEDOR", FieldKind::FixedText, 10}};
        p.rows = {{1.0, 46000.0, 3.5, QString("01"), QString("0007")}};
        set.loadFromPacket(p);

        QCOMPARE(set.AsString("CDVENDEDOR"), QString("0007"));
        QCOMPARE(set.AsString("NRSEQ"), QString("01"));
        QCOMPARE(set.AsFloat("VRCOMISSAO"), 3.5);
        // Given back with the declared fields only, in their order and kinds.
        const Packet back = set.data();
        QCOMPARE(back.fields.size(), 4);
        QCOMPARE(back.fields[0], (packet::FieldSpec{"CDVENDEDOR", FieldKind::Text, 4}));
        QCOMPARE(back.fields[1], (packet::FieldSpec{"NRSEQ", FieldKind::FixedText, 2}));
        QCOMPARE(back.rows[0], (QVector<QVariant>{QString("0007"), QString("01"), 3.5, 46000.0}));
    }

    void shouldReadNullsAsEmptyTextAndZero()
    {
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        set.MoveTo(1);
        QVERIFY(set.IsNull("NRSEQ"));
        QCOMPARE(set.AsString("NRSEQ"), QString());
        QVERIFY(set.IsNull("VRCOMISSAO"));
        QCOMPARE(set.AsFloat("VRCOMISSAO"), 0.0);
        QCOMPARE(set.AsString("VRCOMISSAO"), QString());
        QVERIFY(!set.IsNull("DTEVENTO"));
        QCOMPARE(set.AsFloat("DTEVENTO"), 0.0);
    }

    void shouldCountANeverLoadedOrEmptySetAsEmpty()
    {
        TClientDataSet set;
        declare(set);
        QVERIFY(set.IsEmpty());
        QCOMPARE(set.RecordCount(), 0);
        QCOMPARE(set.RecNo(), -1);
        QCOMPARE(set.AsString("CDVENDEDOR"), QString());  // no current row reads as null

        Packet empty = threeRows();
        empty.rows.clear();
        set.loadFromPacket(empty);
        QVERIFY(set.Active());
        QVERIFY(set.IsEmpty());
        QVERIFY(set.Eof());
        QVERIFY(set.Bof());
        QCOMPARE(set.data(), empty);
    }

    void shouldRefuseAPacketThatDoesNotFitAndKeepEverything_data()
    {
        QTest::addColumn<Packet>("bad");
        QTest::addColumn<QString>("field");

        Packet missing = threeRows();
        missing.fields.removeAt(2);
        for (auto &row : missing.rows)
            row.removeAt(2);
        QTest::newRow("missing field") << missing << "VRCOMISSAO";

        Packet dateAsFloat = threeRows();
        dateAsFloat.fields[3].kind = FieldKind::Float;
        QTest::newRow("float where a date is declared") << dateAsFloat << "DTEVENTO";

        Packet textAsFloat = threeRows();
        textAsFloat.fields[0] = {"CDVENDEDOR", FieldKind::Float, 0};
        QTest::newRow("float where text is declared") << textAsFloat << "CDVENDEDOR";

        Packet tooLong = threeRows();
        tooLong.fields[0].size = 10;
        tooLong.rows[2][0] = QString("00003");
        QTest::newRow("text longer than declared") << tooLong << "CDVENDEDOR";

        Packet textValue = threeRows();
        textValue.rows[1][2] = QString("1,5");
        QTest::newRow("text value in a float field") << textValue << "VRCOMISSAO";

        Packet infinite = threeRows();
        infinite.rows[2][3] = qInf();
        QTest::newRow("infinite date") << infinite << "DTEVENTO";

        Packet shortRow = threeRows();
        shortRow.rows[1].removeLast();
        QTest::newRow("row with too few values") << shortRow << "linha 2";
    }

    void shouldRefuseAPacketThatDoesNotFitAndKeepEverything()
    {
        QFETCH(Packet, bad);
        QFETCH(QString, field);

        Fixture f;
        f.loadQuietly(threeRows());
        f.set.MoveTo(2);
        f.set.Edit();
        f.set.setValue("VRCOMISSAO", 99.0);
        f.log.entries.clear();

        try {
            f.set.loadFromPacket(bad);
            QFAIL("the packet was accepted");
        } catch (const packet::PacketError &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(field), error.what());
        }
        QCOMPARE(f.set.state(), TClientDataSet::State::Edit);
        QCOMPARE(f.set.RecNo(), 2);
        QCOMPARE(f.set.AsFloat("VRCOMISSAO"), 99.0);
        QCOMPARE(f.set.data(), threeRows());
        QCOMPARE(f.log.entries, QStringList());
    }

    void shouldNavigateWithBofEofAndScrollOnlyOnMoves_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<bool>("bof");
        QTest::addColumn<bool>("eof");
        QTest::addColumn<QStringList>("events");

        QTest::newRow("after load") << "" << 0 << true << false << QStringList();
        QTest::newRow("first on first row") << "F" << 0 << true << false << QStringList();
        QTest::newRow("next") << "N" << 1 << false << false << QStringList{"current1", "data", "afterScroll1"};
        QTest::newRow("past the end") << "NNN" << 2 << false << true << QStringList{"current1", "data", "afterScroll1",
                                                                                    "current2", "data", "afterScroll2"};
        QTest::newRow("last then prior") << "LP" << 1 << false << false
                                         << QStringList{"current2", "data", "afterScroll2",
                                                        "current1", "data", "afterScroll1"};
        QTest::newRow("prior before the start") << "P" << 0 << true << false << QStringList();
        QTest::newRow("last then first") << "LF" << 0 << true << false
                                         << QStringList{"current2", "data", "afterScroll2",
                                                        "current0", "data", "afterScroll0"};
        QTest::newRow("move to") << "2" << 2 << false << false << QStringList{"current2", "data", "afterScroll2"};
        QTest::newRow("move to the current row") << "0" << 0 << false << false << QStringList();
    }

    void shouldNavigateWithBofEofAndScrollOnlyOnMoves()
    {
        QFETCH(QString, moves);
        QFETCH(int, recNo);
        QFETCH(bool, bof);
        QFETCH(bool, eof);
        QFETCH(QStringList, events);

        Fixture f;
        f.loadQuietly(threeRows());
        for (QChar move : moves) {
            switch (move.toLatin1()) {
            case 'F':
                f.set.First();
                break;
            case 'N':
                f.set.Next();
                break;
            case 'P':
                f.set.Prior();
                break;
            case 'L':
                f.set.Last();
                break;
            default:
                f.set.MoveTo(move.digitValue());
                break;
            }
        }
        QCOMPARE(f.set.RecNo(), recNo);
        QCOMPARE(f.set.Bof(), bof);
        QCOMPARE(f.set.Eof(), eof);
        QCOMPARE(f.log.entries, events);
    }

    void shouldWalkEveryRowWithTheEofLoop()
    {
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        QStringList codes;
        set.First();
        while (!set.Eof()) {
            codes << set.AsString("CDVENDEDOR");
            set.Next();
        }
        QCOMPARE(codes, (QStringList{"0001", "0002", "Ção"}));
    }

    void shouldReportEventsInOrder_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QStringList>("events");

        QTest::newRow("load on a loaded set")
            << Operation([](TClientDataSet &s) { s.loadFromPacket(threeRows()); }) << QStringList{"reset", "data"};
        QTest::newRow("edit") << Operation([](TClientDataSet &s) { s.Edit(); }) << QStringList{"state:edit"};
        QTest::newRow("edit twice") << Operation([](TClientDataSet &s) {
            s.Edit();
            s.Edit();
        }) << QStringList{"state:edit"};
        QTest::newRow("edit, set, post") << Operation([](TClientDataSet &s) {
            s.Edit();
            s.setValue("NRSEQ", QString("09"));
            s.Post();
        }) << QStringList{"state:edit", "row0", "data", "beforePost", "state:browse", "row0", "data"};
        QTest::newRow("edit, set, cancel") << Operation([](TClientDataSet &s) {
            s.Edit();
            s.setValue("NRSEQ", QString("09"));
            s.Cancel();
        }) << QStringList{"state:edit", "row0", "data", "state:browse", "row0", "data"};
        QTest::newRow("next posts the pending edit first") << Operation([](TClientDataSet &s) {
            s.Edit();
            s.Next();
        }) << QStringList{"state:edit", "beforePost", "state:browse", "row0",
                          "data",       "current1",   "data",         "afterScroll1"};
        QTest::newRow("load while editing") << Operation([](TClientDataSet &s) {
            s.Edit();
            s.loadFromPacket(threeRows());
        }) << QStringList{"state:edit", "state:browse", "reset", "data"};
        QTest::newRow("close") << Operation([](TClientDataSet &s) { s.Close(); })
                               << QStringList{"state:inactive", "reset", "data"};
        QTest::newRow("close, open, load") << Operation([](TClientDataSet &s) {
            s.Close();
            s.Open();
            s.loadFromPacket(threeRows());
        }) << QStringList{"state:inactive", "reset", "data", "state:browse", "reset", "data", "reset", "data"};
        QTest::newRow("cancel in browse") << Operation([](TClientDataSet &s) { s.Cancel(); }) << QStringList();
    }

    void shouldReportEventsInOrder()
    {
        QFETCH(Operation, operation);
        QFETCH(QStringList, events);
        Fixture f;
        f.loadQuietly(threeRows());
        operation(f.set);
        QCOMPARE(f.log.entries, events);
    }

    void shouldOpenOnLoadWithStateChangeAndNoScroll()
    {
        Fixture f;
        f.set.loadFromPacket(threeRows());
        QCOMPARE(f.log.entries, (QStringList{"state:browse", "reset", "data"}));
    }

    void shouldRunBeforePostOnEveryPost()
    {
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        int posts = 0;
        set.BeforePost = [&posts](TClientDataSet &s) {
            ++posts;
            s.setValue("VRCOMISSAO", s.AsFloat("VRCOMISSAO") + 1);
        };
        set.Edit();
        set.Post();  // explicit, nothing changed
        set.Edit();
        set.Next();  // navigation posts
        set.Edit();
        set.Last();
        set.Edit();
        set.MoveTo(0);
        QCOMPARE(posts, 4);
        QCOMPARE(set.data().rows[0][2].toDouble(), 12.5);
        QCOMPARE(set.data().rows[1][2].toDouble(), 1.0);
        QCOMPARE(set.data().rows[2][2].toDouble(), -1.25);
    }

    void shouldKeepTheRowInEditWhenBeforePostThrows()
    {
        Fixture f;
        f.loadQuietly(threeRows());
        f.set.BeforePost = [](TClientDataSet &) { throw DataSetError("recusado"); };
        f.set.Edit();
        f.set.setValue("CDVENDEDOR", QString("0099"));

        QVERIFY_THROWS_EXCEPTION(DataSetError, f.set.Post());
        QCOMPARE(f.set.state(), TClientDataSet::State::Edit);
        QCOMPARE(f.set.AsString("CDVENDEDOR"), QString("0099"));
        QCOMPARE(f.set.data(), threeRows());  // nothing stored

        QVERIFY_THROWS_EXCEPTION(DataSetError, f.set.Next());
        QCOMPARE(f.set.RecNo(), 0);  // the refused post keeps the cursor too

        f.set.Cancel();
        QCOMPARE(f.set.state(), TClientDataSet::State::Browse);
        QCOMPARE(f.set.AsString("CDVENDEDOR"), QString("0001"));
    }

    void shouldGiveBackPostedValuesWhileEditing()
    {
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        set.Edit();
        set.setValue("VRCOMISSAO", 7.0);
        QCOMPARE(set.valueAt(0, 2).toDouble(), 7.0);
        QCOMPARE(set.data(), threeRows());
        set.Post();
        QCOMPARE(set.data().rows[0][2].toDouble(), 7.0);
    }

    void shouldRefuseValuesThatDoNotFit_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("editing");

        QTest::newRow("too long") << "CDVENDEDOR" << QVariant(QString("12345")) << true;
        QTest::newRow("fixed text too long") << "NRSEQ" << QVariant(QString("123")) << true;
        QTest::newRow("number in text") << "CDVENDEDOR" << QVariant(12) << true;
        QTest::newRow("text in float") << "VRCOMISSAO" << QVariant(QString("1.5")) << true;
        QTest::newRow("text in date") << "DTEVENTO" << QVariant(QString("01/01/2025")) << true;
        QTest::newRow("not a number") << "VRCOMISSAO" << QVariant(qQNaN()) << true;
        QTest::newRow("unknown field") << "NMFANVEN" << QVariant(QString("x")) << true;
        QTest::newRow("not editing") << "CDVENDEDOR" << QVariant(QString("1")) << false;
    }

    void shouldRefuseValuesThatDoNotFit()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, editing);
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        if (editing)
            set.Edit();
        try {
            set.setValue(field, value);
            QFAIL("the value was accepted");
        } catch (const DataSetError &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(field), error.what());
        }
        QCOMPARE(set.valueAt(0, 0), QVariant(QString("0001")));
        QCOMPARE(set.valueAt(0, 2), QVariant(10.5));
    }

    void shouldStoreDatesAndNumbersGivenInOtherTypes()
    {
        TClientDataSet set;
        declare(set);
        set.loadFromPacket(threeRows());
        set.Edit();
        set.setValue("DTEVENTO", QDate(2025, 12, 1));
        set.setValue("VRCOMISSAO", 3);
        set.setValue("NRSEQ", QVariant());
        set.Post();
        QCOMPARE(set.valueAt(0, 3), QVariant(45992.0));
        QCOMPARE(set.valueAt(0, 2).typeId(), QMetaType::Double);
        QVERIFY(set.IsNull("NRSEQ"));
    }

    void shouldKeepControlsQuietWhileDisabledAndRefreshOnce_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QStringList>("events");

        QTest::newRow("toggle every row (as the mark inversion does)") << Operation([](TClientDataSet &s) {
            s.First();
            while (!s.Eof()) {
                s.Edit();
                s.setValue("NRSEQ", QString("X"));
                s.Post();
                s.Next();
            }
            s.First();
        }) << QStringList{"afterScroll1", "afterScroll2", "afterScroll0", "refresh", "data"};
        QTest::newRow("left in edit") << Operation([](TClientDataSet &s) { s.Edit(); })
                                      << QStringList{"state:edit", "refresh", "data"};
        QTest::newRow("reloaded") << Operation([](TClientDataSet &s) { s.loadFromPacket(threeRows()); })
                                  << QStringList{"reset", "data"};
        QTest::newRow("nothing done") << Operation([](TClientDataSet &) {}) << QStringList{"refresh", "data"};
    }

    void shouldKeepControlsQuietWhileDisabledAndRefreshOnce()
    {
        QFETCH(Operation, operation);
        QFETCH(QStringList, events);
        Fixture f;
        f.loadQuietly(threeRows());
        f.set.BeforePost = nullptr;

        f.set.DisableControls();
        f.set.DisableControls();
        operation(f.set);
        f.set.EnableControls();
        QVERIFY(f.set.ControlsDisabled());
        QStringList beforeLastEnable = f.log.entries;
        beforeLastEnable.removeIf([](const QString &e) { return !e.startsWith("afterScroll"); });
        QCOMPARE(f.log.entries, beforeLastEnable);  // only the set's own handlers ran

        f.set.EnableControls();
        QVERIFY(!f.set.ControlsDisabled());
        QCOMPARE(f.log.entries, events);

        f.set.EnableControls();  // unbalanced: ignored
        QCOMPARE(f.log.entries, events);
    }

    void shouldPropagateAHandlerErrorToTheOperation()
    {
        Fixture f;
        f.loadQuietly(threeRows());
        f.source.OnDataChange = [](TDataSource &) { throw DataSetError("handler"); };
        int scrolls = 0;
        f.set.AfterScroll = [&scrolls](TClientDataSet &) { ++scrolls; };
        QVERIFY_THROWS_EXCEPTION(DataSetError, f.set.Next());
        QCOMPARE(f.set.RecNo(), 1);  // the move happened; what follows it did not
        QCOMPARE(scrolls, 0);
        QCOMPARE(f.log.entries, QStringList{"current1"});  // controls were told before the handler
    }

    void shouldRefuseOperationsOnAClosedSet()
    {
        TClientDataSet set;
        declare(set);
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.First());
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.Edit());
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.Post());
        set.Open();
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.Edit());  // no row
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.MoveTo(0));
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.addField({.name = "X", .kind = FieldKind::Float}));
        set.Close();
        set.addField({.name = "X", .kind = FieldKind::Float});
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.addField({.name = "x", .kind = FieldKind::Float}));
        QVERIFY_THROWS_EXCEPTION(DataSetError, set.addField({.name = "Y", .kind = FieldKind::Text}));
    }

    void shouldForgetItsDataSourcesWhenDestroyed()
    {
        TDataSource source;
        int changes = 0;
        QObject::connect(&source, &TDataSource::dataSetChanged, [&changes] { ++changes; });
        {
            TClientDataSet set;
            source.setDataSet(&set);
            TDataSource other;
            other.setDataSet(&set);
        }  // `other` goes first, then the set
        QCOMPARE(source.dataSet(), nullptr);
        QCOMPARE(changes, 2);
    }
};

QTEST_GUILESS_MAIN(TClientDataSetTest)
#include "tclientdatasettest.moc"
