#include "commissionsettlement.h"

#include "dialogseam.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "session.h"
#include "tclientdataset.h"
#include "tmessages.h"
#include "tnetconnection.h"

#include <QScopedValueRollback>

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
    if (m_running)
        return;
    const QScopedValueRollback running(m_running, true);
    try {
        {
            const BusyWhile busy(MainForm(), processingAnimation);
            if (confirmed(generateQuestionKey))
                generate();
        }
        // Also after a No or a refusal: the lists show what the server holds.
        m_screen.sbtVerificarClick();
    } catch (const RemoteCallError &error) {
        // Only the server's own errors name catalogue keys; any other error,
        // and a service error without one, travels on unchanged.
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        showParameterError(messageOf(error));
    }
}

void CommissionSettlement::sbtCancelarClick()
{
    if (m_running)
        return;
    const QScopedValueRollback running(m_running, true);
    try {
        const BusyWhile busy(MainForm(), processingAnimation);
        bool cancelled = false;
        if (inContOrcamento > 0 && !m_screen.cdsVendedores->IsEmpty() && confirmed(cancelQuestionKey)) {
            const std::optional<QString> reason = DialogSeam::current().cancellationReason(m_screen.reasonDialog);
            if (reason) {
                m_screen.service->SetCancelaComissao(m_screen.cdsOrcamentos->data(), Operador(), reason->trimmed());
                cancelled = true;
            }
        }
        m_screen.sbtVerificarClick();
        if (cancelled)
            informSuccess(cancelledKey);
    } catch (const RemoteCallError &error) {
        if (!ServiceMessages::namesParameterKey(messageOf(error)))
            throw;
        showParameterError(messageOf(error));
    }
}

bool CommissionSettlement::confirmed(const QString &questionKey) const
{
    return MessageDlg(m_screen.msgPadrao->Msg(questionKey), MsgDlgType::Confirmation, mbYes | mbNo, 0) == mrYes;
}

void CommissionSettlement::informSuccess(const QString &key) const
{
    MessageDlg(m_screen.msgPadrao->Msg(key), MsgDlgType::Information, mbOK, 0);
}

// Every quote of the current salesperson goes, marked or not, with its mark,
// percentage and commission value as last posted; the service takes the
// marked ones.
void CommissionSettlement::generate()
{
    const QString operatorCode = Operador();
    const QString answer = m_screen.service->SetComissao(m_screen.cdsOrcamentos->data(), operatorCode);
    if (EmptyString(answer))
        informSuccess(generatedKey);
    else
        MensErro(m_messages.refusal(answer), false);
}

// Shows the text, then ends the command silently: no reload follows.
void CommissionSettlement::showParameterError(const QString &errorText) const
{
    MensErro(m_messages.parameterError(errorText), true);
}
