#pragma once

#include "dialogs_export.h"
#include "lookuprequest.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
class TDataSource;

// Message dialog kinds, buttons and results, with the platform's values.
enum class MsgDlgType { Warning, Error, Information, Confirmation };
enum MsgDlgButton { mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8 };
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Every dialog that the platform shows on behalf of a handler goes through the
// current seam: message and error boxes, the search dialog, the lookup list,
// the multi-select pick list, the choice of a file to save and the operator's
// sign-in. The default seam shows real modal dialogs;
// tests install a ScriptedDialogs that answers without a person.
class DIALOGS_EXPORT DialogSeam {
public:
    virtual ~DialogSeam();

    // Returns the ModalResult of the button pressed. `informative`, when
    // given, shows beside the text (what was done, with its numbers); the
    // text itself stays as the caller's catalogue holds it.
    virtual int messageDlg(const QString &text, MsgDlgType type, int buttons,
                           const QString &informative = QString()) = 0;
    virtual void showError(const QString &text, const QString &informative = QString()) = 0;

    // Lets the user pick one row of the request's record set; on true the
    // set's current row is the chosen one.
    virtual bool lookup(const LookupRequest &request) = 0;
    // Multi-select over the source's record set keyed by keyField; `list` holds
    // the codes already chosen (shown selected) and, on true, the new choice in
    // the list-string notation ("0001;0003").
    virtual bool pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list) = 0;
    // Lets the user search the set and moves its current row to the match.
    virtual void search(TDataSource *source) = 0;
    // Asks where to save a file: `suggested` is the proposed path, `filter`
    // the kinds offered ("Planilha CSV (*.csv)"). Empty when cancelled.
    virtual QString saveFileName(const QString &title, const QString &suggested, const QString &filter) = 0;

    // What the sign-in dialog (frmLogin) opens with.
    struct SignInPrompt {
        QString operatorCode;       // the operator field, filled in
        QString notice;             // a line above the fields; empty for none
        bool sameOperator = false;  // the operator field cannot be changed (a session renewed)
    };
    // Asks the operator to sign in to the commission server. Returns true
    // once the server accepted, with the session (Session::values) holding
    // the token, the operator code, name and rights it answered; false when
    // the operator gave up.
    virtual bool signIn(const SignInPrompt &prompt) = 0;
    // Asks why the commission of the marked quotes is cancelled. `dialog`
    // runs the module's own reason dialog and gives the trimmed reason, or
    // nothing when the operator abandons; this seam runs it, tests answer
    // instead.
    using ReasonDialog = std::function<std::optional<QString>()>;
    virtual std::optional<QString> cancellationReason(const ReasonDialog &dialog);

    static DialogSeam &current();
    // Installs a seam (nullptr: the default one). The caller keeps ownership.
    static void install(DialogSeam *seam);
};

// The platform's message dialog: text, kind, buttons, help context (unused)
// and the informative text beside the text (none when empty).
DIALOGS_EXPORT int MessageDlg(const QString &text, MsgDlgType type, int buttons, int helpContext = 0,
                              const QString &informative = QString());
