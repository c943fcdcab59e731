#include "tdbgrid.h"

#include "handlerguard.h"
#include "hostmessages.h"
#include "hosttext.h"
#include "numbertext.h"
#include "paintingerrorseam.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgriddelegate.h"
#include "tdbgridmodel.h"

#include "daycount.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QScopedValueRollback>
#include <QStyleOptionViewItem>

struct TDBGrid::Private {
    TDBGridModel *model = nullptr;
    QPointer<TDataSource> source;
    QVector<QMetaObject::Connection> sourceConnections;
    QVector<TColumn> columns;        // the grid's own column list; empty: visible fields
    QVector<TColumn> effective;      // what each shown column is, rebuilt on every reset
    QHash<QString, int> userWidths;  // widths the user dragged, by field
    Options options = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs
                      | dgConfirmDelete | dgCancelOnExit;
    int currentColumn = 0;
    bool following = false;  // the grid is moving to the set's row; the set must not move
    bool applyingWidths = false;
    bool forwardingKey = false;     // a key already seen by the handlers is on its way to the view or editor
    bool drawingSuspended = false;  // the draw handler failed; re-armed by the next data change
    QPersistentModelIndex pressed;
    bool doubleClickPress = false;

    packet::FieldKind kindOf(int column) const
    {
        const TClientDataSet *set = source ? source->dataSet() : nullptr;
        const QString field = model->fieldAt(column);
        return set && set->fieldIndex(field) >= 0 ? set->fieldDef(field).kind : packet::FieldKind::Text;
    }
};

namespace {

// Characters that reach OnKeyPress: everything typed, control characters such
// as backspace, tab, carriage return and escape included, but not Delete.
bool isTypedCharacter(QChar c)
{
    return !c.isNull() && c.unicode() != 0x7f;
}

bool isMovingKey(int key)
{
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter
           || key == Qt::Key_Escape;
}

QKeyEvent copyWith(const QKeyEvent *event, int key, const QString &text)
{
    return QKeyEvent(event->type(), key, event->modifiers(), text, event->isAutoRepeat(), event->count());
}

int defaultCharacters(const FieldDef *def)
{
    // A date always shows as dd/MM/yyyy, whatever narrower width its field asks for.
    constexpr int dateCharacters = 10;
    if (!def)
        return 10;
    if (def->kind == packet::FieldKind::DateTime)
        return qMax(def->displayWidth, dateCharacters);
    if (def->displayWidth > 0)
        return def->displayWidth;
    switch (def->kind) {
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        return def->size > 0 ? def->size : 10;
    case packet::FieldKind::Float:
    case packet::FieldKind::DateTime:
        return 10;
    }
    return 10;
}

}  // namespace

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), d(std::make_unique<Private>())
{
    d->model = new TDBGridModel(this);
    setModel(d->model);
    setItemDelegate(new TDBGridDelegate(this));
    setSelectionMode(SingleSelection);
    setShowGrid(false);  // the delegate draws column and row lines by option
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    titles->setMinimumSectionSize(4);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QHeaderView *indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(fontMetrics().height() + 4);
    indicator->setFixedWidth(12);

    connect(d->model, &QAbstractItemModel::modelReset, this, [this] { afterModelReset(); });
    connect(titles, &QHeaderView::sectionClicked, this, [this](int section) {
        if (OnTitleClick && section >= 0 && section < columnCount()) {
            const TColumn column = Column(section);
            runGuarded([&] { OnTitleClick(column); });
        }
    });
    connect(titles, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (d->applyingWidths || section < 0 || section >= d->effective.size())
            return;
        d->effective[section].width = size;
        d->userWidths.insert(d->effective[section].fieldName.toUpper(), size);
    });
    applyOptions();
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::setDataSource(TDataSource *source)
{
    for (const QMetaObject::Connection &connection : std::as_const(d->sourceConnections))
        disconnect(connection);
    d->sourceConnections.clear();
    d->source = source;
    d->model->setDataSource(source);
    if (source) {
        // Any change of what is shown may cure a failing draw handler.
        const auto onDataChange = [this] {
            d->drawingSuspended = false;
            followDataSet();
            viewport()->update();
        };
        d->sourceConnections << connect(source, &TDataSource::dataChanged, this, onDataChange)
                             << connect(source, &TDataSource::currentChanged, this, onDataChange);
    }
    afterModelReset();
}

TDataSource *TDBGrid::DataSource() const
{
    return d->source;
}

DataSetModel *TDBGrid::dataModel() const
{
    return d->model;
}

