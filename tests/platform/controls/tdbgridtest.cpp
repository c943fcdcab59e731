#include "tdbgrid.h"
#include "datasetmodel.h"
#include "hostoperations.h"
#include "scripteddialogs.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMap>
#include <QPainter>
#include <QTest>

#include <stdexcept>

using packet::FieldKind;
using Grid = TDBGrid;

namespace {

packet::Packet quotes(int count)
{
    packet::Packet p;
    p.fields = {{"IDCHECK", FieldKind::Text, 1},
                {"NMFANTCLIE", FieldKind::Text, 50},
                {"VRTOTALOREV", FieldKind::Float, 0},
                {"VRPERCCOMIS", FieldKind::Float, 0}};
    for (int i = 0; i < count; ++i)
        p.rows.append({QString("S"), QString("Cliente %1").arg(i), 100.0 * (i + 1), 5.0});
    return p;
}

// A shown, focused grid over a set of quotes, counting AfterScroll and posts.
struct Fixture {
    ScriptedDialogs dialogs;
    TClientDataSet set;
    TDataSource source;
    QWidget window;
    Grid *grid = new Grid(&window);
    int scrolls = 0;
    int posts = 0;

    explicit Fixture(int rows = 5, const QVector<Grid::TColumn> &columns = {})
    {
        set.addField({.name = "IDCHECK", .kind = FieldKind::Text, .size = 1, .visible = false});
        set.addField({.name = "NMFANTCLIE", .kind = FieldKind::Text, .size = 50, .displayLabel = "Cliente"});
        set.addField({.name = "VRTOTALOREV", .kind = FieldKind::Float, .displayLabel = "Total"});
        set.addField({.name = "VRPERCCOMIS", .kind = FieldKind::Float, .displayLabel = "%"});
        set.AfterScroll = [this](TClientDataSet &) { ++scrolls; };
        set.BeforePost = [this](TClientDataSet &) { ++posts; };
        source.setDataSet(&set);
        set.loadFromPacket(quotes(rows));
        grid->setColumns(columns);
        grid->setDataSource(&source);
        new QAbstractItemModelTester(grid->dataModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, grid);
        grid->setGeometry(0, 0, 600, 300);
        window.resize(600, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QPoint cellCentre(int row, int column) const
    {
        return grid->visualRect(grid->dataModel()->index(row, column)).center();
    }
    void click(int row, int column)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }
};

// Types each character into whatever has the focus, as a person would.
void type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

QVector<Grid::TColumn> quoteColumns()
{
    Grid::TColumn mark{.fieldName = "IDCHECK", .width = 17, .title = "4", .alignment = Qt::AlignCenter};
    mark.titleFont = QFont("Monotype Sorts");
    mark.hasTitleFont = true;
    return {mark,
            {.fieldName = "NMFANTCLIE", .width = 260},
            {.fieldName = "VRTOTALOREV", .width = 79},
            {.fieldName = "VRPERCCOMIS", .width = 79}};
}

}  // namespace

class TDBGridTest : public QObject {
    Q_OBJECT
private slots:
    void shouldReportClicksWhereTheyHappen_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("cellClicks");
        QTest::addColumn<int>("titleClicks");
        QTest::addColumn<int>("expectedRow");
        QTest::newRow("data cell") << "cell" << 1 << 0 << 3;
        QTest::newRow("column title") << "title" << 0 << 1 << 0;
        QTest::newRow("below the rows") << "empty" << 0 << 0 << 0;
    }
    void shouldReportClicksWhereTheyHappen()
    {
        QFETCH(QString, where);
        QFETCH(int, cellClicks);
        QFETCH(int, titleClicks);
        QFETCH(int, expectedRow);
        Fixture f(5, quoteColumns());
        QStringList cellFields, titleFields;
        int rowAtClick = -1;
        f.grid->OnCellClick = [&](const Grid::TColumn &c) {
            cellFields << c.fieldName;
            rowAtClick = f.set.RecNo();
        };
        f.grid->OnTitleClick = [&](const Grid::TColumn &c) { titleFields << c.fieldName; };

        if (where == "cell") {
            f.click(3, 2);
        } else if (where == "title") {
            QHeaderView *header = f.grid->horizontalHeader();
            const QPoint at(header->sectionViewportPosition(2) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(f.grid->viewport(), Qt::LeftButton, {}, QPoint(300, 290));
        }
        QCOMPARE(cellFields.size(), cellClicks);
        QCOMPARE(titleFields.size(), titleClicks);
        if (cellClicks) {
            QCOMPARE(cellFields.first(), QString("VRTOTALOREV"));
            QCOMPARE(rowAtClick, 3);  // the click made the row current before the handler ran
        }
        if (titleClicks)
            QCOMPARE(titleFields.first(), QString("VRTOTALOREV"));
        QCOMPARE(f.set.RecNo(), expectedRow);  // a title click does not move the set
    }

    void shouldReportOneDoubleClickPerDoubleClick()
    {
        Fixture f;
        int clicks = 0, doubles = 0;
        f.grid->OnCellClick = [&](const Grid::TColumn &) { ++clicks; };
        f.grid->OnDblClick = [&] { ++doubles; };
        // What a person's double click delivers: a whole click, then the double click.
        f.click(1, 0);
        QTest::mouseDClick(f.grid->viewport(), Qt::LeftButton, {}, f.cellCentre(1, 0));
        QCOMPARE(clicks, 1);
        QCOMPARE(doubles, 1);
    }

    void shouldPassKeysWithModifiersBeforeActing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("space") << int(Qt::Key_Space) << Qt::KeyboardModifiers();
        QTest::newRow("ctrl+space") << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("shift+space") << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("F9") << int(Qt::Key_F9) << Qt::KeyboardModifiers();
        QTest::newRow("tab") << int(Qt::Key_Tab) << Qt::KeyboardModifiers();
        QTest::newRow("return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    }
    void shouldPassKeysWithModifiersBeforeActing()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Fixture f;
        QList<QPair<int, Qt::KeyboardModifiers>> seen;
        f.grid->OnKeyDown = [&](int &k, Qt::KeyboardModifiers m) {
            if (k != Qt::Key_Control && k != Qt::Key_Shift)  // modifier keys come down too
                seen.append({k, m});
        };
        QTest::keyClick(f.grid, Qt::Key(key), modifiers);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().first, key);
        QCOMPARE(seen.first().second, modifiers);
    }

