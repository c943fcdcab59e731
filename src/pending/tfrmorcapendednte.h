#pragma once

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

    QFrame *panMsg = nullptr;
    QLabel *imgErroOri = nullptr;
    QPlainTextEdit *memInforma = nullptr;
    QFrame *panOk = nullptr;
    QPushButton *btnOK = nullptr;
    TDBGrid *dbgMensagem = nullptr;
    TDataSource *dtsOrcaPendednte = nullptr;
};

// Shows a new pending dialog over the record set with the text, modally; returns
// when the user has closed it.
void CriaOrcaPendedente(TClientDataSet *dataSet, const QString &text);
