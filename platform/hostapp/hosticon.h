#pragma once

#include "hostapp_export.h"

#include <QIcon>

// The product's own icon (packaging/commission-host.svg, the one of the
// desktop's menu entry), kept in the host as pictures of the usual sizes so
// it needs no SVG support at run time. The pictures are made from the SVG by
// `rsvg-convert -w N -h N packaging/commission-host.svg -o
// platform/hostapp/icons/commission-host-N.png`; make them again when it
// changes.
class HOSTAPP_EXPORT HostIcon {
public:
    static QIcon icon();
    // Makes it the icon of every window of the application: the main window,
    // the sign-in and every dialog. Called once the application exists,
    // before the first window shows.
    static void apply();
};
