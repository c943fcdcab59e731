#pragma once

#include "tdbgrid.h"

#include <QVector>

#include <memory>

class BranchPanel;
class TfrmManComis;

// The controls the maintenance screen adds to the base screen, built area by
// area: the toolbar (filter button, check pictures, hints and glyphs), the
// branch panel, the two tabs with their grids, the list summaries with the
// filter line, and the menu entries with their shortcuts. Each builder sets
// the controls' names and looks and fills the screen's members (the list
// summaries follow their lists from the start); the screen binds the rest to
// its handlers.
class ScreenLayout {
public:
    static void toolbar(TfrmManComis &form);
    // The panel's controls; the panel itself goes to `form.panManComis`.
    static std::unique_ptr<BranchPanel> branchPanel(TfrmManComis &form);
    static void grids(TfrmManComis &form);
    static void summaries(TfrmManComis &form);
    static void menus(TfrmManComis &form);

    // The quote grid's columns; the mark column's title is a tick in the
    // screen's font where the symbol font is not installed.
    static QVector<TDBGrid::TColumn> quoteColumns();

    static const QString generateHint;  // "Gerar Comissão"
    static const QString cancelHint;    // "Cancelar Comissão"
};
