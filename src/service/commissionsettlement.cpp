#include "commissionsettlement.h"

#include "dialogseam.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "session.h"
#include "settlementtexts.h"
#include "tclientdataset.h"
#include "tmessages.h"
#include "tnetconnection.h"

#include <QScopeGuard>

#include <utility>

using namespace Cli_ORE09700;

namespace {

constexpr int processingAnimation = 1;

const QString generateQuestionKey = QStringLiteral("DESEJA");
const QString generatedKey = QStringLiteral("SUCESSO");
const QString cancelQuestionKey = QStringLiteral("CANCELA");
const QString cancelledKey = QStringLiteral("CANC_SUCESSO");

QString messageOf(const RemoteCallError &error)
{
    return QString::fromUtf8(error.what());
}

}  // namespace

CommissionSettlement::CommissionSettlement(Screen screen) : m_screen(std::move(screen)), m_messages(*m_screen.msgPadrao)
{
}

void CommissionSettlement::sbtConfirmarClick()
{
    // The question is part of the command: a command that comes meanwhile
    // finds the screen busy.
    started();
    const auto asked = qScopeGuard([this] { ended(); });
    ActiveShowAvi(MainForm(), processingAnimation);
    if (!confirmed(generateQuestionKey, true)) {
        // Also after a No: the lists show what the server holds.
        DeactiveShowAvi();
        reload();
        return;
    }
    // Every quote of the current salesperson goes, marked or not, with its
    // mark, percentage and commission value as last posted; the service
    // takes the marked ones.
    started();
    m_screen.service->setComissao(m_screen.cdsOrcamentos->data(), Operador(), m_screen.context,
                                  [this](const ClientOutcome<SettlementAnswer> &outcome) {
                                      const auto over = qScopeGuard([this] { ended(); });
                                      runGuarded([&] { generated(outcome); });
                                  });
}

void CommissionSettlement::generated(const ClientOutcome<SettlementAnswer> &outcome)
{
    try {
        const SettlementAnswer &answer = outcome.value();
        if (EmptyString(answer.refusal))
            informSuccess(generatedKey, SettlementTexts::generated(answer.payables));
        else
            MensErro(m_messages.refusal(answer.refusal), false, SettlementTexts::alreadySettled(answer.alreadySettled));
    } catch (const RemoteCallError &error) {
        // Only the server's own errors name catalogue keys; any other error,
        // and a service error without one, travels on unchanged.
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        DeactiveShowAvi();
        showParameterError(error);
    } catch (const TransportError &error) {
        // Nothing changed when it never left: the marks stay for another try.
        if (!showUnanswered(error))
            return;
    }
    DeactiveShowAvi();
    // Also after a refusal: the lists show what the server holds.
    reload();
}

void CommissionSettlement::sbtCancelarClick()
{
    started();
    const auto asked = qScopeGuard([this] { ended(); });
    ActiveShowAvi(MainForm(), processingAnimation);
    std::optional<QString> reason;
    if (inContOrcamento > 0 && !m_screen.cdsVendedores->IsEmpty() && confirmed(cancelQuestionKey, false))
        reason = DialogSeam::current().cancellationReason(m_screen.reasonDialog);
    if (!reason) {
        reload([] { DeactiveShowAvi(); });
        return;
    }
    started();
    m_screen.service->setCancelaComissao(m_screen.cdsOrcamentos->data(), Operador(), reason->trimmed(),
                                         m_screen.context, [this](const ClientOutcome<SettlementAnswer> &outcome) {
                                             const auto over = qScopeGuard([this] { ended(); });
                                             runGuarded([&] { cancelled(outcome); });
                                         });
}

void CommissionSettlement::cancelled(const ClientOutcome<SettlementAnswer> &outcome)
{
    QString done;
    try {
        done = SettlementTexts::cancelled(outcome.value().payables);
    } catch (const RemoteCallError &error) {
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        DeactiveShowAvi();
        showParameterError(error);
    } catch (const TransportError &error) {
        if (showUnanswered(error))
            reload();
        return;
    }
    reload([this, done] {
        informSuccess(cancelledKey, done);
        DeactiveShowAvi();
    });
}

void CommissionSettlement::reload(std::function<void()> then) const
{
    m_screen.sbtVerificarClick(std::move(then));
}

void CommissionSettlement::started() const
{
    if (m_screen.callStarted)
        m_screen.callStarted();
}

void CommissionSettlement::ended() const
{
    if (m_screen.callEnded)
        m_screen.callEnded();
}

// Asks with the count and amount of the marked quotes beside the question.
bool CommissionSettlement::confirmed(const QString &questionKey, bool generating) const
{
    return MessageDlg(m_screen.msgPadrao->Msg(questionKey), MsgDlgType::Confirmation, mbYes | mbNo, 0,
                      SettlementTexts::markedQuotes(m_screen.cdsOrcamentos->data(), generating))
           == mrYes;
}

void CommissionSettlement::informSuccess(const QString &key, const QString &informative) const
{
    MessageDlg(m_screen.msgPadrao->Msg(key), MsgDlgType::Information, mbOK, 0, informative);
}

// Shows the text, with the paid payables that stopped a cancellation, then
// ends the command silently: no reload follows.
void CommissionSettlement::showParameterError(const RemoteCallError &error) const
{
    MensErro(m_messages.parameterError(messageOf(error)), true,
             SettlementTexts::paid(SettlementAnswer::payablesIn(error.details())));
}

bool CommissionSettlement::showUnanswered(const TransportError &error) const
{
    DeactiveShowAvi();
    MensErro(QString::fromUtf8(error.what()), false, SettlementTexts::unanswered(error.notSent()));
    return !error.notSent();
}
