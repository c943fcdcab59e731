#include "picklistdialog.h"

#include "datasetmodel.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSet>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QChar separator = QLatin1Char(';');
constexpr int codeRole = Qt::UserRole + 1;

}  // namespace

QStringList PickListDialog::parseList(const QString &list)
{
    QStringList codes;
    for (const QString &part : list.split(separator)) {
        const QString code = part.trimmed();
        if (!code.isEmpty())
            codes << code;
    }
    return codes;
}

QString PickListDialog::formatList(const QStringList &codes)
{
    return codes.join(separator);
}

PickListDialog::PickListDialog(TDataSource *source, const QString &keyField, const QString &caption,
                               const QString &list, QWidget *parent)
    : QDialog(parent), m_model(new QStandardItemModel(this)), m_list(new QTableView(this))
{
    setWindowTitle(caption);
    setObjectName(QStringLiteral("PickListDialog"));

    // A copy of what the set shows: checking rows must not touch the set.
    TClientDataSet *set = source ? source->dataSet() : nullptr;
    const int keyColumn = set ? set->fieldIndex(keyField) : -1;
    if (set && keyColumn < 0)
        throw DataSetError(QStringLiteral("Campo %1 não existe na lista.").arg(keyField).toStdString());
    DataSetModel shown;
    shown.setDataSource(source);
    m_model->setColumnCount(shown.columnCount());
    for (int column = 0; column < shown.columnCount(); ++column)
        m_model->setHeaderData(column, Qt::Horizontal, shown.headerData(column, Qt::Horizontal));
    const QStringList preselected = parseList(list);
    const QSet<QString> checked(preselected.cbegin(), preselected.cend());
    for (int row = 0; row < shown.rowCount(); ++row) {
        QList<QStandardItem *> items;
        for (int column = 0; column < shown.columnCount(); ++column) {
            const QModelIndex cell = shown.index(row, column);
            auto *item = new QStandardItem(cell.data(Qt::DisplayRole).toString());
            item->setEditable(false);
            item->setTextAlignment(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>());
            items << item;
        }
        const QString code = set->valueAt(row, keyColumn).toString().trimmed();
        QStandardItem *first = items.value(0);
        if (!first)
            break;
        first->setCheckable(true);
        first->setCheckState(checked.contains(code) ? Qt::Checked : Qt::Unchecked);
        first->setData(code, codeRole);
        m_model->appendRow(items);
    }

    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->resizeColumnsToContents();
    m_list->installEventFilter(this);
    if (m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *all = buttons->addButton(QStringLiteral("&Todos"), QDialogButtonBox::ActionRole);
    QPushButton *none = buttons->addButton(QStringLiteral("&Nenhum"), QDialogButtonBox::ActionRole);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    all->setObjectName(QStringLiteral("all"));
    none->setObjectName(QStringLiteral("none"));
    all->setAutoDefault(false);
    none->setAutoDefault(false);
    ok->setDefault(true);
    connect(all, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(480, 360);
    m_list->setFocus();
}

QTableView *PickListDialog::list() const
{
    return m_list;
}

QStringList PickListDialog::chosenCodes() const
{
    QStringList codes;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QStandardItem *item = m_model->item(row, 0);
        if (item->checkState() == Qt::Checked)
            codes << item->data(codeRole).toString();
    }
    return codes;
}

QString PickListDialog::chosenList() const
{
    return formatList(chosenCodes());
}

void PickListDialog::checkAll(bool checked)
{
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_model->item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool PickListDialog::eventFilter(QObject *object, QEvent *event)
{
    // Space checks or unchecks the current row, whichever column is current.
    if (object == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid()) {
            QStandardItem *item = m_model->item(current.row(), 0);
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
        return true;
    }
    return QDialog::eventFilter(object, event);
}
