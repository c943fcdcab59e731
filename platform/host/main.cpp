// The host application: reads the session from the command line (or a config
// file), signs the operator in (the sign-in dialog, or the password read from
// standard input), opens the main window and, when asked, the commission
// module.

#include "dialogseam.h"
#include "hosticon.h"
#include "hostmainwindow.h"
#include "hostoptions.h"
#include "operatorlocale.h"
#include "session.h"
#include "signin.h"

#include <tnetconnection.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

// Without options the host uses the demo database the run script creates
// beside the program's folder (demo/commission.db next to bin/).
SessionValues demoSession()
{
    const QDir programFolder = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).dir();
    SessionValues demo;
    demo.branchCode = QStringLiteral("0001");
    demo.operatorCode = QStringLiteral("ADMIN");
    demo.database = QDir::cleanPath(programFolder.filePath(QStringLiteral("../demo/commission.db")));
    return demo;
}

// --password-stdin: one line of standard input is the password. Signs in
// before the application starts, so a refusal needs no display; returns
// false, having said why on stderr, when the server refused or could not be
// reached.
bool signInFromStandardInput()
{
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty()) {
        std::fputs("Senha não informada na entrada padrão (--password-stdin).\n", stderr);
        return false;
    }
    try {
        SignIn::signInWithPassword(QString::fromStdString(line));
    } catch (const RemoteCallError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return false;
    } catch (const TransportError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    // The options are read before the application starts, so help and a bad
    // command line need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    HostOptions options;
    try {
        options = HostOptions::parse(arguments, demoSession());
    } catch (const std::invalid_argument &error) {
        std::fprintf(stderr, "%s\n\n%s", error.what(), qPrintable(HostOptions::usage()));
        return 2;
    }
    if (options.helpRequested) {
        std::fputs(qPrintable(HostOptions::usage()), stdout);
        return 0;
    }

    Session::set(options.session);
    if (options.session.passwordFromStdin && !signInFromStandardInput())
        return 1;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("commission-host"));
    OperatorLocale::apply(app);
    HostIcon::apply();
    Session::set(Session::withStoredBranchName(Session::values()));
    // Leaving the sign-in ends the host with nothing opened.
    if (!options.session.passwordFromStdin
        && !DialogSeam::current().signIn({Session::values().operatorCode, QString(), false}))
        return 0;

    HostMainWindow window;
    window.show();
    if (options.openModule)
        QTimer::singleShot(0, &window, [&window, path = options.modulePath] { window.openModule(path); });
    return QApplication::exec();
}
