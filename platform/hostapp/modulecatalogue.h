#pragma once

#include "hostapp_export.h"

#include <QList>
#include <QString>

// The modules the host offers in its Módulos menu, read from modules.ini next
// to the program: one line per module, "file = menu title", '#' starting a
// comment. The builds of the modules write the file; the host names none.
class HOSTAPP_EXPORT ModuleCatalogue {
public:
    struct Entry {
        QString path;   // the module's file, next to the program unless absolute
        QString title;  // the menu entry
    };

    static QString defaultFile();  // modules.ini next to the program
    // Entries of the file in order; none when it is missing. A line without
    // "=" or with an empty side is left out.
    static QList<Entry> read(const QString &file = defaultFile());
};
