#pragma once

#include "framework_export.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolButton;
class QAction;
class QFrame;
class TDBGrid;
class TDataSource;
class TMessages;

// The base screen for grid maintenance, shown as a child window of the host's
// main window. Supplies the screen-code label, the toolbar with its command
// buttons, the page control with the first tab and grid, the navigator, the
// main menu whose entries are paired with the buttons (an entry triggers its
// button's click and follows its enabled state only when a screen copies it),
// the first data source and the message catalogue. Every child has its name
// as objectName.
//
// Lifecycle: FormCreate runs once, from create() after construction;
// FormActivate on every activation of the child window (first show included);
// FormClose when the user closes it. Closing hides the child window and keeps
// the instance with all its state. Each runs inside the handler guard; a
// derived screen calls the base version first.
class FRAMEWORK_EXPORT TfrmPadraoGrid : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPadraoGrid(QWidget *parent = nullptr);
    ~TfrmPadraoGrid() override;

    // Builds the screen: runs FormCreate inside the guard and returns whether
    // it ended normally.
    bool create();
    // Restores a minimized screen, shows it inside the host's child-window area
    // (or top-level when the host has none) and brings it to the front.
    void showScreen();
    void closeScreen();

    // The control that has, or last had, the focus on this screen.
    QWidget *ActiveControl() const;

    // Elements of the base screen.
    QLabel *lblCodTela;
    QFrame *panMenu;
    QToolButton *sbtConfirmar, *sbtCancelar, *sbtProcurar, *sbtVerificar, *sbtImprimir, *sbtAjuda, *sbtFechar;
    // The four further record commands (insert, edit, delete, save).
    QToolButton *sbtIncluir, *sbtAlterar, *sbtExcluir, *sbtGravar;
    QTabWidget *pgcPadrao;
    QWidget *tshPadrao;
    TDBGrid *dbgPadrao;
    QFrame *panNavigator;
    QLabel *dbtNome;
    QMenuBar *mnuMenu;
    QMenu *mnuOperacoes, *mnuManutencao;
    QAction *mnuListagem, *mnuConfigImpressora;
    QAction *mnuConfirmar, *mnuCancelar, *mnuProcurar, *mnuVerificar;
    QAction *mnuIncluir, *mnuAlterar, *mnuExcluir, *mnuGravar;
    TDataSource *dtsPadrao;
    TMessages *msgPadrao;

    // Places the toolbar buttons and the client area at 96 dpi positions.
    void setScreenGeometry(int left, int top, int width, int height);

protected:
    virtual void FormCreate();
    virtual void FormActivate();
    virtual void FormClose();

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Private;
    Private *d;
};
