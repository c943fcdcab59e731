#include "branchpanel.h"

#include "commandglyphs.h"
#include "fielddef.h"
#include "fillcolour.h"
#include "formfont.h"
#include "hostoperations.h"
#include "remotecontract.h"
#include "screenbranch.h"
#include "tadoibquery.h"
#include "tbtnpesquisa.h"
#include "tdatasource.h"
#include "tmessages.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShortcut>

namespace {

// Branch codes are stored four characters wide.
constexpr int kCodeWidth = contract::RemoteContract::branchCodeWidth;

}  // namespace

BranchPanel::BranchPanel(QFrame *panel, QObject *owner, TMessages *messages) : m_messages(messages)
{
    lblFilial = new QLabel(QStringLiteral("Filial"), panel);
    lblFilial->setObjectName(QStringLiteral("lblFilial"));
    lblFilial->setFont(FormFont(11, true));
    lblFilial->move(6, 10);
    lblFilial->adjustSize();

    medCdFilial = new QLineEdit(panel);
    medCdFilial->setObjectName(QStringLiteral("medCdFilial"));
    // Letters turn to upper case; up to four letters or digits, each optional;
    // an empty position shows as a blank.
    medCdFilial->setInputMask(QStringLiteral(">nnnn; "));
    medCdFilial->setGeometry(50, 7, 54, 19);
    medCdFilial->setFont(FormFont(11));
    setFillColour(medCdFilial, medCdFilial->palette().color(QPalette::ToolTipBase));
    lblFilial->setBuddy(medCdFilial);

    btnFilial = new TBtnPesquisa(panel);
    btnFilial->setObjectName(QStringLiteral("btnFilial"));
    btnFilial->setGeometry(107, 7, 21, 21);
    btnFilial->setToolTip(QStringLiteral("Pesquisar"));
    btnFilial->setIcon(commandGlyph(CommandGlyph::Search));

    edtNmFilial = new QLineEdit(panel);
    edtNmFilial->setObjectName(QStringLiteral("edtNmFilial"));
    edtNmFilial->setGeometry(132, 7, 305, 19);
    edtNmFilial->setFont(FormFont(11));
    setFillColour(edtNmFilial, edtNmFilial->palette().color(QPalette::Button));
    edtNmFilial->setEnabled(false);

    QWidget::setTabOrder(medCdFilial, btnFilial);
    QWidget::setTabOrder(btnFilial, edtNmFilial);

    qryFilial = new TADOIBQuery(owner);
    qryFilial->setObjectName(QStringLiteral("qryFilial"));
    qryFilial->SQL = {QStringLiteral("SELECT CDFILIAL , NMFILIAL, CDEMPRESA, CDSERIE"), QStringLiteral("  FROM FILIAL"),
                      QStringLiteral(" ORDER BY CDFILIAL "), QStringLiteral(" ")};
    qryFilial->addField({.name = QStringLiteral("CDFILIAL"), .size = 4, .displayLabel = QStringLiteral("Código")});
    qryFilial->addField(
        {.name = QStringLiteral("NMFILIAL"), .size = 30, .displayLabel = QStringLiteral("Nome"), .displayWidth = 50});
    qryFilial->addField({.name = QStringLiteral("CDEMPRESA"), .size = 2, .visible = false});
    qryFilial->addField({.name = QStringLiteral("CDSERIE"), .size = 5, .visible = false});

    dtsFilial = new TDataSource(owner);
    dtsFilial->setObjectName(QStringLiteral("dtsFilial"));
    dtsFilial->setDataSet(qryFilial);

    qryVdFilial = new TADOIBQuery(owner);
    qryVdFilial->setObjectName(QStringLiteral("qryVdFilial"));
    qryVdFilial->SQL = {QStringLiteral("SELECT CDFILIAL, NMFILIAL"), QStringLiteral("  FROM FILIAL"),
                        QStringLiteral(" WHERE CDFILIAL = :P_CDFILIAL"), QStringLiteral(" ")};
    qryVdFilial->addField({.name = QStringLiteral("CDFILIAL"), .size = 4});
    qryVdFilial->addField({.name = QStringLiteral("NMFILIAL"), .size = 50});

    btnFilial->Associate = medCdFilial;
    btnFilial->DataSource = dtsFilial;
    btnFilial->FieldNome = QStringLiteral("NMFILIAL");
    btnFilial->Title = QStringLiteral("Filial");
    btnFilial->EmptyError = QStringLiteral("Não há filial cadastrada.");

    // The lookup button takes no focus; F9 in the code field opens the list,
    // so it is reachable from the keyboard as well.
    auto *lookupKey = new QShortcut(QKeySequence(Qt::Key_F9), medCdFilial, nullptr, nullptr, Qt::WidgetShortcut);
    lookupKey->setObjectName(QStringLiteral("lookupKey"));
    QObject::connect(lookupKey, &QShortcut::activated, btnFilial, &QToolButton::click);
}

QString BranchPanel::code() const
{
    return medCdFilial->text().trimmed();
}

void BranchPanel::validate()
{
    // Whatever ends the validation early leaves the focus in the code field,
    // so the user can correct the code; the error itself travels on.
    bool validated = false;
    auto keepFocusOnFailure = qScopeGuard([&] {
        if (!validated)
            focusCodeIfEnabled();
    });

    if (EmptyString(code()))
        MensErro(m_messages->Msg(QStringLiteral("FILI_N_INF")), true);

    medCdFilial->setText(Ajusta(code(), kCodeWidth));

    qryVdFilial->Close();
    qryVdFilial->ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(code());
    qryVdFilial->Open();
    if (qryVdFilial->IsEmpty()) {
        focusCodeIfEnabled();
        MensErro(m_messages->Msg(QStringLiteral("FILI_N_CAD")), true);
    }

    const QString branch = qryVdFilial->AsString(QStringLiteral("CDFILIAL"));
    const QString name = qryVdFilial->AsString(QStringLiteral("NMFILIAL"));
    showBranch(branch, name);
    validated = true;
    // The status bar keeps the session's branch until the operator takes
    // another one here; from then on it follows the screen's.
    if (m_reportedCode.isEmpty() && branch == m_sessionCode)
        return;
    m_reportedCode = branch;
    m_reportedName = name;
    ReportScreenBranch(branch, name);
}

void BranchPanel::reportClosed() const
{
    if (!m_reportedCode.isEmpty())
        ReportScreenBranch(QString());
}

void BranchPanel::reportReopened() const
{
    if (!m_reportedCode.isEmpty())
        ReportScreenBranch(m_reportedCode, m_reportedName);
}

void BranchPanel::takeSession(const QString &code, const QString &name, bool fixed)
{
    m_sessionCode = code;
    showBranch(code, name);
    lblFilial->setEnabled(!fixed);
    medCdFilial->setEnabled(!fixed);
    btnFilial->setEnabled(!fixed);
}

void BranchPanel::clearName()
{
    edtNmFilial->clear();
}

void BranchPanel::takePick()
{
    showBranch(qryFilial->AsString(QStringLiteral("CDFILIAL")), qryFilial->AsString(QStringLiteral("NMFILIAL")));
}

void BranchPanel::takePickAndEnter()
{
    takePick();
    focusCodeIfEnabled();
}

void BranchPanel::focusCodeIfEnabled()
{
    if (medCdFilial->isEnabled())
        medCdFilial->setFocus();
}

void BranchPanel::showBranch(const QString &code, const QString &name)
{
    // Setting the code clears the name, so the name comes second.
    medCdFilial->setText(code);
    edtNmFilial->setText(name);
}
