#pragma once

#include "dialogseam.h"

#include <QQueue>
#include <QStringList>

#include <functional>

// A dialog seam for tests: records every dialog shown and answers from queues
// (messageDlg answers mrYes/mrOk by default; lookups and picks decline unless a
// callback is given). Installs itself on construction, puts the seam that was
// current before back on destruction.
class ScriptedDialogs : public DialogSeam {
public:
    struct Shown {
        QString
            kind;  // "message", "error", "lookup", "pickList", "search", "save", "signIn", "signInRefused", "reason"
        QString text;  // the text, or the title
        MsgDlgType type = MsgDlgType::Information;
        int buttons = 0;
        QString informative{};  // beside the text of a message or an error; empty for none
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    QQueue<int> answers;  // next messageDlg results
    std::function<bool(TDataSource *, const QString &title)> onLookup;
    std::function<bool(TDataSource *, const QString &keyField, const QString &title, QString &list)> onPickList;
    std::function<void(TDataSource *)> onSearch;
    // The path a save dialog answers, given the suggested one; cancelled
    // (empty) unless set.
    std::function<QString(const QString &suggested)> onSaveFileName;
    // The passwords the operator types in the sign-in dialog, in order. Each
    // goes to the server (SignIn::signIn, for the prompt's operator); a
    // refusal is recorded ("signInRefused", the text the dialog would show)
    // and the next one is tried. With none left the operator leaves (false).
    QQueue<QString> signInPasswords;
    QList<SignInPrompt> signInPrompts;  // every sign-in dialog asked for, in order
    // The answers of the cancellation's reason prompt, in order: a reason,
    // or std::nullopt for an operator who abandons. With none queued,
    // onCancellationReason answers (it may run the module's dialog); without
    // it the prompt is abandoned.
    QQueue<std::optional<QString>> reasons;
    std::function<std::optional<QString>(const ReasonDialog &dialog)> onCancellationReason;

    QList<Shown> shown;
    QList<LookupRequest> lookups;  // every lookup list asked for, in order
    QList<int> cursorsShown;       // the cursor shape (Qt::CursorShape) while each dialog was up
    QStringList errors() const;    // texts of showError and Error-type messages
    QStringList messages() const;  // texts of every messageDlg and showError, in order
    void clear();                  // forgets what was shown; queued answers stay

    int messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative = QString()) override;
    void showError(const QString &text, const QString &informative = QString()) override;
    bool lookup(const LookupRequest &request) override;
    bool pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list) override;
    void search(TDataSource *source) override;
    QString saveFileName(const QString &title, const QString &suggested, const QString &filter) override;
    bool signIn(const SignInPrompt &prompt) override;
    std::optional<QString> cancellationReason(const ReasonDialog &dialog) override;

private:
    static int currentCursorShape();

    DialogSeam *m_previous;
};
