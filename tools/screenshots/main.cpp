// Saves pictures of the commission screen and its dialogs with the data of
// the server named by the session options. See scripts/screenshots.

#include "hostmainwindow.h"
#include "operatorlocale.h"
#include "screenshottour.h"
#include "session.h"
#include "tfrmlogin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

// Signs in through frmLogin with the password read from standard input,
// photographing the dialog (entrar.png) as the operator sees it before
// pressing Entrar. Returns false, having said why, when the server refused.
bool signInPhotographed(const QDir &folder)
{
    std::string password;
    std::getline(std::cin, password);
    TfrmLogin login({Operador(), QString(), false});
    login.show();
    login.edtSenha->setText(QString::fromStdString(password));
    QApplication::processEvents();
    login.grab().save(folder.filePath(QStringLiteral("entrar.png")));
    login.btnEntrar->click();
    if (login.result() == QDialog::Accepted)
        return true;
    std::fprintf(stderr, "sign-in refused: %s\n", qPrintable(login.lblMensagem->text()));
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    OperatorLocale::apply(app);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "Folder for the pictures.", "folder", "screenshots"});
    parser.addOption({"from", "Start of the filter period (dd/MM/yyyy).", "date", "01/01/2000"});
    parser.addOption({"to", "End of the filter period (dd/MM/yyyy).", "date", "31/12/2099"});
    parser.addOption({"password-stdin", "Sign in through the sign-in dialog with the password on standard input."});
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
    if (parser.isSet("password-stdin") && !signInPhotographed(QDir(parser.value("out"))))
        return 1;
    HostMainWindow host;
    host.resize(1300, 720);
    host.show();
    ScreenshotTour tour(host, QDir(parser.value("out")), from, to);
    tour.start();
    QTimer::singleShot(0, &host, [&host] { host.openModule(); });
    return QApplication::exec();
}
