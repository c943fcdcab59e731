#pragma once

#include "modalrun.h"
#include "moduleapi.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TClientDataSet;
class TDBGrid;
class TDataSource;

// The warning dialog that lists the quotes of salespeople left without
// commission. It shows the caller's record set itself and changes nothing in it.
class TfrmOrcaPendednte : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOrcaPendednte(QWidget *parent = nullptr);
    ~TfrmOrcaPendednte() override;

    QFrame *panMsg = nullptr;
    QLabel *imgErroOri = nullptr;
    QPlainTextEdit *memInforma = nullptr;
    QFrame *panOk = nullptr;
    QPushButton *btnOK = nullptr;
    TDBGrid *dbgMensagem = nullptr;
    TDataSource *dtsOrcaPendednte = nullptr;

    void btnOKClick();
    // Runs the dialog modally; it releases itself once the run has returned.
    int runModal();

    // The picture beside the text: a white speech balloon with a blue "i".
    static QPixmap informationPicture();

protected:
    void FormActivate();
    void FormKeyDown(int &key);
    void FormClose();

    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMessagePanel();
    void buildGrid();
    void buildOkPanel();
    void placeOnScreen();

    bool m_placed = false;
    ModalRun m_run{*this};
};

// Shows a new pending dialog over the record set with the text, modally; returns
// when the user has closed it.
MODULE_API void CriaOrcaPendedente(TClientDataSet *dataSet, const QString &text);
