#pragma once

#include "hostapp_export.h"

#include <QString>
#include <QStringList>

#include <memory>

// Loads modules (shared libraries) at run time and finds their entry procedure
// `IniProc` (extern "C", no arguments). A module stays loaded once loaded, so a
// second open only finds the entry again; unloadAll() unloads them all, which
// the host does at exit after deleting every object the modules created. The
// code of an unloaded module stays mapped until the process ends (see the
// source), so a module is opened again only by a new process.
class HOSTAPP_EXPORT ModuleLoader {
public:
    using EntryProcedure = void (*)();

    ModuleLoader();
    ~ModuleLoader();  // unloads what is still loaded

    // The module's entry procedure, or nullptr with error() saying what is
    // wrong: the file is missing, cannot be loaded, or has no IniProc.
    EntryProcedure entryOf(const QString &path);
    QString error() const;

    QStringList loaded() const;  // the files loaded, as given
    void unloadAll();

    // The first module of the catalogue next to the program; empty when none.
    static QString defaultModulePath();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
