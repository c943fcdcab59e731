#include "lookupdialog.h"

#include "datasetmodel.h"
#include "searchfiltermodel.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

LookupDialog::LookupDialog(const LookupRequest &request, QWidget *parent)
    : QDialog(parent), m_source(request.source), m_model(new DataSetModel(this)), m_filter(new SearchFilterModel(this)),
      m_filterEdit(new QLineEdit(this)), m_list(new QTableView(this))
{
    setWindowTitle(request.title);
    setObjectName(QStringLiteral("LookupDialog"));
    m_model->setDataSource(m_source);
    m_filter->setSourceModel(m_model);

    auto *label = new QLabel(QStringLiteral("&Localizar:"), this);
    label->setBuddy(m_filterEdit);
    m_filterEdit->setObjectName(QStringLiteral("filter"));
    m_filterEdit->installEventFilter(this);

    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_filter);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->resizeColumnsToContents();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LookupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LookupDialog::reject);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &LookupDialog::accept);
    connect(m_filterEdit, &QLineEdit::textChanged, this, &LookupDialog::filterChanged);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_filterEdit);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(480, 360);

    // The names take the spare width; the cursor starts on the start row (the
    // set's current row when none, or none it has, is asked for), in the name
    // column.
    const int nameColumn = request.nameField.isEmpty() ? -1 : m_model->columnOfField(request.nameField);
    if (nameColumn >= 0 && nameColumn < m_model->columnCount() - 1) {
        m_list->horizontalHeader()->setStretchLastSection(false);
        m_list->horizontalHeader()->setSectionResizeMode(nameColumn, QHeaderView::Stretch);
    }
    const TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    const bool asked = set && request.startRow >= 0 && request.startRow < set->RecordCount();
    const int startRow = asked ? request.startRow : set ? set->RecNo() : -1;
    if (startRow >= 0)
        m_list->setCurrentIndex(m_filter->mapFromSource(m_model->index(startRow, std::max(nameColumn, 0))));
    m_filterEdit->setFocus();
}

QLineEdit *LookupDialog::filterEdit() const
{
    return m_filterEdit;
}

QTableView *LookupDialog::list() const
{
    return m_list;
}

int LookupDialog::chosenRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? m_filter->mapToSource(current).row() : -1;
}

bool LookupDialog::applyChoice()
{
    const int row = chosenRow();
    TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    if (row < 0 || !set)
        return false;
    set->MoveTo(row);
    return true;
}

void LookupDialog::accept()
{
    if (chosenRow() >= 0)
        QDialog::accept();
}

void LookupDialog::filterChanged(const QString &text)
{
    // The chosen row stays chosen while it matches; otherwise the first match.
    const int chosen = chosenRow();
    m_filter->setSearch(text);
    const QModelIndex kept = chosen >= 0 ? m_filter->mapFromSource(m_model->index(chosen, 0)) : QModelIndex();
    m_list->setCurrentIndex(kept.isValid() ? kept : m_filter->index(0, 0));
}

bool LookupDialog::eventFilter(QObject *object, QEvent *event)
{
    // Moving keys typed in the filter box move the list instead.
    if (object == m_filterEdit && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(m_list, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(object, event);
}
