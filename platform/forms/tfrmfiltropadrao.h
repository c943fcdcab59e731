#pragma once

#include "forms_export.h"

#include <QDialog>

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class TMessages;

// The base filter dialog: screen-code label, the group box that holds the
// filter controls, the side panel with the confirm and cancel buttons and the
// option-set buttons, and the message catalogue.
//
// ShowModal runs the dialog modally and returns its modal result: 1 (OK) when
// the dialog closed itself with ModalResult 1, 2 (Cancel) for the cancel
// button, the close box or Escape. FormCreate runs once after construction
// (from create()), FormActivate whenever the dialog becomes the active window
// (the start of the modal run included), FormClose at every end of the modal
// run before ShowModal returns. Release() asks for deferred destruction: the
// object stays readable until control is back in the event loop.
//
// As with the base screen, coming back from one of the dialog's own message
// boxes is no new activation. FormClose failing does not keep the dialog
// open: the modal run still ends with its result.
class FORMS_EXPORT TfrmFiltroPadrao : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFiltroPadrao(QWidget *parent = nullptr);
    ~TfrmFiltroPadrao() override;

    bool create();
    int ShowModal();
    int ModalResult() const;
    void setModalResult(int result);  // a non-zero result ends the modal run
    void Release();

    QLabel *lblCodTela;
    QGroupBox *grbFiltroPadrao;
    QFrame *panMenu;
    QToolButton *sbtConfirma;
    QToolButton *sbtCancel;
    QToolButton *btfSaveOpc;
    QFrame *panBotao;
    QToolButton *btfLoadOpc;
    TMessages *msgPadrao;

protected:
    virtual void FormCreate();
    virtual void FormActivate();
    virtual void FormClose();
    virtual void sbtConfirmaClick();  // base: nothing
    virtual void sbtCancelClick();    // base: sets ModalResult 2

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    // Enter confirms, as the default button of a dialog does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void endModalRun();

    struct Private;
    std::unique_ptr<Private> d;
};
