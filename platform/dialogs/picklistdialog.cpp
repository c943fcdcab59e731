#include "picklistdialog.h"

#include "datasetmodel.h"
#include "searchfiltermodel.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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
    : QDialog(parent), m_model(new QStandardItemModel(this)), m_filter(new SearchFilterModel(this)),
      m_search(new QLineEdit(this)), m_list(new QTableView(this))
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

    m_filter->setSourceModel(m_model);
    auto *label = new QLabel(QStringLiteral("&Localizar:"), this);
    label->setBuddy(m_search);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &PickListDialog::searchChanged);

    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_filter);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->resizeColumnsToContents();
    m_list->installEventFilter(this);
    if (m_filter->rowCount() > 0)
        m_list->setCurrentIndex(m_filter->index(0, 0));

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
    layout->addWidget(label);
    layout->addWidget(m_search);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(480, 360);
    m_list->setFocus();
}

QTableView *PickListDialog::list() const
{
    return m_list;
}

QLineEdit *PickListDialog::searchEdit() const
{
    return m_search;
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
    for (int row = 0; row < m_filter->rowCount(); ++row)
        m_filter->setData(m_filter->index(row, 0), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void PickListDialog::searchChanged(const QString &text)
{
    // The current row stays current while it is shown; otherwise the first
    // row shown.
    const QModelIndex current = m_filter->mapToSource(m_list->currentIndex());
    m_filter->setSearch(text);
    const QModelIndex kept = m_filter->mapFromSource(current);
    m_list->setCurrentIndex(kept.isValid() ? kept : m_filter->index(0, 0));
}

void PickListDialog::toggleCurrent()
{
    const QModelIndex current = m_filter->mapToSource(m_list->currentIndex());
    if (!current.isValid())
        return;
    QStandardItem *item = m_model->item(current.row(), 0);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool PickListDialog::listKeyPressed(QKeyEvent *event)
{
    // Space checks or unchecks the current row, whichever column is current;
    // a letter or digit starts (or goes on with) the search.
    if (event->key() == Qt::Key_Space) {
        toggleCurrent();
        return true;
    }
    const QString typed = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!plain || typed.size() != 1 || !typed.front().isLetterOrNumber())
        return false;
    m_search->setFocus();
    m_search->insert(typed);
    return true;
}

bool PickListDialog::searchKeyPressed(QKeyEvent *event)
{
    // The arrow keys take the focus back to the list, on the row current
    // there, to check it or move on.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        m_list->setFocus();
        return true;
    default:
        return false;
    }
}

bool PickListDialog::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((object == m_list && listKeyPressed(key)) || (object == m_search && searchKeyPressed(key)))
            return true;
    }
    return QDialog::eventFilter(object, event);
}
