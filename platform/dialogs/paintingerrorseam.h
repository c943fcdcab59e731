#pragma once

#include "dialogseam.h"

#include <QList>
#include <QString>

#include <utility>

// Holds back the error display while a grid cell is painted. An error box
// opened inside a paint event would run a nested event loop while the
// painter is still active on the window; instead the texts are kept and shown
// through the seam that was current, once control is back in the event loop.
// Installs itself on construction and puts the previous seam back on
// destruction; every other dialog goes straight to the previous seam.
class DIALOGS_EXPORT PaintingErrorSeam : public DialogSeam {
public:
    PaintingErrorSeam();
    ~PaintingErrorSeam() override;

    // Queues the held texts for display by the event loop.
    void showHeldErrorsLater();

    int messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative = QString()) override;
    void showError(const QString &text, const QString &informative = QString()) override;
    bool lookup(const LookupRequest &request) override;
    QString saveFileName(const QString &title, const QString &suggested, const QString &filter) override;
    bool pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list) override;
    void search(TDataSource *source) override;
    bool signIn(const SignInPrompt &prompt) override;

private:
    DialogSeam *m_previous;
    QList<std::pair<QString, QString>> m_errors;  // text and informative text
};
