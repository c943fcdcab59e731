#include "tclientdataset.h"

#include "tdatasource.h"

#include "daycount.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QPointer>

#include <cmath>

using packet::FieldKind;
using packet::isTextKind;

struct TClientDataSet::Private {
    QVector<FieldDef> fields;
    QVector<QVector<QVariant>> rows;
    QVector<QVariant> buffer;  // pending values of the current row while editing
    State state = State::Inactive;
    int current = -1;
    bool bof = true;
    bool eof = true;

    int disableCount = 0;
    State stateWhenDisabled = State::Inactive;
    bool resetWhileDisabled = false;

    QList<QPointer<TDataSource>> sources;
};

namespace {

bool sameKind(FieldKind a, FieldKind b)
{
    return a == b || (isTextKind(a) && isTextKind(b));
}

bool isNullValue(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// The value as the set stores it for the field (null, QString or double), or
// the reason it does not fit. Dates given as QDate/QDateTime become day counts.
struct Checked {
    QVariant value;
    QString problem;
};

Checked checkValue(const FieldDef &field, const QVariant &value)
{
    if (isNullValue(value))
        return {QVariant(), {}};
    if (isTextKind(field.kind)) {
        if (value.typeId() != QMetaType::QString)
            return {{}, QStringLiteral("esperado texto")};
        const QString text = value.toString();
        if (text.size() > field.size)
            return {{}, QStringLiteral("texto maior que %1 caracteres").arg(field.size)};
        return {text, {}};
    }
    double number = 0;
    if (field.kind == FieldKind::DateTime && value.typeId() == QMetaType::QDate)
        number = packet::toDayCount(value.toDate());
    else if (field.kind == FieldKind::DateTime && value.typeId() == QMetaType::QDateTime)
        number = packet::toDayCount(value.toDateTime());
    else if (isNumber(value))
        number = value.toDouble();
    else
        return {{}, QStringLiteral("esperado número")};
    if (!std::isfinite(number))
        return {{}, QStringLiteral("número não finito")};
    return {number, {}};
}

[[noreturn]] void failPacket(const QString &message)
{
    throw packet::PacketError(message.toStdString());
}

[[noreturn]] void failDataSet(const QString &message)
{
    throw DataSetError(message.toStdString());
}

}  // namespace

TClientDataSet::TClientDataSet(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}

TClientDataSet::~TClientDataSet()
{
    for (const QPointer<TDataSource> &source : std::as_const(d->sources)) {
        if (source)
            source->dataSetDestroyed();
    }
}

void TClientDataSet::addField(const FieldDef &field)
{
    if (d->state != State::Inactive)
        failDataSet(
            QStringLiteral("Campo \"%1\": campos só podem ser declarados com o conjunto fechado.").arg(field.name));
    if (field.name.isEmpty())
        failDataSet(QStringLiteral("Campo sem nome."));
    if (fieldIndex(field.name) >= 0)
        failDataSet(QStringLiteral("Campo \"%1\" declarado duas vezes.").arg(field.name));
    if (isTextKind(field.kind) && field.size < 1)
        failDataSet(QStringLiteral("Campo \"%1\": tamanho inválido.").arg(field.name));
    FieldDef stored = field;
    if (!isTextKind(stored.kind))
        stored.size = 0;
    d->fields.append(stored);
}

const QVector<FieldDef> &TClientDataSet::fields() const
{
    return d->fields;
}

int TClientDataSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < d->fields.size(); ++i) {
        if (d->fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const FieldDef &TClientDataSet::fieldDef(const QString &name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        failDataSet(QStringLiteral("Campo \"%1\" não existe.").arg(name));
    return d->fields[index];
}

void TClientDataSet::loadFromPacket(const packet::Packet &source)
{
    // Map every declared field to its packet column first, then check and
    // convert every value; only a complete new content replaces the old one.
    QVector<int> columns;
    columns.reserve(d->fields.size());
    for (const FieldDef &field : std::as_const(d->fields)) {
        const int column = source.fieldIndex(field.name);
        if (column < 0)
            failPacket(QStringLiteral("Campo \"%1\" ausente no pacote de dados.").arg(field.name));
        const FieldKind sent = source.fields[column].kind;
        if (!sameKind(sent, field.kind))
            failPacket(QStringLiteral("Campo \"%1\": o pacote traz %2, esperado %3.")
                           .arg(field.name, packet::kindName(sent), packet::kindName(field.kind)));
        columns.append(column);
    }

    QVector<QVector<QVariant>> rows;
    rows.reserve(source.rows.size());
    for (int r = 0; r < source.rows.size(); ++r) {
        const QVector<QVariant> &sentRow = source.rows[r];
        if (sentRow.size() != source.fields.size())
            failPacket(QStringLiteral("Pacote inválido: linha %1 tem %2 valores para %3 campos.")
                           .arg(r + 1)
                           .arg(sentRow.size())
                           .arg(source.fields.size()));
        QVector<QVariant> row;
        row.reserve(d->fields.size());
        for (int f = 0; f < d->fields.size(); ++f) {
            Checked checked = checkValue(d->fields[f], sentRow[columns[f]]);
            if (!checked.problem.isEmpty())
                failPacket(QStringLiteral("Campo \"%1\", linha %2: %3.")
                               .arg(d->fields[f].name)
                               .arg(r + 1)
                               .arg(checked.problem));
            row.append(std::move(checked.value));
        }
        rows.append(std::move(row));
    }

    d->rows = std::move(rows);
    d->buffer.clear();
    d->current = d->rows.isEmpty() ? -1 : 0;
    d->bof = true;
    d->eof = d->rows.isEmpty();
    setState(State::Browse);
    notifyData(DataEvent::ContentReset);
}

packet::Packet TClientDataSet::data() const
{
    packet::Packet result;
    result.fields.reserve(d->fields.size());
    for (const FieldDef &field : std::as_const(d->fields))
        result.fields.append({field.name, field.kind, field.size});
    result.rows = d->rows;
    return result;
}

void TClientDataSet::Open()
{
    if (d->state != State::Inactive)
        return;
    d->rows.clear();
    d->current = -1;
    d->bof = d->eof = true;
    setState(State::Browse);
    notifyData(DataEvent::ContentReset);
}

void TClientDataSet::Close()
{
    if (d->state == State::Inactive)
        return;
    d->rows.clear();
    d->buffer.clear();
    d->current = -1;
    d->bof = d->eof = true;
    setState(State::Inactive);
    notifyData(DataEvent::ContentReset);
}

bool TClientDataSet::Active() const
{
    return d->state != State::Inactive;
}

TClientDataSet::State TClientDataSet::state() const
{
    return d->state;
}

int TClientDataSet::RecordCount() const
{
    return d->rows.size();
}

bool TClientDataSet::IsEmpty() const
{
    return d->rows.isEmpty();
}

int TClientDataSet::RecNo() const
{
    return d->current;
}

bool TClientDataSet::Eof() const
{
    return d->eof;
}

bool TClientDataSet::Bof() const
{
    return d->bof;
}

void TClientDataSet::First()
{
    requireActive();
    postPending();
    if (d->rows.isEmpty()) {
        d->bof = d->eof = true;
        return;
    }
    setCurrent(0, true, false);
}

void TClientDataSet::Next()
{
    requireActive();
    postPending();
    if (d->current < 0 || d->current + 1 >= d->rows.size()) {
        d->bof = d->rows.isEmpty();
        d->eof = true;
        return;
    }
    setCurrent(d->current + 1, false, false);
}

void TClientDataSet::Prior()
{
    requireActive();
    postPending();
    if (d->current <= 0) {
        d->bof = true;
        d->eof = d->rows.isEmpty();
        return;
    }
    setCurrent(d->current - 1, false, false);
}

void TClientDataSet::Last()
{
    requireActive();
    postPending();
    if (d->rows.isEmpty()) {
        d->bof = d->eof = true;
        return;
    }
    setCurrent(d->rows.size() - 1, false, true);
}

void TClientDataSet::MoveTo(int row)
{
    requireActive();
    if (row < 0 || row >= d->rows.size())
        failDataSet(QStringLiteral("Registro %1 fora do conjunto de %2 registros.").arg(row + 1).arg(d->rows.size()));
    postPending();
    setCurrent(row, false, false);
}

void TClientDataSet::Edit()
{
    requireActive();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    if (d->current < 0)
        failDataSet(QStringLiteral("Não há registro para editar."));
    d->buffer = d->rows[d->current];
    setState(State::Edit);
}

void TClientDataSet::Post()
{
    if (d->state != State::Edit && d->state != State::Insert)
        failDataSet(QStringLiteral("O registro não está em edição."));
    if (BeforePost)
        BeforePost(*this);
    // The handler may have cancelled the edit itself; nothing is left to store.
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    d->rows[d->current] = std::move(d->buffer);
    d->buffer.clear();
    setState(State::Browse);
    notifyData(DataEvent::RowChanged, d->current);
}

void TClientDataSet::Cancel()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    d->buffer.clear();
    setState(State::Browse);
    notifyData(DataEvent::RowChanged, d->current);
}

QVariant TClientDataSet::value(const QString &field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        failDataSet(QStringLiteral("Campo \"%1\" não existe.").arg(field));
    return valueAt(d->current, index);
}

bool TClientDataSet::IsNull(const QString &field) const
{
    return isNullValue(value(field));
}

QString TClientDataSet::AsString(const QString &field) const
{
    const QVariant stored = value(field);
    if (isNullValue(stored))
        return QString();
    if (stored.typeId() == QMetaType::Double)
        return QString::number(stored.toDouble(), 'g', QLocale::FloatingPointShortest);
    return stored.toString();
}

double TClientDataSet::AsFloat(const QString &field) const
{
    const QVariant stored = value(field);
    if (isNullValue(stored))
        return 0.0;
    if (stored.typeId() == QMetaType::Double)
        return stored.toDouble();
    // A text field read as a number: the number it holds, 0 when none.
    bool ok = false;
    const double number = stored.toString().trimmed().toDouble(&ok);
    return ok ? number : 0.0;
}

void TClientDataSet::setValue(const QString &field, const QVariant &value)
{
    const int index = fieldIndex(field);
    if (index < 0)
        failDataSet(QStringLiteral("Campo \"%1\" não existe.").arg(field));
    const FieldDef &def = d->fields[index];
    if (d->state != State::Edit && d->state != State::Insert)
        failDataSet(QStringLiteral("Campo \"%1\": o registro não está em edição.").arg(def.name));
    Checked checked = checkValue(def, value);
    if (!checked.problem.isEmpty())
        failDataSet(QStringLiteral("Campo \"%1\": %2.").arg(def.name, checked.problem));
    d->buffer[index] = std::move(checked.value);
    notifyData(DataEvent::RowChanged, d->current);
}

QVariant TClientDataSet::valueAt(int row, int column) const
{
    if (row < 0 || row >= d->rows.size() || column < 0 || column >= d->fields.size())
        return QVariant();
    const bool editing = row == d->current && (d->state == State::Edit || d->state == State::Insert);
    return editing ? d->buffer[column] : d->rows[row][column];
}

void TClientDataSet::DisableControls()
{
    if (d->disableCount++ == 0) {
        d->stateWhenDisabled = d->state;
        d->resetWhileDisabled = false;
    }
}

void TClientDataSet::EnableControls()
{
    if (d->disableCount == 0 || --d->disableCount > 0)
        return;
    if (d->state != d->stateWhenDisabled)
        notifyState();
    notifyData(d->resetWhileDisabled ? DataEvent::ContentReset : DataEvent::Refreshed);
    d->resetWhileDisabled = false;
}

bool TClientDataSet::ControlsDisabled() const
{
    return d->disableCount > 0;
}

void TClientDataSet::attachSource(TDataSource *source)
{
    d->sources.removeIf([](const QPointer<TDataSource> &linked) { return linked.isNull(); });
    d->sources.append(source);
}

void TClientDataSet::detachSource(TDataSource *source)
{
    d->sources.removeAll(source);
}

void TClientDataSet::requireActive() const
{
    if (d->state == State::Inactive)
        failDataSet(QStringLiteral("Operação não permitida com o conjunto de dados fechado."));
}

void TClientDataSet::postPending()
{
    if (d->state == State::Edit || d->state == State::Insert)
        Post();
}

void TClientDataSet::setCurrent(int row, bool bof, bool eof)
{
    const bool moved = row != d->current;
    d->current = row;
    d->bof = bof;
    d->eof = eof;
    if (!moved)
        return;
    notifyData(DataEvent::CurrentChanged, row);
    if (AfterScroll)
        AfterScroll(*this);
}

void TClientDataSet::setState(State state)
{
    if (d->state == state)
        return;
    d->state = state;
    notifyState();
}

void TClientDataSet::notifyState()
{
    if (ControlsDisabled())
        return;
    // Copy: a handler may link or unlink data sources while being notified.
    const QList<QPointer<TDataSource>> sources = d->sources;
    for (const QPointer<TDataSource> &source : sources) {
        if (source)
            source->stateEvent();
    }
    emit stateChanged();
}

void TClientDataSet::notifyData(DataEvent event, int row)
{
    if (ControlsDisabled()) {
        if (event == DataEvent::ContentReset)
            d->resetWhileDisabled = true;
        return;
    }
    const QList<QPointer<TDataSource>> sources = d->sources;
    for (const QPointer<TDataSource> &source : sources) {
        if (source)
            source->dataEvent(event, row);
    }
    switch (event) {
    case DataEvent::ContentReset:
        emit contentReset();
        break;
    case DataEvent::RowChanged:
        emit rowChanged(row);
        break;
    case DataEvent::CurrentChanged:
        emit currentChanged(row);
        break;
    case DataEvent::Refreshed:
        emit refreshed();
        break;
    }
}
