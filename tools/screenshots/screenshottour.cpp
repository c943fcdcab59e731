#include "screenshottour.h"

#include "daycount.h"
#include "hostmainwindow.h"
#include "tdateeditplus.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>

#include <cstdio>

namespace {

constexpr int kTickMs = 100;
constexpr int kPatienceMs = 60000;

// Clicks from a fresh event: a click that opens a modal dialog must not run
// inside the tour's own timer, which would then stop ticking.
void clickLater(QAbstractButton *button)
{
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

void clickCellLater(QTableView *grid, int row, int column)
{
    QTimer::singleShot(0, grid, [grid, row, column] {
        QWidget *viewport = grid->viewport();
        const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
        const QPoint global = viewport->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
    });
}

}  // namespace

ScreenshotTour::ScreenshotTour(HostMainWindow &host, const QDir &folder, QDate from, QDate to)
    : m_host(host), m_folder(folder), m_from(from), m_to(to), m_ticksLeft(kPatienceMs / kTickMs)
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotTour::poll);
}

void ScreenshotTour::start()
{
    m_timer.start();
}

void ScreenshotTour::poll()
{
    if (--m_ticksLeft < 0)
        return fail(QStringLiteral("nothing happened for %1 s").arg(kPatienceMs / 1000));
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        // The cancellation's confirmation is answered Yes: the reason comes next.
        if (m_step == Step::CancelAsked && box->text().startsWith(QStringLiteral("Deseja cancelar"))) {
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == QLatin1String("&Sim"))
                    clickLater(button);
            }
            m_step = Step::Reason;
            return;
        }
        save(box, QStringLiteral("erro.png"));
        return fail(QStringLiteral("the screen showed: %1").arg(box->text()));
    }
    const QString dialog = modal ? modal->objectName() : QString();
    switch (m_step) {
    case Step::Filter:
        if (dialog == QLatin1String("frmFiltroManuComissao") && modal->isActiveWindow()) {
            fillAndConfirmFilter(modal);
            m_step = Step::Loaded;
        }
        break;
    case Step::Loaded:
        if (dialog == QLatin1String("frmOrcaPendednte") && modal->isActiveWindow())
            closePendingDialog(modal);
        else if (!modal && listsLoaded())
            photographSalespeople();
        break;
    case Step::QuoteTab:
        if (!modal)
            markFirstQuote();
        break;
    case Step::Marked:
        if (!modal)
            photographQuotes();
        break;
    case Step::History:
        if (dialog == QLatin1String("frmHistoricoComissao") && modal->isActiveWindow())
            widenHistoryPeriod(modal);
        break;
    case Step::HistoryPeriod:
        if (dialog == QLatin1String("frmHistoricoComissao")
            && modal->findChild<QAbstractButton *>(QStringLiteral("btnAtualizar"))->isEnabled())
            showQuotesOfFirstSettlement(modal);
        break;
    case Step::HistoryQuotes:
        if (dialog == QLatin1String("frmHistoricoComissao"))
            photographHistory(modal);
        break;
    case Step::GeneratedFilter:
        if (dialog == QLatin1String("frmFiltroManuComissao") && modal->isActiveWindow())
            filterGenerated(modal);
        break;
    case Step::GeneratedLoaded:
        if (dialog == QLatin1String("frmOrcaPendednte") && modal->isActiveWindow())
            clickLater(modal->findChild<QAbstractButton *>(QStringLiteral("btnOK")));
        else if (!modal && generatedLoaded())
            markGeneratedQuotes();
        break;
    case Step::CancelMarked:
        if (!modal) {
            auto *cancel = screen()->findChild<QAbstractButton *>(QStringLiteral("sbtCancelar"));
            if (!cancel->isEnabled())
                return fail(QStringLiteral("Cancelar is not offered on the generated quotes"));
            clickLater(cancel);
            m_step = Step::CancelAsked;
        }
        break;
    case Step::Reason:
        if (dialog == QLatin1String("frmMotivoCancelamento") && modal->isActiveWindow())
            photographReason(modal);
        break;
    case Step::CancelAsked:
    case Step::Done:
        break;
    }
}

void ScreenshotTour::fillAndConfirmFilter(QWidget *dialog)
{
    dialog->findChild<TDateEditPlus *>(QStringLiteral("depDePeriodo"))->SetDate(packet::toDayCount(m_from));
    dialog->findChild<TDateEditPlus *>(QStringLiteral("depAtePeriodo"))->SetDate(packet::toDayCount(m_to));
    save(dialog, QStringLiteral("filtro.png"));
    clickLater(dialog->findChild<QAbstractButton *>(QStringLiteral("sbtConfirma")));
}

void ScreenshotTour::closePendingDialog(QWidget *dialog)
{
    save(dialog, QStringLiteral("pendente.png"));
    clickLater(dialog->findChild<QAbstractButton *>(QStringLiteral("btnOK")));
}

QWidget *ScreenshotTour::screen() const
{
    return m_host.findChild<QWidget *>(QStringLiteral("frmManComis"));
}

bool ScreenshotTour::listsLoaded() const
{
    const QWidget *form = screen();
    const auto *grid = form ? form->findChild<QTableView *>(QStringLiteral("dbgPadrao")) : nullptr;
    return grid && grid->model()->rowCount() > 0;
}

void ScreenshotTour::photographSalespeople()
{
    save(&m_host, QStringLiteral("host.png"));
    save(m_host.findChild<QWidget *>(QStringLiteral("frmManComisWindow")), QStringLiteral("tela-vendedor.png"));
    QWidget *form = screen();
    form->findChild<QTabWidget *>(QStringLiteral("pgcPadrao"))
        ->setCurrentWidget(form->findChild<QWidget *>(QStringLiteral("tshOrcamento")));
    m_step = Step::QuoteTab;
}

