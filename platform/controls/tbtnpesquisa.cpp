#include "tbtnpesquisa.h"

#include "dialogseam.h"
#include "handlerguard.h"
#include "hostmessages.h"
#include "tadoibquery.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QLineEdit>

TBtnPesquisa::TBtnPesquisa(QWidget *parent) : QToolButton(parent)
{
    setToolTip(QStringLiteral("Pesquisar"));
    setFocusPolicy(Qt::NoFocus);  // a click leaves the focus in the code field
    connect(this, &QToolButton::clicked, this, [this] { runGuarded([this] { Pesquisa(); }); });
}

void TBtnPesquisa::Pesquisa()
{
    TClientDataSet *set = DataSource ? DataSource->dataSet() : nullptr;
    if (!set)
        return;
    // A query is run afresh, so the list shows the table as it is now.
    if (auto *query = qobject_cast<TADOIBQuery *>(set))
        query->Open();
    else if (!set->Active())
        set->Open();
    if (set->IsEmpty())
        MensErro(EmptyError.isEmpty() ? QStringLiteral("Não há registros cadastrados.") : EmptyError, true);
    if (!DialogSeam::current().lookup({DataSource, Title, rowOfAssociatedCode(*set), FieldNome}))
        return;
    if (OnAfterPesq)
        OnAfterPesq();
}

int TBtnPesquisa::rowOfAssociatedCode(const TClientDataSet &set) const
{
    const QString code = Associate ? Associate->text().trimmed() : QString();
    if (code.isEmpty() || set.fields().isEmpty())
        return -1;
    for (int row = 0; row < set.RecordCount(); ++row) {
        if (set.valueAt(row, 0).toString().trimmed() == code)
            return row;
    }
    return -1;
}
