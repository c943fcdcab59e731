#pragma once

#include "commissionclient.h"

#include <QString>

#include <exception>
#include <functional>

class QObject;
class TClientDataSet;
class TMessages;

// Loads the salespeople with their commission, the pending quotes and the
// quotes of the current salesperson from the commission service into the
// screen's record sets, with the busy indicator on while each call runs. The
// calls are asynchronous: each step goes on in the completion of the call
// before it, and the event loop runs meanwhile.
class QuoteLoader {
public:
    // What loading touches on the screen.
    struct Screen {
        CommissionClient *service = nullptr;
        QObject *context = nullptr;  // the completions run while it lives
        TClientDataSet *cdsParamOrcaEve = nullptr;
        TClientDataSet *cdsVendedores = nullptr;
        TClientDataSet *cdsOrcamentos = nullptr;
        TClientDataSet *cdsOrcaPendente = nullptr;
        TMessages *msgPadrao = nullptr;
        std::function<void()> activateVendedorTab;  // makes "Vendedor" the active tab
        std::function<void()> Habilita;
        // Shows the pending quotes with the warning text and returns once the
        // user has closed the dialog (the screen's pending dialog).
        std::function<void(TClientDataSet *pending, const QString &text)> showPending;
        // Told the selection the lists now show, once the salespeople of a
        // load are in; not told of a load that failed. May be empty.
        std::function<void(const CommissionClient::Selection &selection)> listsLoaded;
        // Told when a call starts and when it has come to an end (the
        // screen's one "call in progress" state). May be empty.
        std::function<void()> callStarted, callEnded;
    };
    // Runs once a load has ended: ok, or failed with its error shown.
    using Done = std::function<void(bool ok)>;

    explicit QuoteLoader(Screen screen);

    // Loads salespeople and pending quotes for the current filter, then the
    // quotes of the current salesperson; may show the pending dialog once per
    // filter run. An error of a call ends the load and is shown by the
    // handler guard, after the tab and the enabling rules were brought up
    // to date.
    void DadosOrcamento(Done done = {});
    // Loads the quotes of the salesperson now current. Does nothing while
    // DadosOrcamento is replacing the salespeople, which loads the quotes
    // itself once they are in.
    void cdsVendedoresAfterScroll(Done done = {});

private:
    CommissionClient::Selection selection(const QString &salespeople) const;
    void loadSalespeople(const CommissionClient::SalespeopleAnswer &answer);
    void salespeopleArrived(const CommissionClient::Selection &loaded,
                            const ClientOutcome<CommissionClient::SalespeopleAnswer> &outcome, const Done &done);
    void loadQuotes(std::function<void(const std::exception_ptr &error)> then);
    std::exception_ptr quotesArrived(const ClientOutcome<packet::Packet> &outcome);
    void finish() const;
    static void notify(const Done &done, bool ok);
    void emptyQuotes();
    void showPendingOnce();
    void started() const;
    void ended() const;

    Screen m_screen;
    bool m_replacingSalespeople = false;
};
