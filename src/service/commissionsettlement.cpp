#include "commissionsettlement.h"

#include "dialogseam.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "session.h"
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
    if (!confirmed(generateQuestionKey)) {
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
                                  [this](const ClientOutcome<QString> &outcome) {
                                      const auto over = qScopeGuard([this] { ended(); });
                                      runGuarded([&] { generated(outcome); });
                                  });
}

void CommissionSettlement::generated(const ClientOutcome<QString> &outcome)
{
    try {
        const QString answer = outcome.value();
        if (EmptyString(answer))
            informSuccess(generatedKey);
        else
            MensErro(m_messages.refusal(answer), false);
    } catch (const RemoteCallError &error) {
        // Only the server's own errors name catalogue keys; any other error,
        // and a service error without one, travels on unchanged.
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        DeactiveShowAvi();
        showParameterError(messageOf(error));
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
    if (inContOrcamento > 0 && !m_screen.cdsVendedores->IsEmpty() && confirmed(cancelQuestionKey))
        reason = DialogSeam::current().cancellationReason(m_screen.reasonDialog);
    if (!reason) {
        reload([] { DeactiveShowAvi(); });
        return;
    }
    started();
    m_screen.service->setCancelaComissao(m_screen.cdsOrcamentos->data(), Operador(), reason->trimmed(),
                                         m_screen.context, [this](const ClientOutcome<packet::Packet> &outcome) {
                                             const auto over = qScopeGuard([this] { ended(); });
                                             runGuarded([&] { cancelled(outcome); });
                                         });
}

void CommissionSettlement::cancelled(const ClientOutcome<packet::Packet> &outcome)
{
    try {
        outcome.value();
    } catch (const RemoteCallError &error) {
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        DeactiveShowAvi();
        showParameterError(messageOf(error));
    }
    reload([this] {
        informSuccess(cancelledKey);
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

bool CommissionSettlement::confirmed(const QString &questionKey) const
{
    return MessageDlg(m_screen.msgPadrao->Msg(questionKey), MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

void CommissionSettlement::informSuccess(const QString &key) const
{
    MessageDlg(m_screen.msgPadrao->Msg(key), MsgDlgType::Information, mbOK, 0);
}

// Shows the text, then ends the command silently: no reload follows.
void CommissionSettlement::showParameterError(const QString &errorText) const
{
    MensErro(m_messages.parameterError(errorText), true);
}
