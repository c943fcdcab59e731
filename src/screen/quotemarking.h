#pragma once

#include "tdbgrid.h"

#include <QChar>

class ScreenModel;
class TClientDataSet;

// Marking on the quote grid: the mark column IDCHECK ("S" marked, "N" or
// empty not marked) toggled by click, double click and the space bar, every
// mark inverted by a click on the mark column's title or Ctrl+space, the
// module's count of marked quotes kept in step, the percentage column as the
// only editable cell, and the commission value of a quote recalculated before
// each of its rows is posted.
//
// The handlers carry the names of the grid and record-set events they answer;
// the screen assigns them to dbgOrcamento's events and the model's
// cdsOrcamentos's BeforePost. Each change of the marks tells the model, whose
// enabling rules depend on them.
class QuoteMarking {
public:
    QuoteMarking(ScreenModel &model, TDBGrid &dbgOrcamento);

    // Toggles the current quote's mark when the mark column is current.
    void dbgOrcamentoDblClick();
    // A click on a data cell; the click has already made the cell current.
    void dbgOrcamentoCellClick(const TDBGrid::TColumn &column);
    // Space toggles the current quote; Ctrl+space inverts every mark.
    void dbgOrcamentoKeyDown(int &key, Qt::KeyboardModifiers shift);
    // On the mark column inverts every mark; on any column returns to the
    // first quote. Sorts nothing.
    void dbgOrcamentoTitleClick(const TDBGrid::TColumn &column);
    // Lets through only digits, backspace, tab and carriage return, and only
    // into the percentage cell of a quote whose total is below zero.
    void dbgOrcamentoKeyPress(QChar &key);
    // Editing on for the percentage column, off for every other.
    void dbgOrcamentoColEnter();
    // VRCOMISSAO = VRPERCCOMIS / 100 * VRTOTALOREV.
    void cdsOrcamentosBeforePost(TClientDataSet &dataSet);

private:
    void toggleCurrentRow();
    TDBGrid::TColumn markColumn() const;

    ScreenModel &m_model;
    TDBGrid &m_grid;
};
