#pragma once

#include "hostapp_export.h"
#include "moduleloader.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMdiArea;

// The host's main window: the child-window area where screens open, a menu
// that opens the modules, and the session (branch, signed-in operator,
// server) in the status bar; closing it signs the operator out. The branch
// shown is the session's until a screen reports its own (ReportScreenBranch).
// It registers itself as the main form (MainForm()) and is where the busy
// indicator shows.
class HOSTAPP_EXPORT HostMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HostMainWindow(QWidget *parent = nullptr);
    ~HostMainWindow() override;

    QMdiArea *childWindowArea() const;
    // The Módulos menu's entries, one per module of the catalogue.
    QList<QAction *> moduleActions() const;

    // Loads the module (empty path: the first module of the catalogue)
    // and calls its IniProc inside the handler guard. A module that cannot be
    // used is reported through the dialog seam and the host goes on. Returns
    // whether IniProc ran to its end.
    bool openModule(const QString &path = QString());

    // Closes every child window (their FormClose runs), deletes them and the
    // module objects waiting for deferred deletion, then unloads the modules.
    // Returns false, changing nothing further, when a screen refused to close.
    // Done when the host closes; the modules are not opened again after it.
    bool releaseModules();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void showSession();
    // Empty code: the session's branch.
    void showBranch(const QString &code, const QString &name);
    void deleteChildWindows();

    QMdiArea *m_area;
    QList<QAction *> m_moduleActions;
    QLabel *m_sessionLabel = nullptr;
    ModuleLoader m_loader;
};
