#pragma once

#include <functional>

class CommissionService;
class TClientDataSet;
class TMessages;

// Loads the salespeople with their commission, the pending quotes and the
// quotes of the current salesperson from the commission service into the
// screen's record sets, with the busy indicator on while each call runs.
class QuoteLoader {
public:
    // What loading touches on the screen.
    struct Screen {
        CommissionService *service = nullptr;
        TClientDataSet *cdsParamOrcaEve = nullptr;
        TClientDataSet *cdsVendedores = nullptr;
        TClientDataSet *cdsOrcamentos = nullptr;
        TClientDataSet *cdsOrcaPendente = nullptr;
        TMessages *msgPadrao = nullptr;
        std::function<void()> activateVendedorTab;  // makes "Vendedor" the active tab
        std::function<void()> Habilita;
    };

    explicit QuoteLoader(Screen screen);

    // Loads salespeople and pending quotes for the current filter, then the
    // quotes of the current salesperson; may show the pending dialog once per
    // filter run. Errors of the service calls travel on to the caller.
    void DadosOrcamento();
    // Loads the quotes of the salesperson now current.
    void cdsVendedoresAfterScroll();

private:
    Screen m_screen;
};
