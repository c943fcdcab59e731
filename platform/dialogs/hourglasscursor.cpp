#include "hourglasscursor.h"

#include "hostbusy.h"

HourGlassCursor::HourGlassCursor()
{
    SetScreenCursor(crHourGlass);
}

HourGlassCursor::~HourGlassCursor()
{
    SetScreenCursor(crDefault);
}
