#pragma once

#include "controls_export.h"
#include "mainform.h"

#include <QString>

class QWidget;
class TDBGrid;

// The host's main window (mainform.h) and the controls of a form.

// Enables or disables every control inside the container (not the container).
CONTROLS_EXPORT void SetChildEnabled(QWidget *container, bool enabled);

// Zero-based index of the grid column bound to the field; -1 when none.
CONTROLS_EXPORT int IndiceCol(const TDBGrid *grid, const QString &fieldName);