void TDBGrid::setColumns(const QVector<TColumn> &columns)
{
    d->columns = columns;
    d->model->setGridColumns(columns);
    afterModelReset();
}

int TDBGrid::columnCount() const
{
    return d->model->columnCount();
}

TDBGrid::TColumn TDBGrid::Column(int index) const
{
    return index >= 0 && index < d->effective.size() ? d->effective[index] : TColumn();
}

TDBGrid::Options TDBGrid::options() const
{
    return d->options;
}

void TDBGrid::setOptions(Options options)
{
    d->options = options;
    applyOptions();
}

int TDBGrid::SelectedIndex() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid())
        return current.column();
    return columnCount() > 0 ? qMin(d->currentColumn, columnCount() - 1) : -1;
}

void TDBGrid::setSelectedIndex(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        // currentChanged runs OnColEnter.
        setCurrentIndex(d->model->index(current.row(), column));
        return;
    }
    if (column != d->currentColumn) {
        d->currentColumn = column;
        if (OnColEnter)
            runGuarded(OnColEnter);
    }
}

QString TDBGrid::SelectedField() const
{
    return Column(SelectedIndex()).fieldName;
}

bool TDBGrid::EditorMode() const
{
    return state() == EditingState;
}

void TDBGrid::applyOptions()
{
    const Options o = d->options;
    setEditTriggers(o.testFlag(dgEditing) ? DoubleClicked | EditKeyPressed | AnyKeyPressed : NoEditTriggers);
    if (!o.testFlag(dgEditing) && state() == EditingState) {
        // Keep what was typed: the open editor is stored, then closed.
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    horizontalHeader()->setVisible(o.testFlag(dgTitles));
    verticalHeader()->setVisible(o.testFlag(dgIndicator));
    horizontalHeader()->setSectionResizeMode(o.testFlag(dgColumnResize) ? QHeaderView::Interactive
                                                                        : QHeaderView::Fixed);
    setTabKeyNavigation(o.testFlag(dgTabs));
    setSelectionBehavior(o.testFlag(dgRowSelect) ? SelectRows : SelectItems);
    viewport()->update();
}

void TDBGrid::afterModelReset()
{
    TClientDataSet *set = d->source ? d->source->dataSet() : nullptr;
    const QFontMetrics metrics = fontMetrics();
    const QFontMetrics titleMetrics = horizontalHeader()->fontMetrics();
    d->effective.clear();
    for (int i = 0; i < columnCount(); ++i) {
        TColumn column = i < d->columns.size() ? d->columns[i] : TColumn();
        if (i >= d->columns.size())
            column.fieldName = d->model->fieldAt(i);
        const FieldDef *def =
            set && set->fieldIndex(column.fieldName) >= 0 ? &set->fieldDef(column.fieldName) : nullptr;
        if (column.title.isEmpty())
            column.title = def ? def->title() : column.fieldName;
        if (i >= d->columns.size()) {
            // Without a column list each field brings its own width and alignment.
            column.width = qMax(defaultCharacters(def) * metrics.horizontalAdvance(QLatin1Char('0')),
                                titleMetrics.horizontalAdvance(column.title) + 6)
                           + 4;
            if (def && def->kind == packet::FieldKind::Float)
                column.alignment = Qt::AlignRight | Qt::AlignVCenter;
        }
        column.width = d->userWidths.value(column.fieldName.toUpper(), column.width);
        d->effective << column;
    }
    {
        QScopedValueRollback applying(d->applyingWidths, true);
        for (int i = 0; i < d->effective.size(); ++i)
            horizontalHeader()->resizeSection(i, d->effective[i].width);
    }
    followDataSet();
}

// Puts the grid's current cell on the set's current row, keeping the column.
// The set is not moved back, so no AfterScroll runs.
void TDBGrid::followDataSet()
{
    TClientDataSet *set = d->source ? d->source->dataSet() : nullptr;
    if (!set || set->IsEmpty() || columnCount() == 0)
        return;
    const int row = set->RecNo();
    if (row < 0 || row >= d->model->rowCount())
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    QScopedValueRollback following(d->following, true);
    const int column = qBound(0, d->currentColumn, columnCount() - 1);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (d->options.testFlag(dgRowSelect))
        flags |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(d->model->index(row, column), flags);
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!current.isValid())
        return;
    TClientDataSet *set = d->source ? d->source->dataSet() : nullptr;
    if (!d->following && set && set->RecNo() != current.row()) {
        runGuarded([&] { set->MoveTo(current.row()); });
        // The set may have refused (a pending row that cannot be posted) or a
        // handler may have moved it on: the grid shows where it really is.
        if (set->RecNo() != currentIndex().row())
            followDataSet();
    }
    const int column = currentIndex().column();
    if (column != d->currentColumn) {
        d->currentColumn = column;
        if (!d->following && OnColEnter)
            runGuarded(OnColEnter);
    }
}

