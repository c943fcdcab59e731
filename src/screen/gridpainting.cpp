#include "gridpainting.h"

#include "amountcellpainter.h"
#include "hostoperations.h"
#include "orcamentos.h"
#include "tcanvas.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "textcellpainter.h"
#include "vendedores.h"

#include <QPainter>
#include <QRect>

#include <algorithm>

namespace {

const QString kMarkField = contract::Orcamentos::IdCheck.name;

// The record of the grid's set that a cell belongs to, read as painting needs
// it. Reading a field the set does not have raises DataSetError.
class PaintedRow {
public:
    PaintedRow(const TDBGrid &grid, const QRect &cell) : m_set(dataSetOf(grid)), m_row(grid.rowAt(cell.center().y()))
    {
        if (m_row < 0 || m_row >= m_set.RecordCount())
            throw DataSetError("A célula pintada não pertence a nenhum registro.");
    }

    QVariant value(const QString &field) const
    {
        m_set.fieldDef(field);  // raises for an unknown field
        return m_set.valueAt(m_row, m_set.fieldIndex(field));
    }

    bool isNull(const QString &field) const
    {
        const QVariant stored = value(field);
        return !stored.isValid() || stored.isNull();
    }

    QString editText(const QString &field) const { return m_set.fieldDef(field).editText(value(field)); }

    // Null reads as 0.
    double asFloat(const QString &field) const
    {
        const QVariant stored = value(field);
        if (!stored.isValid() || stored.isNull())
            return 0.0;
        bool ok = false;
        const double number = stored.toDouble(&ok);
        if (!ok)
            throw DataSetError(QStringLiteral("O campo %1 não contém um número.").arg(field).toStdString());
        return number;
    }

    // Null reads as the empty string.
    QString asString(const QString &field) const { return isNull(field) ? QString() : value(field).toString(); }

private:
    static const TClientDataSet &dataSetOf(const TDBGrid &grid)
    {
        const TClientDataSet *set = grid.DataSource() ? grid.DataSource()->dataSet() : nullptr;
        if (!set)
            throw DataSetError("A grade não está ligada a um conjunto de registros.");
        return *set;
    }

    const TClientDataSet &m_set;
    int m_row;
};

bool isAmountField(const QStringList &amountFields, const QString &field)
{
    return amountFields.contains(field, Qt::CaseInsensitive);
}

}  // namespace

GridPainting::GridPainting(const TDBGrid &dbgOrcamento, const TDBGrid &dbgPadrao, CheckBoxImages images)
    : m_quotes{dbgOrcamento,
               {contract::Orcamentos::VrPercComis.name, contract::Orcamentos::VrTotalOrev.name,
                contract::Orcamentos::VrComissao.name},
               true},
      m_salespeople{dbgPadrao, {contract::Vendedores::VrComissao.name}, false}, m_marks(std::move(images))
{
}

std::unique_ptr<GridPainting> GridPainting::bind(TDBGrid &dbgOrcamento, TDBGrid &dbgPadrao, CheckBoxImages images)
{
    auto painting = std::make_unique<GridPainting>(dbgOrcamento, dbgPadrao, std::move(images));
    GridPainting *painter = painting.get();
    dbgOrcamento.OnDrawColumnCell = [painter](QPainter &canvas, const QRect &rect, int col,
                                              const TDBGrid::TColumn &column, int state) {
        painter->dbgOrcamentoDrawColumnCell(canvas, rect, col, column, state);
    };
    dbgPadrao.OnDrawColumnCell = [painter](QPainter &canvas, const QRect &rect, int col, const TDBGrid::TColumn &column,
                                           int state) {
        painter->dbgPadraoDrawColumnCell(canvas, rect, col, column, state);
    };
    return painting;
}

void GridPainting::dbgOrcamentoDrawColumnCell(QPainter &canvas, const QRect &rect, int dataCol,
                                              const TDBGrid::TColumn &column, int state) const
{
    paintCell(m_quotes, canvas, rect, dataCol, column, state);
}

void GridPainting::dbgPadraoDrawColumnCell(QPainter &canvas, const QRect &rect, int dataCol,
                                           const TDBGrid::TColumn &column, int state) const
{
    paintCell(m_salespeople, canvas, rect, dataCol, column, state);
}

void GridPainting::paintCell(const Family &family, QPainter &painter, const QRect &rect, int dataCol,
                             const TDBGrid::TColumn &column, int state) const
{
    const PaintedRow row(family.grid, rect);
    TCanvas canvas(painter);

    const QString text = row.editText(column.fieldName);
    if (!isAmountField(family.amountFields, column.fieldName))
        TextCellPainter::paint(canvas, rect, text);

    if (state & TDBGrid::gdFocused)
        canvas.DrawFocusRect(rect);

    const bool amountColumn =
        std::any_of(family.amountFields.cbegin(), family.amountFields.cend(),
                    [&](const QString &field) { return IndiceCol(&family.grid, field) == dataCol; });
    if (amountColumn) {
        const bool allNull = std::all_of(family.amountFields.cbegin(), family.amountFields.cend(),
                                         [&](const QString &field) { return row.isNull(field); });
        if (!allNull)
            AmountCellPainter::paint(canvas, rect, row.asFloat(column.fieldName));
    }

    if (family.hasMarks && column.fieldName.compare(kMarkField, Qt::CaseInsensitive) == 0)
        m_marks.paint(canvas, rect, row.asString(kMarkField));
}
