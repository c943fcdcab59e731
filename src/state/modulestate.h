#pragma once

#include "moduleapi.h"
#include "tfiltro.h"

#include <QString>

class TfrmManComis;
class TfrmFiltroManuComissao;
class TfrmOrcaPendednte;

// Module-wide state, grouped by the unit that owns it. Everything lives on the
// user-interface thread as long as the module stays loaded.

// The maintenance screen's unit.
namespace Cli_ORE09700 {
extern MODULE_API TfrmManComis *frmManComis;
extern MODULE_API bool boIdCriado;        // the screen exists (reset only when it is deleted)
extern MODULE_API bool boPrimVez;         // the first-activation work is still to be done
extern MODULE_API bool boCheck;           // exported, unused
extern MODULE_API bool boFiltro;          // the filter must run (again) before the lists are valid
extern MODULE_API bool boExibePendednte;  // the pending dialog may show after the next load
extern MODULE_API TFiltro Filtro;
extern MODULE_API QString stCdVend;     // salesperson list sent to the service
extern MODULE_API QString stCdEven;     // event-type list sent to the service
extern MODULE_API int inContOrcamento;  // marked quotes of the current salesperson
}  // namespace Cli_ORE09700

// The filter dialog's unit.
namespace Cli_ORE09701 {
extern MODULE_API TfrmFiltroManuComissao *frmFiltroManuComissao;
extern MODULE_API bool boIdCriado;       // a filter dialog instance exists
extern MODULE_API QString stVendedor;    // last salesperson pick, kept while loaded
extern MODULE_API QString stTipoEvento;  // last event-type pick, kept while loaded
}  // namespace Cli_ORE09701

// The pending-commission dialog's unit.
namespace Cli_ORE09702 {
extern MODULE_API TfrmOrcaPendednte *frmOrcaPendednte;
}  // namespace Cli_ORE09702
