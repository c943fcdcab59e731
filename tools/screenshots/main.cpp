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
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// Signs in through frmLogin with the password read from standard input,
// photographing the dialog (entrar.png) as the operator sees it before
// pressing Entrar. The sign-in completes later: `signedIn` runs once the
// dialog is accepted; a refusal is said and ends the program with 1.
void signInPhotographed(const QDir &folder, std::function<void()> signedIn)
{
    std::string password;
    std::getline(std::cin, password);
    auto *login = new TfrmLogin({Operador(), QString(), false});
    login->show();
    login->edtSenha->setText(QString::fromStdString(password));
    QApplication::processEvents();
    login->grab().save(folder.filePath(QStringLiteral("entrar.png")));
    QObject::connect(login, &QDialog::accepted, login, [login, signedIn = std::move(signedIn)] {
        login->deleteLater();
        signedIn();
    });
    // A refused sign-in leaves the dialog open with its text, Entrar usable again.
    auto *refusal = new QTimer(login);
    QObject::connect(refusal, &QTimer::timeout, login, [login] {
        if (login->isVisible() && login->btnEntrar->isEnabled() && !login->lblMensagem->text().isEmpty()) {
            std::fprintf(stderr, "sign-in refused: %s\n", qPrintable(login->lblMensagem->text()));
            QApplication::exit(1);
        }
    });
    refusal->start(50);
    login->btnEntrar->click();
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
    // The host is made once the operator is signed in, as the host program does.
    std::unique_ptr<HostMainWindow> host;
    std::unique_ptr<ScreenshotTour> tour;
    const auto tourTheScreen = [&] {
        host = std::make_unique<HostMainWindow>();
        host->resize(1300, 720);
        host->show();
        tour = std::make_unique<ScreenshotTour>(*host, QDir(parser.value("out")), from, to);
        tour->start();
        QTimer::singleShot(0, host.get(), [&host] { host->openModule(); });
    };
    if (parser.isSet("password-stdin"))
        signInPhotographed(QDir(parser.value("out")), tourTheScreen);
    else
        tourTheScreen();
    return QApplication::exec();
}
