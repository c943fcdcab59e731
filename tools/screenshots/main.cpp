// Saves pictures of the commission screen and its dialogs with the data of
// the server named by the session options. See scripts/screenshots.

#include "hostmainwindow.h"
#include "operatorlocale.h"
#include "screenshottour.h"
#include "session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    OperatorLocale::apply(app);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "Folder for the pictures.", "folder", "screenshots"});
    parser.addOption({"from", "Start of the filter period (dd/MM/yyyy).", "date", "01/01/2000"});
    parser.addOption({"to", "End of the filter period (dd/MM/yyyy).", "date", "31/12/2099"});
    Session::addOptions(parser);
    parser.process(app);

    const QDate from = QDate::fromString(parser.value("from"), "dd/MM/yyyy");
    const QDate to = QDate::fromString(parser.value("to"), "dd/MM/yyyy");
    try {
        if (!from.isValid() || !to.isValid())
            throw std::invalid_argument("--from and --to take dates as dd/MM/yyyy");
        Session::set(Session::validated(Session::fromParser(parser, SessionValues())));
    } catch (const std::invalid_argument &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }

    QDir folder;
    folder.mkpath(parser.value("out"));
    HostMainWindow host;
    host.resize(1300, 720);
    host.show();
    ScreenshotTour tour(host, QDir(parser.value("out")), from, to);
    tour.start();
    QTimer::singleShot(0, &host, [&host] { host.openModule(); });
    return QApplication::exec();
}