    void shouldSwallowAKeySetToZero_data()
    {
        QTest::addColumn<bool>("swallow");
        QTest::addColumn<int>("expectedRow");
        QTest::newRow("passed on") << false << 1;
        QTest::newRow("swallowed") << true << 0;
    }
    void shouldSwallowAKeySetToZero()
    {
        QFETCH(bool, swallow);
        QFETCH(int, expectedRow);
        Fixture f;
        f.grid->OnKeyDown = [&](int &k, Qt::KeyboardModifiers) {
            if (swallow)
                k = 0;
        };
        QTest::keyClick(f.grid, Qt::Key_Down);
        QCOMPARE(f.set.RecNo(), expectedRow);
        QCOMPARE(f.scrolls, expectedRow);
    }

    // Digits only, as a key filter of a form would let through.
    void shouldFilterTypedCharactersInGridAndEditor_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("editorText");
        QTest::addColumn<int>("filterCalls");
        QTest::newRow("discarded first key opens no editor") << "x" << false << "" << 1;
        QTest::newRow("discarded space opens no editor") << " " << false << "" << 1;
        QTest::newRow("digits open the editor and type") << "57" << true << "57" << 2;
        QTest::newRow("letters in the editor vanish") << "5x7y" << true << "57" << 4;
    }
    void shouldFilterTypedCharactersInGridAndEditor()
    {
        QFETCH(QString, typed);
        QFETCH(bool, editing);
        QFETCH(QString, editorText);
        QFETCH(int, filterCalls);
        Fixture f(3, quoteColumns());
        int calls = 0;
        f.grid->OnKeyPress = [&](QChar &c) {
            ++calls;
            if (!c.isDigit())
                c = QChar();
        };
        f.grid->setSelectedIndex(3);
        type(typed);
        QCOMPARE(calls, filterCalls);  // each character once, also the one that opened the editor
        QCOMPARE(f.grid->EditorMode(), editing);
        if (editing) {
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            QCOMPARE(editor->text(), editorText);
            QTest::keyClick(editor, Qt::Key_Return);  // no digit: discarded, the editor stays
            QCoreApplication::processEvents();
            QVERIFY(f.grid->EditorMode());
            f.grid->OnKeyPress = nullptr;
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!f.grid->EditorMode());
            QCOMPARE(f.set.AsFloat("VRPERCCOMIS"), editorText.toDouble());
            QCOMPARE(f.posts, 1);
        }
    }

    void shouldLeaveTheGridByTabAtEitherEnd_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("tab on the last cell") << 1 << 2 << false << true << 1;
        QTest::newRow("tab on a row's last cell") << 0 << 2 << false << false << 1;
        QTest::newRow("shift+tab on the first cell") << 0 << 0 << true << true << 0;
        QTest::newRow("shift+tab on a row's first cell") << 1 << 0 << true << false << 0;
    }
    void shouldLeaveTheGridByTabAtEitherEnd()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, back);
        QFETCH(bool, leaves);
        QFETCH(int, rowAfter);
        Fixture f(2);
        auto *next = new QLineEdit(&f.window);
        next->show();
        f.grid->setFocus();
        f.set.MoveTo(row);
        f.grid->setSelectedIndex(column);
        if (back)
            QTest::keyClick(f.grid, Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(f.grid, Qt::Key_Tab);
        QCOMPARE(next->hasFocus(), leaves);
        QCOMPARE(f.set.RecNo(), rowAfter);
    }

    void shouldNotJumpToARowByTypedText()
    {
        Fixture f;
        f.grid->setOptions(f.grid->options() & ~Grid::dgEditing);
        int typed = 0;
        f.grid->OnKeyPress = [&](QChar &) { ++typed; };
        type("Cliente 3");
        QCOMPARE(typed, 9);
        QCOMPARE(f.set.RecNo(), 0);
        QCOMPARE(f.scrolls, 0);
    }

    void shouldStoreNothingForAnUnchangedOrInvalidEdit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("posts");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<double>("value");
        QTest::newRow("unchanged") << "" << 0 << QStringList() << 5.0;
        QTest::newRow("not a number") << "abc" << 0 << QStringList{"Valor inválido."} << 5.0;
        QTest::newRow("decimal comma") << "7,5" << 1 << QStringList() << 7.5;
        QTest::newRow("decimal point") << "7.5" << 1 << QStringList() << 7.5;
        QTest::newRow("emptied") << " " << 1 << QStringList() << 0.0;
    }
    void shouldStoreNothingForAnUnchangedOrInvalidEdit()
    {
        QFETCH(QString, typed);
        QFETCH(int, posts);
        QFETCH(QStringList, errors);
        QFETCH(double, value);
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        Fixture f(3, quoteColumns());
        f.grid->setSelectedIndex(3);
        QTest::keyClick(f.grid, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("5"));
        if (!typed.isEmpty()) {
            editor->clear();
            QTest::keyClicks(editor, typed);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!f.grid->EditorMode());
        QCOMPARE(f.posts, posts);
        QCOMPARE(f.dialogs.errors(), errors);
        QCOMPARE(f.set.AsFloat("VRPERCCOMIS"), value);
    }

    void shouldMoveTheSetOncePerGridMove_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("row");
        QTest::newRow("arrow down") << "down" << 1;
        QTest::newRow("click on a row") << "click" << 3;
        QTest::newRow("end key") << "end" << 4;
        QTest::newRow("same row clicked") << "same" << 0;
    }
    void shouldMoveTheSetOncePerGridMove()
    {
        QFETCH(QString, how);
        QFETCH(int, row);
        Fixture f;
        if (how == "down")
            QTest::keyClick(f.grid, Qt::Key_Down);
        else if (how == "click")
            f.click(3, 1);
        else if (how == "end")
            QTest::keyClick(f.grid, Qt::Key_End, Qt::ControlModifier);
        else
            f.click(0, 1);
        QCOMPARE(f.set.RecNo(), row);
        QCOMPARE(f.grid->currentIndex().row(), row);
        QCOMPARE(f.scrolls, row == 0 ? 0 : 1);
    }

    void shouldFollowTheSetWithoutMovingItAgain()
    {
        Fixture f;
        f.grid->setSelectedIndex(2);
        f.set.MoveTo(4);
        QCOMPARE(f.grid->currentIndex().row(), 4);
        QCOMPARE(f.grid->SelectedIndex(), 2);  // the column stays
        QCOMPARE(f.scrolls, 1);
        f.set.loadFromPacket(quotes(2));  // new rows: back on the first
        QCOMPARE(f.grid->currentIndex().row(), 0);
        QCOMPARE(f.grid->SelectedIndex(), 2);
        QCOMPARE(f.scrolls, 1);
    }

    void shouldShowTheSetsRowWhenAMoveFails_data()
    {
        QTest::addColumn<bool>("failPost");
        QTest::addColumn<int>("row");
        QTest::newRow("pending row cannot be posted") << true << 0;
        QTest::newRow("after-scroll handler fails") << false << 1;
    }
    void shouldShowTheSetsRowWhenAMoveFails()
    {
        QFETCH(bool, failPost);
        QFETCH(int, row);
        Fixture f;
        if (failPost) {
            f.set.BeforePost = [](TClientDataSet &) { throw std::runtime_error("Linha recusada."); };
            f.set.Edit();
            f.set.setValue("VRPERCCOMIS", 9.0);
        } else {
            f.set.AfterScroll = [](TClientDataSet &) { throw std::runtime_error("Falha ao carregar."); };
        }
        QTest::keyClick(f.grid, Qt::Key_Down);
        QCOMPARE(f.set.RecNo(), row);
        QCOMPARE(f.grid->currentIndex().row(), row);
        QCOMPARE(f.dialogs.errors().size(), 1);
    }

    void shouldEnterColumnsOnlyWhenTheColumnChanges()
    {
        Fixture f(3, quoteColumns());
        QStringList entered;
        f.grid->OnColEnter = [&] { entered << f.grid->SelectedField(); };
        QTest::keyClick(f.grid, Qt::Key_Right);
        QTest::keyClick(f.grid, Qt::Key_Down);  // row move only
        QTest::keyClick(f.grid, Qt::Key_Tab);
        f.click(2, 2);  // same column, other row
        f.grid->setSelectedIndex(3);
        f.grid->setSelectedIndex(3);  // already there
        f.grid->setSelectedIndex(0);
        QCOMPARE(entered, (QStringList{"NMFANTCLIE", "VRTOTALOREV", "VRPERCCOMIS", "IDCHECK"}));
    }

    void shouldTakeColumnsFromTheListOrTheVisibleFields_data()
    {
        QTest::addColumn<bool>("ownList");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("column list") << true << QStringList{"IDCHECK", "NMFANTCLIE", "VRTOTALOREV", "VRPERCCOMIS"}
                                     << QStringList{"4", "Cliente", "Total", "%"};
        QTest::newRow("visible fields") << false << QStringList{"NMFANTCLIE", "VRTOTALOREV", "VRPERCCOMIS"}
                                        << QStringList{"Cliente", "Total", "%"};
    }
    void shouldTakeColumnsFromTheListOrTheVisibleFields()
    {
        QFETCH(bool, ownList);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, titles);
        Fixture f(2, ownList ? quoteColumns() : QVector<Grid::TColumn>());
        QCOMPARE(f.grid->columnCount(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            QCOMPARE(f.grid->Column(i).fieldName, fields[i]);
            QCOMPARE(f.grid->Column(i).title, titles[i]);
            QCOMPARE(f.grid->dataModel()->headerData(i, Qt::Horizontal).toString(), titles[i]);
            QCOMPARE(IndiceCol(f.grid, fields[i].toLower()), i);
            QCOMPARE(f.grid->horizontalHeader()->sectionSize(i), f.grid->Column(i).width);
        }
        QCOMPARE(IndiceCol(f.grid, "DTEVENTO"), -1);
        if (ownList) {
            QCOMPARE(f.grid->Column(0).width, 17);
            QCOMPARE(f.grid->dataModel()->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().family(),
                     QString("Monotype Sorts"));
            const QModelIndex mark = f.grid->dataModel()->index(0, 0);
            QCOMPARE(mark.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        } else {
            QVERIFY(f.grid->Column(0).width > f.grid->Column(1).width);  // 50 characters against 10
        }
    }

    void shouldKeepAWidthTheUserDraggedAcrossLoads()
    {
        Fixture f(2, quoteColumns());
        f.grid->horizontalHeader()->resizeSection(1, 123);
        f.set.loadFromPacket(quotes(3));
        QCOMPARE(f.grid->horizontalHeader()->sectionSize(1), 123);
        QCOMPARE(f.grid->Column(1).width, 123);
    }

    void shouldApplyOptions_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("editTriggers");
        QTest::addColumn<bool>("titles");
        QTest::addColumn<bool>("indicator");
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<bool>("rows");
        QTest::addColumn<bool>("resizable");
        QTest::newRow("none") << 0 << false << false << false << false << false << false;
        QTest::newRow("editing and titles")
            << int(Grid::dgEditing | Grid::dgTitles) << true << true << false << false << false << false;
        QTest::newRow("quote grid") << int(Grid::dgEditing | Grid::dgTitles | Grid::dgColumnResize | Grid::dgColLines
                                           | Grid::dgRowLines | Grid::dgTabs | Grid::dgConfirmDelete
                                           | Grid::dgCancelOnExit)
                                    << true << true << false << true << false << true;
        QTest::newRow("indicator and row select")
            << int(Grid::dgIndicator | Grid::dgRowSelect) << false << false << true << false << true << false;
    }
    void shouldApplyOptions()
    {
        QFETCH(int, options);
        QFETCH(bool, editTriggers);
        QFETCH(bool, titles);
        QFETCH(bool, indicator);
        QFETCH(bool, tabs);
        QFETCH(bool, rows);
        QFETCH(bool, resizable);
        Fixture f;
        f.grid->setOptions(Grid::Options(options));
        QCOMPARE(f.grid->editTriggers() != QAbstractItemView::NoEditTriggers, editTriggers);
        QCOMPARE(f.grid->horizontalHeader()->isVisible(), titles);
        QCOMPARE(f.grid->verticalHeader()->isVisible(), indicator);
        QCOMPARE(f.grid->tabKeyNavigation(), tabs);
        QCOMPARE(f.grid->selectionBehavior() == QAbstractItemView::SelectRows, rows);
        QCOMPARE(f.grid->horizontalHeader()->sectionResizeMode(0) == QHeaderView::Interactive, resizable);

        // Tab moves between cells with dgTabs, and out of the grid without.
        auto *next = new QLineEdit(&f.window);
        next->show();
        f.grid->setFocus();
        QTest::keyClick(f.grid, Qt::Key_Tab);
        QCOMPARE(f.grid->hasFocus(), tabs);
    }

    void shouldKeepTheTypedTextWhenEditingIsSwitchedOff()
    {
        Fixture f(3, quoteColumns());
        f.grid->setSelectedIndex(3);
        type("12");
        QVERIFY(f.grid->EditorMode());
        f.grid->setOptions(f.grid->options() & ~Grid::dgEditing);
        QVERIFY(!f.grid->EditorMode());
        QCOMPARE(f.set.AsFloat("VRPERCCOMIS"), 12.0);
    }

    void shouldHandTheDrawHandlerTheCellState_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<int>("currentState");
        QTest::addColumn<int>("sameRowState");
        const int sel = Grid::gdSelected, foc = Grid::gdFocused;
        QTest::newRow("focused grid") << 0 << true << (sel | foc) << 0;
        QTest::newRow("unfocused grid") << 0 << false << 0 << 0;
        QTest::newRow("unfocused, selection always shown") << int(Grid::dgAlwaysShowSelection) << false << sel << 0;
        QTest::newRow("focused, row select") << int(Grid::dgRowSelect) << true << (sel | foc) << sel;
    }
    void shouldHandTheDrawHandlerTheCellState()
    {
        QFETCH(int, options);
        QFETCH(bool, focused);
        QFETCH(int, currentState);
        QFETCH(int, sameRowState);
        Fixture f(3);
        auto *other = new QLineEdit(&f.window);
        other->show();
        f.grid->setOptions(Grid::dgTitles | Grid::Options(options));
        QPalette colours = f.grid->palette();
        colours.setColor(QPalette::Base, QColor(255, 255, 225));
        colours.setColor(QPalette::Highlight, QColor(0, 0, 128));
        colours.setColor(QPalette::HighlightedText, QColor(Qt::white));
        f.grid->setPalette(colours);
        f.set.MoveTo(1);
        if (focused)
            f.grid->setFocus();
        else
            other->setFocus();

        struct Drawn {
            int state;
            QColor brush;
            QColor pen;
            QRect rect;
        };
        QMap<QPair<int, int>, Drawn> drawn;
        f.grid->OnDrawColumnCell = [&](QPainter &p, const QRect &rect, int column, const Grid::TColumn &, int state) {
            const int row = f.grid->rowAt(rect.center().y());
            drawn[{row, column}] = {state, p.brush().color(), p.pen().color(), rect};
        };
        f.grid->viewport()->grab();

        const auto at = [&](int row, int column) { return drawn.value({row, column}); };
        QVERIFY(drawn.contains({1, 0}));
        QCOMPARE(at(1, 0).state, currentState);
        QCOMPARE(at(1, 1).state, sameRowState);
        QCOMPARE(at(0, 0).state, 0);
        const Drawn current = at(1, 0);
        const bool highlighted = currentState & Grid::gdSelected;
        QCOMPARE(current.brush, highlighted ? QColor(0, 0, 128) : QColor(255, 255, 225));
        QCOMPARE(current.pen, highlighted ? QColor(Qt::white) : colours.color(QPalette::Text));
        QCOMPARE(at(2, 1).brush, QColor(255, 255, 225));
    }

    void shouldPaintByDefaultBeforeTheDrawHandler_data()
    {
        QTest::addColumn<bool>("defaultDrawing");
        QTest::addColumn<QColor>("handlerFill");
        QTest::addColumn<bool>("textShows");
        QTest::newRow("default drawing alone") << true << QColor() << true;
        QTest::newRow("no drawing at all") << false << QColor() << false;
        QTest::newRow("handler paints over the default") << true << QColor(Qt::red) << false;
    }
    void shouldPaintByDefaultBeforeTheDrawHandler()
    {
        QFETCH(bool, defaultDrawing);
        QFETCH(QColor, handlerFill);
        QFETCH(bool, textShows);
        Fixture f(3);
        f.grid->DefaultDrawing = defaultDrawing;
        QRect cell;
        f.grid->OnDrawColumnCell = [&](QPainter &p, const QRect &rect, int column, const Grid::TColumn &, int) {
            if (column != 0 || f.grid->rowAt(rect.center().y()) != 2)
                return;
            cell = rect;
            if (handlerFill.isValid())
                p.fillRect(rect, handlerFill);
        };
        const QImage image = f.grid->viewport()->grab().toImage();
        QVERIFY(cell.isValid());
        const QColor background = handlerFill.isValid() ? handlerFill : f.grid->palette().color(QPalette::Base);
        bool otherPixels = false;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                otherPixels = otherPixels || image.pixelColor(x, y) != background;
        QCOMPARE(otherPixels, textShows);  // the text "Cliente 2"
    }

    void shouldReportAFailingDrawHandlerOnce()
    {
        Fixture f(4);
        int calls = 0;
        f.grid->OnDrawColumnCell = [&](QPainter &, const QRect &, int, const Grid::TColumn &, int) {
            ++calls;
            throw std::runtime_error("Falha ao pintar.");
        };
        f.grid->viewport()->grab();
        QVERIFY(f.dialogs.errors().isEmpty());  // no box inside the paint event
        QCoreApplication::processEvents();
        f.grid->viewport()->grab();  // a repaint, as when the error box closes
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs.errors(), QStringList{"Falha ao pintar."});
        QCOMPARE(calls, 1);
        f.set.MoveTo(2);  // the data changed: the handler gets another chance
        f.grid->viewport()->grab();
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs.errors().size(), 2);
        f.grid->OnDrawColumnCell = [&](QPainter &, const QRect &, int, const Grid::TColumn &, int) { ++calls; };
        f.set.MoveTo(3);
        calls = 0;
        f.grid->viewport()->grab();
        QCOMPARE(calls, 4 * 3);  // every cell again
    }
};

QTEST_MAIN(TDBGridTest)
#include "tdbgridtest.moc"
