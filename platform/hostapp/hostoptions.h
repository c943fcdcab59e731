#pragma once

#include "hostapp_export.h"
#include "session.h"

#include <QString>
#include <QStringList>

// The host program's command line: the session's options (see Session) plus
//   --open-module [file]   load a module and call its IniProc once the
//                          window is up (default: the commission module next
//                          to the program)
//   --password-stdin       read the operator's password from one line of
//                          standard input and sign in without the dialog
//                          (SessionValues::passwordFromStdin)
//   --help, -h             print the options and stop
struct HOSTAPP_EXPORT HostOptions {
    SessionValues session;
    bool openModule = false;
    QString modulePath;  // empty: the default module
    bool helpRequested = false;

    // `arguments` is the whole command line, program name first. Raises
    // std::invalid_argument with a message for the user on a bad option or value.
    static HostOptions parse(const QStringList &arguments, const SessionValues &defaults);
    static QString usage();
};
