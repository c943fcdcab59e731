#pragma once

#include "forms_export.h"

#include <QFont>

// The classic form font at a pixel height (11 px is 8 points at 96 dpi). The
// classic family is rarely installed, so the first installed of a short list
// of look-alikes stands in for it.
FORMS_EXPORT QFont FormFont(int pixelHeight, bool bold = false);
