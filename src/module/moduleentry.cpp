#include "moduleentry.h"

#include "hostoperations.h"
#include "hourglasscursor.h"
#include "modulestate.h"
#include "tfrmmancomis.h"

#include <memory>

void CriaManComis()
{
    using namespace Cli_ORE09700;
    const HourGlassCursor cursor;
    if (!boIdCriado) {
        // Owned by the application: the host's child-window area takes it
        // over when it is shown, and the host deletes it before unloading.
        auto screen = std::make_unique<TfrmManComis>();
        if (!screen->create())
            return;  // FormCreate failed and was reported; the next call tries again
        frmManComis = screen.release();
        boIdCriado = true;
    }
    frmManComis->showScreen();
}

void IniProc()
{
    CriaManComis();
}
