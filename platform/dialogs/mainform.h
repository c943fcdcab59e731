#pragma once

#include "dialogs_export.h"

class QWidget;

// The host's main window (nullptr when there is none, as in some tests). The
// host registers its window once it is built; dialogs and busy indicators
// belong to it.
DIALOGS_EXPORT QWidget *MainForm();
DIALOGS_EXPORT void SetMainForm(QWidget *mainForm);
