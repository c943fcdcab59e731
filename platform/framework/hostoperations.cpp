#include "hostoperations.h"

#include "busyindicator.h"
#include "dialogseam.h"
#include "operatorcursor.h"
#include "silentabort.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"

#include <QApplication>
#include <QPointer>

#include <memory>
#include <stdexcept>

namespace {

QPointer<QWidget> mainForm;
QPointer<BusyIndicator> busyIndicator;
// On from ActiveShowAvi to DeactiveShowAvi, also when there is no window to
// show the indicator on (tests without a host).
bool busyOn = false;
std::unique_ptr<OperatorCursor> busyCursor;
int screenCursor = crDefault;

const QString noDataText = QStringLiteral("O servidor não retornou dados.");
const QString unexpectedAnswerText = QStringLiteral("O servidor retornou uma resposta inesperada.");

// Characters that an empty date or time mask shows besides blanks.
bool isMaskLiteral(QChar character)
{
    return character == QLatin1Char('/') || character == QLatin1Char(':') || character == QLatin1Char('.')
           || character == QLatin1Char('-');
}

BusyIndicator *indicatorOn(QWidget *host)
{
    if (busyIndicator && busyIndicator->parentWidget() == host)
        return busyIndicator;
    if (busyIndicator)
        busyIndicator->stop();
    auto *found = host->findChild<BusyIndicator *>(QString(), Qt::FindDirectChildrenOnly);
    busyIndicator = found ? found : new BusyIndicator(host);
    return busyIndicator;
}

}  // namespace

void MensErro(const QString &text, bool abort)
{
    DialogSeam::current().showError(text);
    if (abort)
        Abort();
}

bool EmptyString(const QString &text)
{
    for (const QChar character : text) {
        if (!character.isSpace() && !isMaskLiteral(character))
            return false;
    }
    return true;
}

QString Ajusta(const QString &text, int width)
{
    const QString trimmed = text.trimmed();
    return trimmed.size() >= width ? trimmed : trimmed.rightJustified(width, QLatin1Char('0'));
}

int IndiceCol(const TDBGrid *grid, const QString &fieldName)
{
    if (!grid)
        return -1;
    for (int column = 0; column < grid->columnCount(); ++column) {
        if (grid->Column(column).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

void SetChildEnabled(QWidget *container, bool enabled)
{
    if (!container)
        return;
    const QList<QWidget *> children = container->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->setEnabled(enabled);
}

// `context` is the help context of the message, which this platform has no use for.
QJsonValue CheckResultServ(const QJsonValue &answer, bool raiseAbort, int /*context*/)
{
    if (answer.isObject() || answer.isArray())
        return answer;
    QString problem;
    if (answer.isString())
        problem = EmptyString(answer.toString()) ? noDataText : answer.toString();
    else if (answer.isNull() || answer.isUndefined())
        problem = noDataText;
    else
        problem = unexpectedAnswerText;
    MensErro(problem, raiseAbort);
    return QJsonValue();
}

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

void ActiveShowAvi(QWidget *form, int kind, const QString &text)
{
    QWidget *host = form ? form : MainForm();
    if (!host)
        host = QApplication::activeWindow();
    // The hourglass while the program works, over whatever was shown.
    if (!busyOn)
        busyCursor = std::make_unique<OperatorCursor>(OperatorCursor::Shows::Working);
    busyOn = true;
    if (host)
        indicatorOn(host)->start(kind, text);
}

void DeactiveShowAvi()
{
    busyOn = false;
    busyCursor.reset();
    if (busyIndicator)
        busyIndicator->stop();
}

bool BusyIndicatorShown()
{
    return busyOn;
}

QWidget *MainForm()
{
    return mainForm;
}

void SetMainForm(QWidget *form)
{
    mainForm = form;
}

QString InvalidDateText(const QString &typed)
{
    return QStringLiteral("Data inválida: %1. Informe uma data existente, no formato dd/mm/aaaa.").arg(typed.trimmed());
}

void SetScreenCursor(int cursor)
{
    switch (cursor) {
    case crDefault:
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        break;
    case crHourGlass:
        if (QApplication::overrideCursor())
            QApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    default:
        throw std::invalid_argument(QStringLiteral("Cursor de tela desconhecido: %1.").arg(cursor).toStdString());
    }
    screenCursor = cursor;
}

int ScreenCursor()
{
    return screenCursor;
}
