#include "searchdialog.h"

#include "datasetmodel.h"
#include "dialogseam.h"
#include "handlerguard.h"
#include "searchtext.h"
#include "tclientdataset.h"
#include "tdatasource.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SearchDialog::SearchDialog(TDataSource *source, QWidget *parent)
    : QDialog(parent), m_source(source), m_model(new DataSetModel(this)), m_text(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Procurar"));
    setObjectName(QStringLiteral("SearchDialog"));
    m_model->setDataSource(source);
    m_text->setObjectName(QStringLiteral("text"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *find = buttons->addButton(QStringLiteral("&Procurar"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    find->setDefault(true);
    // Moving the set runs the form's AfterScroll, which may fail.
    connect(find, &QPushButton::clicked, this, [this] { runGuarded([this] { search(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Texto:"), m_text);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_text->setFocus();
}

QLineEdit *SearchDialog::textEdit() const
{
    return m_text;
}

bool SearchDialog::findNext()
{
    TClientDataSet *set = m_source ? m_source->dataSet() : nullptr;
    const SearchText wanted(m_text->text());
    if (!set || set->IsEmpty() || wanted.isEmpty())
        return false;
    const int rows = m_model->rowCount();
    const int start = qMax(set->RecNo(), 0);
    for (int step = 1; step <= rows; ++step) {
        const int row = (start + step) % rows;
        for (int column = 0; column < m_model->columnCount(); ++column) {
            if (wanted.foundIn(m_model->index(row, column).data(Qt::DisplayRole).toString())) {
                set->MoveTo(row);
                return true;
            }
        }
    }
    return false;
}

void SearchDialog::search()
{
    if (!findNext())
        MessageDlg(QStringLiteral("Texto não encontrado."), MsgDlgType::Information, mbOK);
}
