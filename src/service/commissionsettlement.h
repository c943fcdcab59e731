#pragma once

#include "commissionclient.h"
#include "dialogseam.h"
#include "servicemessages.h"

#include <functional>

class QObject;
class RemoteCallError;
class TClientDataSet;
class TMessages;
class TransportError;

// Generating and cancelling the commission of the marked quotes of the
// current salesperson: after the user's confirmation the whole quote set goes
// to the commission service, the answer is shown from the screen's catalogue
// and the lists are reloaded, so they show what the server now holds. Beside
// each catalogue text the box tells the numbers (SettlementTexts): how many
// quotes and what amount a question is about, the payables created, lowered
// or removed, what stopped a refusal, and after a call that got no answer
// whether anything can have been written.
//
// The busy indicator (kind 1) is on while a command runs and off on every way
// out. An error of the service naming a parameter key ("N_PARAM_...") is shown
// from the catalogue and ends the command without a reload; so does a call
// that surely never reached the server, while one whose answer was lost is
// followed by the reload. Every other error travels on unchanged to the
// handler guard's error display.
class CommissionSettlement {
public:
    // What the commands touch on the screen.
    struct Screen {
        CommissionClient *service = nullptr;
        QObject *context = nullptr;  // the completions run while it lives
        TClientDataSet *cdsVendedores = nullptr;
        TClientDataSet *cdsOrcamentos = nullptr;
        TMessages *msgPadrao = nullptr;
        // The screen's refresh command: reloads salespeople and quotes, then
        // runs `then` once they are in.
        std::function<void(std::function<void()> then)> sbtVerificarClick;
        // Runs the dialog that asks why a cancellation is asked for; shown
        // through the dialog seam.
        DialogSeam::ReasonDialog reasonDialog;
        // Told when a command starts (its questions are part of it) and when
        // it, or its call, has come to an end. May be empty.
        std::function<void()> callStarted, callEnded;
    };

    explicit CommissionSettlement(Screen screen);

    // Generates: asks, sends the quotes with the operator's code, shows
    // success or the refusal, stops the indicator, then reloads. The call is
    // asynchronous: the command returns once it is sent.
    void sbtConfirmarClick();
    // Cancels: asks (only with marked quotes and listed salespeople), then
    // for the reason, sends the quotes with the operator's code and the
    // reason, reloads, then shows success and stops the indicator. A reason
    // not given abandons the cancellation as a No does.
    void sbtCancelarClick();

private:
    bool confirmed(const QString &questionKey, bool generating) const;
    void informSuccess(const QString &key, const QString &informative) const;
    void generated(const ClientOutcome<SettlementAnswer> &outcome);
    void cancelled(const ClientOutcome<SettlementAnswer> &outcome);
    void reload(std::function<void()> then = {}) const;
    void showParameterError(const RemoteCallError &error) const;
    // Shows a call that got no answer; true when it may have been written.
    bool showUnanswered(const TransportError &error) const;
    void started() const;
    void ended() const;

    Screen m_screen;
    ServiceMessages m_messages;
};