// A click on the mark cell marks the quote and leaves the grid focused on it,
// so the picture shows a marked and unmarked quotes and the selected cell.
void ScreenshotTour::markFirstQuote()
{
    auto *grid = screen()->findChild<QTableView *>(QStringLiteral("dbgOrcamento"));
    if (grid->model()->rowCount() == 0)
        return fail(QStringLiteral("the first salesperson has no quotes"));
    // The grid shows its selected cell only while it has the input focus.
    QApplication::setActiveWindow(&m_host);
    grid->setFocus();
    clickCellLater(grid, 0, 0);
    m_step = Step::Marked;
}

void ScreenshotTour::photographQuotes()
{
    save(m_host.findChild<QWidget *>(QStringLiteral("frmManComisWindow")), QStringLiteral("tela-orcamento.png"));
    m_step = Step::History;
    // The history opens modally: from the event loop, so the tour goes on.
    auto *history = screen()->findChild<QAction *>(QStringLiteral("mnuHistorico"));
    QTimer::singleShot(0, history, [history] { history->trigger(); });
}

// The demonstration's payables were issued a month and more ago: the history
// looks back over six months once its first load is in.
void ScreenshotTour::widenHistoryPeriod(QWidget *history)
{
    auto *refresh = history->findChild<QAbstractButton *>(QStringLiteral("btnAtualizar"));
    if (!refresh->isEnabled())
        return;
    history->findChild<TDateEditPlus *>(QStringLiteral("depHistoricoDe"))
        ->SetDate(packet::toDayCount(QDate::currentDate().addMonths(-6)));
    clickLater(refresh);
    m_step = Step::HistoryPeriod;
}

// Enter on the first settlement shows its quotes below it.
void ScreenshotTour::showQuotesOfFirstSettlement(QWidget *history)
{
    auto *settlements = history->findChild<QTableView *>(QStringLiteral("dbgHistorico"));
    if (settlements->model()->rowCount() == 0)
        return fail(QStringLiteral("the history of the first salesperson is empty"));
    settlements->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(settlements, &enter);
    m_step = Step::HistoryQuotes;
}

void ScreenshotTour::photographHistory(QWidget *history)
{
    save(history, QStringLiteral("historico.png"));
    m_step = Step::GeneratedFilter;
    clickLater(history->findChild<QAbstractButton *>(QStringLiteral("btnFechar")));
    // Once the history has closed, the filter again, for generated commission.
    auto *filter = screen()->findChild<QAction *>(QStringLiteral("mnuFiltrar"));
    QTimer::singleShot(kTickMs, filter, [filter] { filter->trigger(); });
}

void ScreenshotTour::filterGenerated(QWidget *dialog)
{
    dialog->findChild<TDateEditPlus *>(QStringLiteral("depDePeriodo"))->SetDate(packet::toDayCount(m_from));
    dialog->findChild<TDateEditPlus *>(QStringLiteral("depAtePeriodo"))->SetDate(packet::toDayCount(m_to));
    dialog->findChild<QAbstractButton *>(QStringLiteral("rbtGerada"))->click();
    clickLater(dialog->findChild<QAbstractButton *>(QStringLiteral("sbtConfirma")));
    m_step = Step::GeneratedLoaded;
}

// The line over the navigator changes only once a load succeeded.
bool ScreenshotTour::generatedLoaded() const
{
    const auto *loaded = screen()->findChild<QLabel *>(QStringLiteral("lblFiltroAtual"));
    return loaded && loaded->text().contains(QStringLiteral(" · Gerada · ")) && listsLoaded();
}

// On the quote grid, the first quote unmarked and marked again: the commands
// are offered once marking ran there.
void ScreenshotTour::markGeneratedQuotes()
{
    QWidget *form = screen();
    form->findChild<QTabWidget *>(QStringLiteral("pgcPadrao"))
        ->setCurrentWidget(form->findChild<QWidget *>(QStringLiteral("tshOrcamento")));
    auto *grid = form->findChild<QTableView *>(QStringLiteral("dbgOrcamento"));
    if (grid->model()->rowCount() == 0)
        return fail(QStringLiteral("the first salesperson has no generated quotes"));
    QApplication::setActiveWindow(&m_host);
    grid->setFocus();
    clickCellLater(grid, 0, 0);
    clickCellLater(grid, 0, 0);
    m_step = Step::CancelMarked;
}

// The reason dialog with a reason typed; then abandoned, so nothing is cancelled.
void ScreenshotTour::photographReason(QWidget *dialog)
{
    dialog->findChild<QPlainTextEdit *>(QStringLiteral("memMotivo"))
        ->setPlainText(QStringLiteral("O cliente desistiu do evento."));
    save(dialog, QStringLiteral("motivo.png"));
    m_step = Step::Done;
    m_timer.stop();
    clickLater(dialog->findChild<QAbstractButton *>(QStringLiteral("btnCancelar")));
    QTimer::singleShot(kTickMs, qApp, [] { QCoreApplication::exit(0); });
}

void ScreenshotTour::save(QWidget *widget, const QString &name)
{
    const QString path = m_folder.filePath(name);
    if (!widget || !widget->grab().save(path))
        return fail(QStringLiteral("could not save %1").arg(path));
    std::printf("%s\n", qPrintable(path));
}

void ScreenshotTour::fail(const QString &why)
{
    std::fprintf(stderr, "screenshots: %s\n", qPrintable(why));
    m_step = Step::Done;
    m_timer.stop();
    QCoreApplication::exit(1);
}
