#pragma once

#include "framework_export.h"

#include <QFont>
#include <QTableView>
#include <QVector>

#include <functional>

class DataSetModel;
class TDataSource;

// A data-aware grid over a data source: one row per record, the current cell
// following the record set's current row and the other way round.
//
// Columns come from the grid's own column list or, without one, from the
// visible fields of the set in order. The events below are the form's
// handlers; the grid runs each inside the handler guard.
class FRAMEWORK_EXPORT TDBGrid : public QTableView {
    Q_OBJECT
public:
    enum Option {
        dgEditing = 0x001, dgTitles = 0x002, dgIndicator = 0x004, dgColumnResize = 0x008,
        dgColLines = 0x010, dgRowLines = 0x020, dgTabs = 0x040, dgRowSelect = 0x080,
        dgAlwaysShowSelection = 0x100, dgConfirmDelete = 0x200, dgCancelOnExit = 0x400
    };
    Q_DECLARE_FLAGS(Options, Option)

    struct TColumn {
        QString fieldName;
        int width = 64;                    // pixels
        QString title;                     // the field's display label when empty
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        QFont titleFont;
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
    TColumn Column(int index) const;                   // the effective column

    Options options() const;
    void setOptions(Options options);

    int SelectedIndex() const;          // current column, -1 when none
    void setSelectedIndex(int column);
    QString SelectedField() const;      // field name of the current column

    // The grid paints each data cell in its default way first when
    // DefaultDrawing is set, then calls OnDrawColumnCell with the painter set
    // up for the cell (brush = the cell's background, pen = its text colour).
    bool DefaultDrawing = true;
    std::function<void(QPainter &canvas, const QRect &rect, int dataCol, const TColumn &column, int state)>
        OnDrawColumnCell;

    std::function<void(const TColumn &column)> OnCellClick;   // click on a data cell
    std::function<void(const TColumn &column)> OnTitleClick;  // click on a column title
    std::function<void()> OnDblClick;
    std::function<void()> OnColEnter;                          // current column changed
    // Key down before the grid acts on it; setting key to 0 swallows it.
    std::function<void(int &key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // A character typed in the grid or its cell editor; setting it to QChar()
    // (the null character) discards it.
    std::function<void(QChar &key)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    struct Private;
    Private *d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGrid::Options)
