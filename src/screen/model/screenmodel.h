#pragma once

#include "commissionclient.h"
#include "commissionsettlement.h"
#include "quoteloader.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TClientDataSet;
class TMessages;
class TNetConnection;

// What the maintenance screen holds and does, without its widgets: the four
// record sets, the connection and the client of the commission service, the
// loading, generation and cancellation flows, the enabling rules, and the one
// "call in progress" state. Every remote call is asynchronous; while one runs
// the model is busy, refuses further commands and says so (busyChanged), and
// each flow goes on in the completion of its call. The form reports what it
// needs to know (the active control) and obeys what the model asks of it
// through the view's functions (activating a tab, showing the pending quotes).
class ScreenModel : public QObject {
    Q_OBJECT
public:
    explicit ScreenModel(QObject *parent = nullptr);
    ~ScreenModel() override;

    TNetConnection *const netManuComissao;
    TClientDataSet *const cdsParamOrcaEve;
    TClientDataSet *const cdsVendedores;
    TClientDataSet *const cdsOrcamentos;
    TClientDataSet *const cdsOrcaPendente;

    CommissionClient &client();

    // What the flows ask of the form.
    struct View {
        TMessages *messages = nullptr;
        std::function<void()> activateVendedorTab;
        std::function<void()> Habilita;
        std::function<void(TClientDataSet *pending, const QString &text)> showPending;
        std::function<void(const CommissionClient::Selection &selection)> listsLoaded;
        DialogSeam::ReasonDialog reasonDialog;
    };
    void attach(View view);

    bool busy() const;
    // Gives up the listing the screen waits for, when that may be done: its
    // flow ends as a failed load ends, without an error shown, and the status
    // line says so. A generation or cancellation sent, and the reload that
    // follows it, are waited for.
    void abandonWait();

    // What the operator should know that no dialog says: the quote
    // parameters missing, a load given up, where a file went. Empty when
    // there is nothing.
    QString statusLine() const;
    // Says `notice` on the status line until the next one (the missing
    // parameters say theirs first).
    void setNotice(const QString &notice);
    static const QString parametersMissingText, loadCancelledText, alreadySentText;

    // A screen created: no period, every salesperson and event type, the
    // quote parameters still to be loaded.
    void resetFilter();
    // The session's server and credentials, before each connect.
    static void prepareConnection(TNetConnection &connection);

    // A field of the quote parameters; empty until they are loaded.
    QString quoteParameter(const QString &field) const;
    // A load of the quote parameters ended without them: the commands that
    // filter or list load them first.
    bool parametersMissing() const;
    // The lists' branch, or `typed` while no list was loaded.
    static QString listsBranch(const QString &typed);

    // Entering the branch panel empties the lists and asks for a filter on
    // leaving it.
    void enterBranchPanel();
    // What a filter run starts from: no quote marked, the pending quotes
    // shown again; then the lists are loaded for the branch validated.
    void prepareFilter();
    void setListsBranch(const QString &branch);
    // The operator changed the marks: the enabling rules may answer
    // differently.
    void marksChanged();

    // The commands. Each does nothing while a call is in progress; `then`
    // runs once the flow has ended well.
    void loadParameters(std::function<void()> then);
    void reload(std::function<void()> then = {});
    void loadQuotesOfCurrent();
    void generate();
    void cancel();
    // The whole settlement history of one salesperson at the branch; `then`
    // gets it once it is in.
    void history(const QString &branch, const QString &salesperson,
                 std::function<void(const CommissionClient::HistoryAnswer &history)> then);

    // The enabling rules: what the commands may do, given where the focus is
    // (a grid's cell editor counts as its grid) and the branch of the lists.
    struct Focus {
        bool onVendedores = false;
        bool onOrcamentos = false;
        QString branch;  // the lists' branch, or the code typed when none was loaded
    };
    struct Commands {
        bool procurar = false;
        bool verificar = false;
        bool confirmar = false;
        bool cancelar = false;
        bool filtrar = false;
        bool extrato = false;      // the statement: the current salesperson has quotes listed
        bool mayGenerate = false;  // the operator's right at the branch, whatever the state
        bool mayCancel = false;
    };
    Commands enabling(const Focus &focus) const;

signals:
    void busyChanged(bool busy);
    void enablingChanged();
    void statusLineChanged(const QString &text);

private:
    void callStarted();
    void callEnded();
    // What the busy panel offers, from the calls under way.
    void offerWayOut();

    std::unique_ptr<CommissionClient> m_client;
    std::unique_ptr<QuoteLoader> m_loader;
    std::unique_ptr<CommissionSettlement> m_settlement;
    int m_calls = 0;
    bool m_parametersFailed = false;
    bool m_settlementReload = false;  // the lists reloaded after a generation or cancellation
    QString m_notice;
};
