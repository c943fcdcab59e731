#pragma once

#include "forms_export.h"

#include <QPointer>
#include <QWidget>

#include <memory>

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
//
// Activation means the screen becomes the active one: its child window is made
// the active child of the host's area after another one or none was, or it is
// shown again after being closed or minimized. Returning from one of its own
// modal dialogs or message boxes is no new activation. Without a host area the
// screen is a top-level window and the same holds for its window activation.
//
// Failures of FormClose keep the screen open.
class FORMS_EXPORT TfrmPadraoGrid : public QWidget {
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
    QAction *mnuListagem, *mnuConfigImpressora, *mnuFechar;
    QAction *mnuConfirmar, *mnuCancelar, *mnuProcurar, *mnuVerificar;
    QAction *mnuIncluir, *mnuAlterar, *mnuExcluir, *mnuGravar;
    TDataSource *dtsPadrao;
    TMessages *msgPadrao;

    // Position and size of the child window in the host's area (of the window
    // on the desktop without one), in pixels at 96 dpi.
    void setScreenGeometry(int left, int top, int width, int height);

    // Adds a panel aligned to the top: under the toolbar and the panels added
    // before, over the page control.
    void addTopPanel(QWidget *panel);
    // Below the page control, above the navigator.
    void addBottomPanel(QWidget *panel);
    // The field of dtsPadrao's current row that the navigator's label shows.
    void setNavigatorField(const QString &fieldName);
    QString navigatorField() const;

    // The child window that holds the screen in the host's area, once shown there.
    QWidget *childWindow() const;

protected:
    virtual void FormCreate();
    virtual void FormActivate();
    virtual void FormClose();

    // The base reaction to state changes of dtsPadrao, installed as its
    // OnStateChange: the record commands follow the set's state. A screen that
    // does not want it assigns another handler (or none).
    void dtsPadraoStateChange();

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void buildMenu();
    void buildNavigator();
    void placeInHostArea();
    void activated();
    void refreshNavigator();

    struct Private;
    std::unique_ptr<Private> d;
};