bool TDBGrid::event(QEvent *event)
{
    // Tab normally moves the focus before keyPressEvent sees it; with dgTabs
    // the grid's key handlers run first and Tab moves between cells.
    if (event->type() == QEvent::KeyPress && d->options.testFlag(dgTabs)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::event(event);
}

TDBGrid::HandledKey TDBGrid::runKeyHandlers(const QKeyEvent *event)
{
    HandledKey handled{.key = event->key()};
    if ((OnKeyDown && !runGuarded([&] { OnKeyDown(handled.key, event->modifiers()); })) || handled.key == 0) {
        handled.consumed = true;
        return handled;
    }
    handled.text = handled.key == event->key() ? event->text() : QString();
    if (!handled.text.isEmpty() && isTypedCharacter(handled.text.at(0))) {
        QChar character = handled.text.at(0);
        const bool kept = (!OnKeyPress || runGuarded([&] { OnKeyPress(character); })) && !character.isNull();
        handled.characterDropped = !kept;
        handled.text = kept ? QString(character) : QString();
    }
    return handled;
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    // A key the editor did not take comes up to the grid. The handlers have
    // seen it already (in the editor's filter); while the view is passing a
    // key on to a new editor it is the same key once more.
    if (d->forwardingKey) {
        event->ignore();
        return;
    }
    if (!hasFocus() && isAncestorOf(QApplication::focusWidget())) {
        QTableView::keyPressEvent(event);
        return;
    }
    const HandledKey handled = runKeyHandlers(event);
    // A dropped character does nothing (the view would still open an editor
    // on Space); the moving keys keep their action.
    if (handled.consumed || (handled.characterDropped && !isMovingKey(handled.key))) {
        event->accept();
        return;
    }
    const int key = handled.key;
    const QString &text = handled.text;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && tabLeavesGrid(key == Qt::Key_Tab)) {
        // Past the last cell (before the first) Tab goes on to the next
        // control instead of wrapping round to the other end of the set: the
        // widget's own move, past the item view's move between cells.
        QWidget::focusNextPrevChild(key == Qt::Key_Tab);  // NOLINT(bugprone-parent-virtual-call)
        event->accept();
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && !text.isEmpty() && d->options.testFlag(dgEditing) && state() != EditingState
        && currentIndex().isValid()) {
        edit(currentIndex());
        event->accept();
        return;
    }
    QKeyEvent forwarded = copyWith(event, key, text);
    QScopedValueRollback forwarding(d->forwardingKey, true);
    QTableView::keyPressEvent(&forwarded);
    event->setAccepted(forwarded.isAccepted());
}

bool TDBGrid::tabLeavesGrid(bool forward) const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return true;
    if (forward)
        return current.row() == d->model->rowCount() - 1 && current.column() == columnCount() - 1;
    return current.row() == 0 && current.column() == 0;
}

void TDBGrid::keyboardSearch(const QString &)
{
    // Typing never jumps to a row: a grid moves only by the moving keys and
    // the mouse, and every move of a row moves the record set.
}

bool TDBGrid::filterEditorKey(QObject *editor, QKeyEvent *event)
{
    if (d->forwardingKey)
        return false;
    const HandledKey handled = runKeyHandlers(event);
    const int key = handled.key;
    const QString &text = handled.text;
    if (handled.consumed)
        return true;
    // Tab and Escape keep their key action (move on, cancel the edit); any
    // other dropped character, Enter included, does nothing.
    if (handled.characterDropped && key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Escape)
        return true;
    if (key == event->key() && text == event->text())
        return false;
    QKeyEvent replacement = copyWith(event, key, text);
    QScopedValueRollback forwarding(d->forwardingKey, true);
    QCoreApplication::sendEvent(editor, &replacement);
    return true;
}

