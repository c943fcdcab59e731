#pragma once

#include "tdbgrid.h"

#include <QVector>

// Columns of dbgPadrao (over cdsVendedores) and dbgOrcamento (over
// cdsOrcamentos). Titles are left empty so the grid shows the display labels;
// the mark column's title is the tick of the symbol font.
namespace screencolumns {

QVector<TDBGrid::TColumn> vendedoresColumns();
QVector<TDBGrid::TColumn> orcamentosColumns();

}  // namespace screencolumns
