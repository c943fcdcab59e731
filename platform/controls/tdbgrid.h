#pragma once

#include "controls_export.h"

#include <QFont>
#include <QTableView>
#include <QVector>

#include <functional>
#include <memory>

class DataSetModel;
class QStyleOptionViewItem;
class TDataSource;

// A data-aware grid over a data source: one row per record, the current cell
// following the record set's current row and the other way round.
//
// Columns come from the grid's own column list or, without one, from the
// visible fields of the set in order. The events below are the form's
// handlers; the grid runs each inside the handler guard.
//
// Moving the grid's current row moves the set (its AfterScroll runs once per
// move); moving the set moves the grid without moving the set again. With
// dgTabs, Tab moves between cells and, past the last cell (Shift+Tab before
// the first), on to the next control. A move
// the set refuses leaves the grid on the set's row. The grid offers no row
// insertion or deletion; dgConfirmDelete and dgCancelOnExit are kept as
// options but have nothing to act on. Edits typed into a cell are stored
// when the editor closes (Enter, Tab, leaving it, dgEditing switched off) and
// only when the text changed; Escape drops them.
class CONTROLS_EXPORT TDBGrid : public QTableView {
    Q_OBJECT
public:
    enum Option {
        dgEditing = 0x001,
        dgTitles = 0x002,
        dgIndicator = 0x004,
        dgColumnResize = 0x008,
        dgColLines = 0x010,
        dgRowLines = 0x020,
        dgTabs = 0x040,
        dgRowSelect = 0x080,
        dgAlwaysShowSelection = 0x100,
        dgConfirmDelete = 0x200,
        dgCancelOnExit = 0x400
    };
    Q_DECLARE_FLAGS(Options, Option)

    struct TColumn {
        QString fieldName{};
        int width = 64;   // pixels
        QString title{};  // the field's display label when empty
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        QFont titleFont{};
        bool hasTitleFont = false;
    };

    enum DrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };

    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    void setDataSource(TDataSource *source);
    TDataSource *DataSource() const;
    DataSetModel *dataModel() const;

    void setColumns(const QVector<TColumn> &columns);  // empty: the visible fields
    int columnCount() const;
    TColumn Column(int index) const;  // the effective column

    Options options() const;
    void setOptions(Options options);

    int SelectedIndex() const;  // current column, -1 when none
    void setSelectedIndex(int column);
    QString SelectedField() const;  // field name of the current column
    bool EditorMode() const;        // a cell editor is open

    // The grid paints each data cell in its default way first when
    // DefaultDrawing is set (background, then the display text 2 pixels in),
    // then calls OnDrawColumnCell with the painter set up for the cell: brush
    // = the cell's background (the highlight colour for a gdSelected cell,
    // else the palette's Base), pen = its text colour, font = the grid's font,
    // clipped to the cell. The rectangle leaves out the grid lines. State:
    // gdSelected for the current cell (its row with dgRowSelect) while the
    // grid has the focus or dgAlwaysShowSelection is set, gdFocused for the
    // current cell of the focused grid.
    // A handler that fails is reported once by the handler guard, the error
    // box coming up once painting is over (never inside the paint event); the
    // grid then paints by default only until the shown data changes (a load,
    // a row's values, the current row), since painting the same data again
    // would fail again at every repaint.
    bool DefaultDrawing = true;
    std::function<void(QPainter &canvas, const QRect &rect, int dataCol, const TColumn &column, int state)>
        OnDrawColumnCell;

    // Click on a data cell, after the press made it current; the release that
    // ends a double click reports no click of its own.
    std::function<void(const TColumn &column)> OnCellClick;
    std::function<void(const TColumn &column)> OnTitleClick;  // click on a column title; moves nothing
    std::function<void()> OnDblClick;
    std::function<void()> OnColEnter;  // current column changed
    // Key down (Qt::Key codes, modifier keys included) before the grid or its
    // cell editor acts on it; setting key to 0 swallows it.
    std::function<void(int &key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // A character typed in the grid or its cell editor (control characters
    // such as backspace, tab, carriage return and escape included); setting it
    // to QChar() (the null character) discards it. A discarded character
    // neither opens nor types into the editor; Tab, Enter and Escape keep
    // their action in the grid, Tab and Escape in the editor. Typing never
    // jumps to a row.
    std::function<void(QChar &key)> OnKeyPress;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyboardSearch(const QString &search) override;

private:
    friend class TDBGridDelegate;
    // Called by the delegate.
    void paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index);
    QString editText(const QModelIndex &index) const;
    void storeEditText(const QModelIndex &index, const QString &text);
    bool filterEditorKey(QObject *editor, QKeyEvent *event);

    void applyOptions();
    void afterModelReset();
    void followDataSet();
    // A key after OnKeyDown and OnKeyPress: its code and text as they left
    // them; consumed when OnKeyDown failed or cleared the key, characterDropped
    // when OnKeyPress failed or cleared the character.
    struct HandledKey {
        int key = 0;
        QString text{};
        bool consumed = false;
        bool characterDropped = false;
    };
    HandledKey runKeyHandlers(const QKeyEvent *event);
    bool tabLeavesGrid(bool forward) const;
    bool hasFocusInside() const;

    struct Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGrid::Options)
