#include "moduleentry.h"

#include "hostoperations.h"
#include "modulestate.h"
#include "tfrmmancomis.h"

#include <memory>

namespace {

// Puts the default cursor back however the caller leaves.
struct DefaultCursorOnExit {
    DefaultCursorOnExit() { SetScreenCursor(crHourGlass); }
    ~DefaultCursorOnExit() { SetScreenCursor(crDefault); }
    DefaultCursorOnExit(const DefaultCursorOnExit &) = delete;
    DefaultCursorOnExit &operator=(const DefaultCursorOnExit &) = delete;
};

}  // namespace

void CriaManComis()
{
    using namespace Cli_ORE09700;
    const DefaultCursorOnExit cursor;
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
