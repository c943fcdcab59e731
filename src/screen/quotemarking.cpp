#include "quotemarking.h"

#include "domains.h"
#include "hostoperations.h"
#include "modulestate.h"
#include "orcamentos.h"
#include "screenmodel.h"
#include "tclientdataset.h"

#include <QScopeGuard>

using namespace Cli_ORE09700;

namespace {

using contract::Orcamentos;

const QString markField = Orcamentos::IdCheck.name;
const QString percentField = Orcamentos::VrPercComis.name;
const QString totalField = Orcamentos::VrTotalOrev.name;
const QString commissionField = Orcamentos::VrComissao.name;
const QString marked = contract::Domains::Mark::marked;
const QString unmarked = contract::Domains::Mark::unmarked;

bool isEditing(const TClientDataSet &set)
{
    return set.state() == TClientDataSet::State::Edit || set.state() == TClientDataSet::State::Insert;
}

bool isAllowedInPercentage(QChar key)
{
    const char16_t code = key.unicode();
    return code == 8 || code == 9 || code == 13 || (code >= u'0' && code <= u'9');
}

}  // namespace

QuoteMarking::QuoteMarking(ScreenModel &model, TDBGrid &dbgOrcamento) : m_model(model), m_grid(dbgOrcamento) {}

void QuoteMarking::dbgOrcamentoDblClick()
{
    TClientDataSet &quotes = *m_model.cdsOrcamentos;
    if (quotes.IsEmpty())
        return;
    // The grid shows the row once, after the mark and the commission value
    // changed; also when the post fails, so the grid never stays frozen.
    quotes.DisableControls();
    const auto resume = qScopeGuard([this, &quotes] {
        quotes.EnableControls();
        m_model.marksChanged();
    });
    if (m_grid.SelectedField() == markField)
        toggleCurrentRow();
}

void QuoteMarking::dbgOrcamentoCellClick(const TDBGrid::TColumn &)
{
    dbgOrcamentoDblClick();
}

void QuoteMarking::dbgOrcamentoKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    if (key != Qt::Key_Space)
        return;
    if (shift.testFlag(Qt::ControlModifier))
        dbgOrcamentoTitleClick(markColumn());
    else
        dbgOrcamentoCellClick(markColumn());
}

void QuoteMarking::dbgOrcamentoTitleClick(const TDBGrid::TColumn &column)
{
    TClientDataSet &quotes = *m_model.cdsOrcamentos;
    if (quotes.IsEmpty())
        return;
    quotes.DisableControls();
    const auto resume = qScopeGuard([this, &quotes] {
        // A row whose post failed stays current and in edit: moving away
        // would post it again, and that failure would have no one to reach.
        if (!isEditing(quotes))
            quotes.First();
        quotes.EnableControls();
        m_model.marksChanged();
    });
    if (column.fieldName != markField)
        return;
    quotes.First();
    while (!quotes.Eof()) {
        toggleCurrentRow();
        quotes.Next();
    }
}

void QuoteMarking::dbgOrcamentoKeyPress(QChar &key)
{
    if (m_grid.SelectedField() != percentField)
        key = QChar();
    // Only credit quotes (total below zero) take a typed percentage.
    if (m_model.cdsOrcamentos->AsFloat(totalField) >= 0)
        key = QChar();
    if (!isAllowedInPercentage(key))
        key = QChar();
}

void QuoteMarking::dbgOrcamentoColEnter()
{
    TDBGrid &grid = m_grid;
    const TDBGrid::Options editing(TDBGrid::dgEditing);
    if (grid.SelectedField() == percentField)
        grid.setOptions(grid.options() | editing);
    else
        grid.setOptions(grid.options() & ~editing);
}

void QuoteMarking::cdsOrcamentosBeforePost(TClientDataSet &dataSet)
{
    // Percentage over a hundred first, then times the total, in extended
    // precision; stored rounded to double.
    const long double percent = dataSet.AsFloat(percentField);
    const long double total = dataSet.AsFloat(totalField);
    const long double commission = percent / 100.0L * total;
    dataSet.setValue(commissionField, static_cast<double>(commission));
}

// Anything but "S" (also an empty mark) becomes "S"; the count follows.
void QuoteMarking::toggleCurrentRow()
{
    TClientDataSet &quotes = *m_model.cdsOrcamentos;
    quotes.Edit();
    if (quotes.AsString(markField) == marked) {
        quotes.setValue(markField, unmarked);
        --inContOrcamento;
    } else {
        quotes.setValue(markField, marked);
        ++inContOrcamento;
    }
    if (isEditing(quotes))
        quotes.Post();
}

TDBGrid::TColumn QuoteMarking::markColumn() const
{
    return m_grid.Column(IndiceCol(&m_grid, markField));
}
