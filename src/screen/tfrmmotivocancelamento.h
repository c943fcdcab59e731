#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Asks why the commission of the marked quotes is cancelled (memMotivo):
// OK only once the trimmed reason has the contract's least length; the text
// is held to its greatest. Enter in the text starts a new line; Ctrl+Enter
// confirms, Tab goes on to OK, where Enter confirms; Escape abandons.
class TfrmMotivoCancelamento : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMotivoCancelamento(QWidget *parent = nullptr);

    QLabel *lblMotivo = nullptr;
    QPlainTextEdit *memMotivo = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancelar = nullptr;

    // The reason as typed, trimmed.
    QString reason() const;

    // Runs the dialog modally: the trimmed reason on OK, nothing when
    // abandoned.
    static std::optional<QString> ask(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void textChanged();
};
