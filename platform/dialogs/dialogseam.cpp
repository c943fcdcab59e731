#include "dialogseam.h"

#include "mainform.h"
#include "operatorcursor.h"
#include "platformdialogs.h"
#include "tfrmlogin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace {

struct ButtonText {
    MsgDlgButton button;
    ModalResult result;
    QMessageBox::ButtonRole role;
    const char *text;
};

// In the order the buttons appear.
const ButtonText buttonTexts[] = {
    {mbYes, mrYes, QMessageBox::YesRole, "&Sim"},
    {mbNo, mrNo, QMessageBox::NoRole, "&Não"},
    {mbOK, mrOk, QMessageBox::AcceptRole, "OK"},
    {mbCancel, mrCancel, QMessageBox::RejectRole, "Cancelar"},
};

QString titleOf(MsgDlgType type)
{
    switch (type) {
    case MsgDlgType::Warning:
        return QStringLiteral("Aviso");
    case MsgDlgType::Error:
        return QStringLiteral("Erro");
    case MsgDlgType::Information:
        return QStringLiteral("Informação");
    case MsgDlgType::Confirmation:
        return QStringLiteral("Confirmação");
    }
    return {};
}

QMessageBox::Icon iconOf(MsgDlgType type)
{
    switch (type) {
    case MsgDlgType::Warning:
        return QMessageBox::Warning;
    case MsgDlgType::Error:
        return QMessageBox::Critical;
    case MsgDlgType::Information:
        return QMessageBox::Information;
    case MsgDlgType::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Message boxes belong to the window the user works in, so they stay on top
// of it and block it.
QWidget *dialogParent()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return MainForm();
}

// The informative text under the box's text. Short lines (the entries of a
// list, a line of numbers) each keep their line, the box widening for them;
// prose wraps.
void showInformative(QMessageBox &box, const QString &informative)
{
    constexpr qsizetype shortLine = 80;
    box.setInformativeText(informative);
    const QStringList lines = informative.split(QLatin1Char('\n'));
    const bool allShort =
        std::all_of(lines.cbegin(), lines.cend(), [](const QString &line) { return line.size() <= shortLine; });
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")); label && allShort)
        label->setWordWrap(false);
}

// The real modal dialogs, with Portuguese buttons whatever translations the
// toolkit has loaded.
class DefaultDialogs : public DialogSeam {
public:
    int messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        QMessageBox box(iconOf(type), titleOf(type), text, QMessageBox::NoButton, dialogParent());
        if (!informative.isEmpty())
            showInformative(box, informative);
        QList<QPair<QAbstractButton *, ModalResult>> added;
        QAbstractButton *escape = nullptr;
        for (const ButtonText &entry : buttonTexts) {
            if (!(buttons & entry.button))
                continue;
            QAbstractButton *button = box.addButton(QString::fromUtf8(entry.text), entry.role);
            added.append({button, entry.result});
            // Escape answers Cancel, else No, else OK: the least committing choice.
            if (entry.button == mbCancel || entry.button == mbNo || (entry.button == mbOK && !escape))
                escape = button;
        }
        if (added.isEmpty()) {
            added.append({box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), mrOk});
        }
        box.setEscapeButton(escape ? escape : added.first().first);
        box.setDefaultButton(qobject_cast<QPushButton *>(added.first().first));
        box.exec();
        for (const auto &[button, result] : added) {
            if (box.clickedButton() == button)
                return result;
        }
        return mrCancel;
    }

    void showError(const QString &text, const QString &informative) override
    {
        messageDlg(text, MsgDlgType::Error, mbOK, informative);
    }

    bool lookup(const LookupRequest &request) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        return runLookupDialog(request);
    }

    bool pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        return runPickListDialog(source, keyField, title, list);
    }

    QString saveFileName(const QString &title, const QString &suggested, const QString &filter) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
    }

    void search(TDataSource *source) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        runSearchDialog(source);
    }

    bool signIn(const SignInPrompt &prompt) override
    {
        const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
        TfrmLogin dialog(prompt, dialogParent());
        return dialog.exec() == QDialog::Accepted;
    }
};

DialogSeam *installedSeam = nullptr;

}  // namespace

DialogSeam::~DialogSeam() = default;

std::optional<QString> DialogSeam::cancellationReason(const ReasonDialog &dialog)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    return dialog ? dialog() : std::nullopt;
}

DialogSeam &DialogSeam::current()
{
    static DefaultDialogs defaultDialogs;
    return installedSeam ? *installedSeam : defaultDialogs;
}

void DialogSeam::install(DialogSeam *seam)
{
    installedSeam = seam;
}

int MessageDlg(const QString &text, MsgDlgType type, int buttons, int /*helpContext*/, const QString &informative)
{
    return DialogSeam::current().messageDlg(text, type, buttons, informative);
}
