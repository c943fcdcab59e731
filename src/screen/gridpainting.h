#pragma once

#include "markcellpainter.h"
#include "tdbgrid.h"

#include <QStringList>

#include <memory>

class QPainter;
class QRect;

// The owner drawing of the maintenance screen's two grids. The grids call the
// handlers for each data cell after their default painting, with the painter
// set up for the cell (brush = background, pen = text colour, font); the
// handlers set no colour or font of their own.
//
// Steps for one cell, in this order:
//   1. the field's edit text at 2, 2 (amount fields excepted);
//   2. the focus rectangle on the focused cell;
//   3. amount cells: the amount right-aligned on a fresh background, unless
//      the row's amounts are all null (the cell then keeps the grid's drawing);
//   4. the mark cell: only the check box picture.
// A failing step (a field the row does not have, a value that is no number)
// throws; the grid's handler guard switches the busy indicator off, reports
// it once and rests the handler until the grid's data changes.
class GridPainting {
public:
    GridPainting(const TDBGrid &dbgOrcamento, const TDBGrid &dbgPadrao, CheckBoxImages images);
    // A painting whose handlers both grids call for their cells.
    static std::unique_ptr<GridPainting> bind(TDBGrid &dbgOrcamento, TDBGrid &dbgPadrao, CheckBoxImages images);

    // The quote grid: amounts VRTOTALOREV, VRPERCCOMIS, VRCOMISSAO (shown
    // unless all three are null) and the mark column IDCHECK.
    void dbgOrcamentoDrawColumnCell(QPainter &canvas, const QRect &rect, int dataCol, const TDBGrid::TColumn &column,
                                    int state) const;
    // The salesperson grid: amount VRCOMISSAO (shown unless null); no marks.
    void dbgPadraoDrawColumnCell(QPainter &canvas, const QRect &rect, int dataCol, const TDBGrid::TColumn &column,
                                 int state) const;

private:
    // What sets the cells of one grid apart.
    struct Family {
        const TDBGrid &grid;
        QStringList amountFields;
        bool hasMarks;
    };

    void paintCell(const Family &family, QPainter &painter, const QRect &rect, int dataCol,
                   const TDBGrid::TColumn &column, int state) const;

    Family m_quotes;
    Family m_salespeople;
    MarkCellPainter m_marks;
};
