#include "hostmainwindow.h"

#include "modulecatalogue.h"

#include "dialogseam.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "screenbranch.h"
#include "session.h"
#include "signin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

HostMainWindow::HostMainWindow(QWidget *parent) : QMainWindow(parent), m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("hostMainWindow"));
    setWindowTitle(QStringLiteral("Retaguarda"));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setBackground(QColor(96, 112, 128));
    setCentralWidget(m_area);
    buildMenus();
    showSession();
    resize(1280, 800);
    SetMainForm(this);
}

HostMainWindow::~HostMainWindow()
{
    // Nothing made by a module may outlive its code.
    deleteChildWindows();
    m_loader.unloadAll();
    if (MainForm() == this)
        SetMainForm(nullptr);
}

QMdiArea *HostMainWindow::childWindowArea() const
{
    return m_area;
}

QList<QAction *> HostMainWindow::moduleActions() const
{
    return m_moduleActions;
}

void HostMainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    QAction *quit = file->addAction(QStringLiteral("&Sair"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *modules = menuBar()->addMenu(QStringLiteral("Mó&dulos"));
    modules->setObjectName(QStringLiteral("modulesMenu"));
    for (const ModuleCatalogue::Entry &module : ModuleCatalogue::read()) {
        QAction *open = modules->addAction(module.title);
        open->setObjectName(QStringLiteral("openModuleAction%1").arg(m_moduleActions.size()));
        connect(open, &QAction::triggered, this, [this, path = module.path] { openModule(path); });
        m_moduleActions.append(open);
    }

    QMenu *windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->addAction(QStringLiteral("&Cascata"), m_area, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), m_area, &QMdiArea::tileSubWindows);
}

void HostMainWindow::showSession()
{
    m_sessionLabel = new QLabel(this);
    m_sessionLabel->setObjectName(QStringLiteral("sessionLabel"));
    statusBar()->addWidget(m_sessionLabel);
    showBranch(QString(), QString());
    connect(&ScreenBranch::notifier(), &ScreenBranch::reported, this, &HostMainWindow::showBranch);
}

void HostMainWindow::showBranch(const QString &code, const QString &name)
{
    const SessionValues &session = Session::values();
    const bool screens = !code.isEmpty();
    QString branch = screens ? code : session.branchCode;
    const QString branchName = screens ? name : session.branchName;
    if (!branchName.isEmpty())
        branch += QStringLiteral(" - ") + branchName;
    QString signedIn = session.operatorCode;
    if (!session.operatorName.isEmpty())
        signedIn += QStringLiteral(" - ") + session.operatorName;
    m_sessionLabel->setText(QStringLiteral("Filial: %1    Operador: %2    Servidor: %3:%4")
                                .arg(branch, signedIn, session.serverHost)
                                .arg(session.serverPort));
}

bool HostMainWindow::openModule(const QString &path)
{
    const QString file = path.isEmpty() ? ModuleLoader::defaultModulePath() : path;
    if (file.isEmpty()) {
        DialogSeam::current().showError(QStringLiteral("Nenhum módulo configurado: o arquivo %1 não existe ou não "
                                                       "lista módulos. Reinstale o programa.")
                                            .arg(ModuleCatalogue::defaultFile()));
        return false;
    }
    const ModuleLoader::EntryProcedure entry = m_loader.entryOf(file);
    if (!entry) {
        DialogSeam::current().showError(m_loader.error());
        return false;
    }
    return runGuarded([entry] { entry(); });
}

bool HostMainWindow::releaseModules()
{
    m_area->closeAllSubWindows();
    for (const QMdiSubWindow *child : m_area->subWindowList()) {
        if (child->isVisible())
            return false;
    }
    deleteChildWindows();
    m_loader.unloadAll();
    return true;
}

void HostMainWindow::deleteChildWindows()
{
    qDeleteAll(m_area->subWindowList());
    // Dialogs that released themselves are still waiting for the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void HostMainWindow::closeEvent(QCloseEvent *event)
{
    if (!releaseModules()) {
        event->ignore();
        return;
    }
    // The host ends here: so does the operator's session on the server.
    SignIn::signOut();
    event->accept();
}