void TDBGrid::mousePressEvent(QMouseEvent *event)
{
    d->pressed = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
    d->doubleClickPress = false;
    QTableView::mousePressEvent(event);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    // The release that ends a double click reports no further click.
    if (event->button() != Qt::LeftButton || d->doubleClickPress)
        return;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && at == d->pressed && at == currentIndex() && OnCellClick) {
        const TColumn column = Column(at.column());
        runGuarded([&] { OnCellClick(column); });
    }
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    d->doubleClickPress = true;
    if (event->button() == Qt::LeftButton && OnDblClick)
        runGuarded(OnDblClick);
}

void TDBGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();  // the selected cell changes colour with the focus
}

void TDBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

bool TDBGrid::hasFocusInside() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TDBGrid::paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    QRect cell = option.rect;
    const QColor lineColor = palette().color(QPalette::Mid);
    if (d->options.testFlag(dgColLines)) {
        painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), lineColor);
        cell.setRight(cell.right() - 1);
    }
    if (d->options.testFlag(dgRowLines)) {
        painter.fillRect(QRect(option.rect.left(), cell.bottom(), option.rect.width(), 1), lineColor);
        cell.setBottom(cell.bottom() - 1);
    }

    // Selected is the current cell (or its row with dgRowSelect), as the
    // grid shows it, whatever the view's own selection holds.
    const QModelIndex current = currentIndex();
    const bool isCurrent = current.isValid() && index.row() == current.row() && index.column() == current.column();
    const bool inSelection =
        isCurrent || (d->options.testFlag(dgRowSelect) && current.isValid() && index.row() == current.row());
    const bool focused = hasFocusInside();
    int state = 0;
    if (inSelection && (focused || d->options.testFlag(dgAlwaysShowSelection)))
        state |= gdSelected;
    if (isCurrent && focused)
        state |= gdFocused;
    const QPalette &colours = palette();
    const QColor background = colours.color(state & gdSelected ? QPalette::Highlight : QPalette::Base);
    const QColor foreground = colours.color(state & gdSelected ? QPalette::HighlightedText : QPalette::Text);
    const TColumn column = Column(index.column());

    if (DefaultDrawing) {
        painter.fillRect(cell, background);
        painter.save();
        painter.setClipRect(cell);
        painter.setPen(foreground);
        painter.setFont(font());
        const Qt::Alignment horizontal = column.alignment & Qt::AlignHorizontal_Mask;
        painter.drawText(cell.adjusted(2, 2, -2, 0), int(horizontal | Qt::AlignTop),
                         index.data(Qt::DisplayRole).toString());
        painter.restore();
    }

    if (OnDrawColumnCell && !d->drawingSuspended) {
        painter.save();
        painter.setClipRect(cell);
        painter.setBrush(background);
        painter.setPen(foreground);
        painter.setFont(font());
        PaintingErrorSeam heldErrors;
        const bool drawn = runGuarded([&] { OnDrawColumnCell(painter, cell, index.column(), column, state); });
        painter.restore();
        // The guard's report is shown once painting is over. Painting the same
        // data again would fail the same way for every cell and every repaint
        // (the error box closing causes one), so the handler rests until the
        // data changes.
        heldErrors.showHeldErrorsLater();
        if (!drawn)
            d->drawingSuspended = true;
    }
}

QString TDBGrid::editText(const QModelIndex &index) const
{
    const TClientDataSet *set = d->source ? d->source->dataSet() : nullptr;
    const QString field = d->model->fieldAt(index.column());
    const QVariant raw = index.data(Qt::EditRole);
    if (!set || set->fieldIndex(field) < 0)
        return raw.isNull() ? QString() : raw.toString();
    return set->fieldDef(field).editText(raw);
}

void TDBGrid::storeEditText(const QModelIndex &index, const QString &text)
{
    // An editor left unchanged edits nothing, so no post runs.
    if (text == editText(index))
        return;
    runGuarded([&] {
        const packet::FieldKind kind = d->kindOf(index.column());
        const QString trimmed = text.trimmed();
        QVariant value;
        if (kind == packet::FieldKind::Float && !trimmed.isEmpty()) {
            const std::optional<double> number = NumberText::parse(trimmed);
            if (!number)
                MensErro(QStringLiteral("Valor inválido."), true);
            value = *number;
        } else if (kind == packet::FieldKind::DateTime && !trimmed.isEmpty()) {
            const QDate date = QDate::fromString(trimmed, QStringLiteral("dd/MM/yyyy"));
            if (!date.isValid())
                MensErro(InvalidDateText(trimmed), true);
            value = packet::toDayCount(date);
        } else if (!trimmed.isEmpty()) {
            value = text;
        }
        d->model->setData(index, value, Qt::EditRole);
    });
}
