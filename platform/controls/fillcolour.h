#pragma once

#include "controls_export.h"

class QColor;
class QWidget;

// Paints the background of a control (what text sits on, Base, and what it
// stands on, Window) in `colour`, enabled or not; its text colour is kept.
CONTROLS_EXPORT void setFillColour(QWidget *widget, const QColor &colour);
