#pragma once

#include "commissionclient.h"

#include <QString>

#include <functional>

class TClientDataSet;
class TMessages;

// Loads the salespeople with their commission, the pending quotes and the
// quotes of the current salesperson from the commission service into the
// screen's record sets, with the busy indicator on while each call runs.
class QuoteLoader {
public:
    // What loading touches on the screen.
    struct Screen {
        CommissionClient *service = nullptr;
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
    };

    explicit QuoteLoader(Screen screen);

    // Loads salespeople and pending quotes for the current filter, then the
    // quotes of the current salesperson; may show the pending dialog once per
    // filter run. Errors of the service calls travel on to the caller.
    void DadosOrcamento();
    // Loads the quotes of the salesperson now current. Does nothing while
    // DadosOrcamento is replacing the salespeople, which loads the quotes
    // itself once they are in.
    void cdsVendedoresAfterScroll();

private:
    CommissionClient::Selection selection(const QString &salespeople) const;
    void loadSalespeople(const CommissionClient::SalespeopleAnswer &answer);
    void loadQuotes();
    void emptyQuotes();
    void showPendingOnce();

    Screen m_screen;
    bool m_replacingSalespeople = false;
};
