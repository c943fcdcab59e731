#pragma once

#include "framework_export.h"

#include <QString>

class QWidget;
class TDBGrid;

// The host's main window and the controls of a form.

// The host's main window (nullptr when there is none, as in some tests). The
// host registers its window once it is built.
FRAMEWORK_EXPORT QWidget *MainForm();
FRAMEWORK_EXPORT void SetMainForm(QWidget *mainForm);

// Enables or disables every control inside the container (not the container).
FRAMEWORK_EXPORT void SetChildEnabled(QWidget *container, bool enabled);

// Zero-based index of the grid column bound to the field; -1 when none.
FRAMEWORK_EXPORT int IndiceCol(const TDBGrid *grid, const QString &fieldName);
