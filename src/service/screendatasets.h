#pragma once

#include "tdbgrid.h"

#include <QVector>

class TClientDataSet;

// The fields of the screen's four record sets, in the order, kinds and sizes
// the commission service sends them, with their display labels, formats,
// widths and hidden flags; and the column lists of the screen's two grids.
// Each declare function is called once on a fresh, inactive set.
namespace screendatasets {

void declareParamOrcaEve(TClientDataSet &set);  // quote parameters, text only
void declareVendedores(TClientDataSet &set);    // salespeople with their commission
void declareOrcamentos(TClientDataSet &set);    // quotes of the current salesperson
void declareOrcaPendente(TClientDataSet &set);  // quotes of salespeople without commission

// Columns of dbgPadrao (over cdsVendedores) and dbgOrcamento (over
// cdsOrcamentos). Titles are left empty so the grid shows the display labels;
// the mark column's title is the tick of the symbol font.
QVector<TDBGrid::TColumn> vendedoresColumns();
QVector<TDBGrid::TColumn> orcamentosColumns();

}  // namespace screendatasets
