#include "hostsearch.h"

#include "dialogseam.h"
#include "hostmessages.h"
#include "tclientdataset.h"
#include "tdatasource.h"

void Procura(TClientDataSet *dataSet)
{
    if (!dataSet || !dataSet->Active())
        return;
    TDataSource source;
    source.setDataSet(dataSet);
    DialogSeam::current().search(&source);
}

void PesquisaLista(TDataSource *source, const QString &keyField, const QString &title, bool flag, QString &list)
{
    const qsizetype bar = title.indexOf(QLatin1Char('|'));
    const QString caption = bar < 0 ? title : title.left(bar);
    const QString emptyMessage = bar < 0 ? QString() : title.mid(bar + 1);
    const TClientDataSet *dataSet = source ? source->dataSet() : nullptr;
    if ((!dataSet || dataSet->IsEmpty()) && !emptyMessage.isEmpty()) {
        MensErro(emptyMessage, flag);
        return;
    }
    QString chosen = list;
    if (DialogSeam::current().pickList(source, keyField, caption, chosen))
        list = chosen;
}
