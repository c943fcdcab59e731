#pragma once

#include "moduleapi.h"

// The host's way into the module: opens the maintenance screen. Errors that
// creating or showing the screen raises travel on to the host.
extern "C" MODULE_API void IniProc();

// Creates the maintenance screen once per module load and shows it; later
// calls bring back the same instance, restored and in front. The wait cursor
// shows while it works and the default cursor is back on every way out. When
// creating the screen fails, nothing is kept, so the next call tries again.
void CriaManComis();
