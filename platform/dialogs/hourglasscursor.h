#pragma once

#include "dialogs_export.h"

// The screen cursor (SetScreenCursor) is the hourglass from the making of
// this object and the default one when it goes, however the caller leaves:
// for the host's entry points that build a form and show it.
class DIALOGS_EXPORT HourGlassCursor {
public:
    HourGlassCursor();
    ~HourGlassCursor();

    HourGlassCursor(const HourGlassCursor &) = delete;
    HourGlassCursor &operator=(const HourGlassCursor &) = delete;
};
