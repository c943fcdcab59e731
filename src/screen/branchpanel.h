#pragma once

#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QObject;
class TADOIBQuery;
class TBtnPesquisa;
class TDataSource;
class TMessages;

// The branch panel at the top of the maintenance screen: the label, the
// masked code field, the lookup button over the branch table and the name
// field, with the two branch queries. It validates the code against the
// branch table; what entering and leaving the panel does to the lists and the
// filter belongs to the screen.
class BranchPanel {
public:
    // Builds the controls inside `panel` and the queries owned by `owner`;
    // messages come from `messages` (keys "FILI_N_INF" and "FILI_N_CAD").
    BranchPanel(QFrame *panel, QObject *owner, TMessages *messages);

    QLabel *lblFilial = nullptr;
    QLineEdit *medCdFilial = nullptr;
    TBtnPesquisa *btnFilial = nullptr;
    QLineEdit *edtNmFilial = nullptr;
    TADOIBQuery *qryFilial = nullptr;
    TDataSource *dtsFilial = nullptr;
    TADOIBQuery *qryVdFilial = nullptr;

    // The code as typed, without the blanks of the mask.
    QString code() const;

    // Checks the code against the branch table. On success the field holds
    // the code as the table stores it and the name field its name. An empty
    // or unknown code, or a failing query, ends with the error travelling on
    // and the focus in the code field (when it is enabled). A branch
    // validated becomes the one the host's status bar shows.
    void validate();
    // The host's status bar shows the session's branch again while the
    // screen is closed, and the validated one once it is back.
    void reportClosed() const;
    void reportReopened() const;

    // Shows the session's branch; the label, the code field and the lookup
    // button are enabled exactly when the session does not fix the branch.
    void takeSession(const QString &code, const QString &name, bool fixed);

    // Any change of the code invalidates the name shown.
    void clearName();
    // Shows the branch the lookup list left current.
    void takePick();
    // Shows the pick and enters the panel: the lookup button takes no focus,
    // so a pick made from outside the panel enters it now, emptying the lists
    // of the old branch, and leaving it runs the filter for the picked one;
    // the header never disagrees with the lists.
    void takePickAndEnter();

    void focusCodeIfEnabled();

private:
    void showBranch(const QString &code, const QString &name);

    TMessages *m_messages;
    QString m_sessionCode;
    QString m_reportedCode;  // taken on the screen; empty until the operator takes another branch
    QString m_reportedName;
};
