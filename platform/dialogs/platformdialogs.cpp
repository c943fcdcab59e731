#include "platformdialogs.h"

#include "hostmessages.h"
#include "hosttext.h"
#include "lookupdialog.h"
#include "picklistdialog.h"
#include "searchdialog.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QApplication>

bool runLookupDialog(const LookupRequest &request)
{
    if (!request.source || !request.source->dataSet())
        return false;
    LookupDialog dialog(request, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return dialog.applyChoice();
}

bool runPickListDialog(TDataSource *source, const QString &keyField, const QString &title, QString &list)
{
    // "Title|message": the caption, then what to say when there is nothing to pick.
    const QString caption = title.section(QLatin1Char('|'), 0, 0);
    const QString emptyMessage = title.section(QLatin1Char('|'), 1);
    const TClientDataSet *set = source ? source->dataSet() : nullptr;
    if (!set || set->IsEmpty()) {
        MensErro(EmptyString(emptyMessage) ? QStringLiteral("Não há registros para selecionar.") : emptyMessage, false);
        return false;
    }
    PickListDialog dialog(source, keyField, caption, list, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    list = dialog.chosenList();
    return true;
}

void runSearchDialog(TDataSource *source)
{
    if (!source || !source->dataSet() || source->dataSet()->IsEmpty())
        return;
    SearchDialog dialog(source, QApplication::activeWindow());
    dialog.exec();
}
