#include "modulestate.h"

// Every variable starts empty, zero, False or none when the module is loaded;
// the screen's creation sets the filter's defaults later (once per load).

namespace Cli_ORE09700 {
TfrmManComis *frmManComis = nullptr;
bool boIdCriado = false;
bool boPrimVez = false;
bool boCheck = false;
bool boFiltro = false;
bool boExibePendednte = false;
TFiltro Filtro;
QString stCdVend;
QString stCdEven;
int inContOrcamento = 0;
}  // namespace Cli_ORE09700

namespace Cli_ORE09701 {
TfrmFiltroManuComissao *frmFiltroManuComissao = nullptr;
bool boIdCriado = false;
QString stVendedor;
QString stTipoEvento;
}  // namespace Cli_ORE09701

namespace Cli_ORE09702 {
TfrmOrcaPendednte *frmOrcaPendednte = nullptr;
}  // namespace Cli_ORE09702
