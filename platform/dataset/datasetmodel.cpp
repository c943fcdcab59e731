#include "datasetmodel.h"

#include "numbertext.h"

#include "daycount.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QLocale>

using packet::FieldKind;

namespace {

bool isNullValue(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

// Amount formats ("0.00#,##", "#,##0.00") show two decimals and grouped
// thousands, whatever the locale's default number options say.
QString formatFloat(const FieldDef &field, double number)
{
    return field.displayFormat.isEmpty() ? NumberText::plain(number) : NumberText::amount(number);
}

// Text typed into a number cell: the locale's notation first, then the C one;
// blank means null.
bool parseNumber(const QString &text, QVariant &result)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        result = QVariant();
        return true;
    }
    const std::optional<double> number = NumberText::parse(trimmed);
    if (number)
        result = *number;
    return number.has_value();
}

}  // namespace

DataSetModel::DataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

void DataSetModel::setDataSource(TDataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TDataSource::contentReset, this, &DataSetModel::reset);
        connect(m_source, &TDataSource::dataSetChanged, this, &DataSetModel::reset);
        connect(m_source, &TDataSource::rowChanged, this, &DataSetModel::rowValuesChanged);
        connect(m_source, &TDataSource::refreshed, this, &DataSetModel::allValuesChanged);
        connect(m_source, &QObject::destroyed, this, [this] {
            m_source = nullptr;
            reset();
        });
    }
    reset();
}

TDataSource *DataSetModel::dataSource() const
{
    return m_source;
}

void DataSetModel::setColumns(const QStringList &fieldNames)
{
    m_columns = fieldNames;
    reset();
}

QStringList DataSetModel::columnFields() const
{
    return m_shownFields;
}

QString DataSetModel::fieldAt(int column) const
{
    return column >= 0 && column < m_shownFields.size() ? m_shownFields[column] : QString();
}

int DataSetModel::columnOfField(const QString &fieldName) const
{
    for (int i = 0; i < m_shownFields.size(); ++i) {
        if (m_shownFields[i].compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownFields.size();
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::UserRole)
        return m_shownFields[index.column()];
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    const int field = m_fieldIndexes[index.column()];
    if (!set || field < 0 || field >= set->fields().size())
        return {};
    const FieldDef &def = set->fields()[field];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(def, set->valueAt(index.row(), field));
    case Qt::EditRole:
        return set->valueAt(index.row(), field);
    case Qt::TextAlignmentRole:
        return def.kind == FieldKind::Float ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    const int field = m_fieldIndexes[index.column()];
    if (!set || !set->Active() || field < 0 || field >= set->fields().size())
        return false;
    const FieldDef &def = set->fields()[field];

    QVariant stored = value;
    const bool numeric = def.kind == FieldKind::Float || def.kind == FieldKind::DateTime;
    if (numeric && value.typeId() == QMetaType::QString) {
        if (!parseNumber(value.toString(), stored))
            return false;
    } else if (!numeric && !isNullValue(value) && value.typeId() != QMetaType::QString) {
        stored = value.toString();
    }

    if (set->RecNo() != index.row())
        set->MoveTo(index.row());
    set->Edit();
    set->setValue(def.name, stored);
    set->Post();
    return true;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_shownFields.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::UserRole)
        return m_shownFields[section];
    if (role != Qt::DisplayRole)
        return {};
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    const int field = m_fieldIndexes[section];
    if (set && field >= 0 && field < set->fields().size())
        return set->fields()[field].title();
    return m_shownFields[section];
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_fieldIndexes[index.column()] >= 0)
        result |= Qt::ItemIsEditable;
    return result;
}

QString DataSetModel::displayText(const FieldDef &field, const QVariant &value)
{
    if (isNullValue(value))
        return QString();
    if (field.displayHook)
        return field.displayHook(value);
    switch (field.kind) {
    case FieldKind::Text:
    case FieldKind::FixedText:
        return value.toString();
    case FieldKind::Float:
        return formatFloat(field, value.toDouble());
    case FieldKind::DateTime: {
        // The date, or what the field's display format asks for (its time).
        const QDateTime moment = packet::dateTimeFromDayCount(value.toDouble());
        if (!moment.isValid())
            return QString();
        return moment.toString(field.displayFormat.isEmpty() ? QStringLiteral("dd/MM/yyyy") : field.displayFormat);
    }
    }
    return QString();
}

void DataSetModel::reset()
{
    beginResetModel();
    takeColumns();
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    m_rowCount = set ? set->RecordCount() : 0;
    endResetModel();
}

void DataSetModel::takeColumns()
{
    m_shownFields.clear();
    m_fieldIndexes.clear();
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    if (!m_columns.isEmpty()) {
        for (const QString &name : std::as_const(m_columns)) {
            m_shownFields.append(name);
            m_fieldIndexes.append(set ? set->fieldIndex(name) : -1);
        }
        return;
    }
    if (!set)
        return;
    const QVector<FieldDef> &fields = set->fields();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].visible) {
            m_shownFields.append(fields[i].name);
            m_fieldIndexes.append(i);
        }
    }
}

void DataSetModel::rowValuesChanged(int row)
{
    if (row < 0 || row >= m_rowCount || m_shownFields.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, m_shownFields.size() - 1));
}

void DataSetModel::allValuesChanged()
{
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    if (!set || set->RecordCount() != m_rowCount) {
        reset();
        return;
    }
    if (m_rowCount > 0 && !m_shownFields.isEmpty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, m_shownFields.size() - 1));
}
