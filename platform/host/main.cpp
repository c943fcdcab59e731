// The host application: reads the session from the command line (or a config
// file), opens the main window and, when asked, the commission module.

#include "hostmainwindow.h"
#include "hostoptions.h"
#include "operatorlocale.h"
#include "session.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("commission-host"));
    OperatorLocale::apply(app);
    Session::set(Session::withStoredBranchName(options.session));

    HostMainWindow window;
    window.show();
    if (options.openModule)
        QTimer::singleShot(0, &window, [&window, path = options.modulePath] { window.openModule(path); });
    return QApplication::exec();
}
