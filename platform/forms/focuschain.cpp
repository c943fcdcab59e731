#include "focuschain.h"

#include "handlerguard.h"

#include <QApplication>
#include <QHash>
#include <QMdiSubWindow>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <QWindowStateChangeEvent>

namespace {

// A handler that keeps moving the focus on must not keep the chain busy forever.
constexpr int maxFollowedMoves = 16;

// The form a widget belongs to: its child window in the host's child-window
// area, or else its top-level window.
QWidget *formOf(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->isWindow() || qobject_cast<QMdiSubWindow *>(w))
            return w;
    }
    return nullptr;
}

// The widget and its parents up to the form, innermost first.
QVector<QPointer<QWidget>> chainOf(QWidget *widget, QWidget *form)
{
    QVector<QPointer<QWidget>> chain;
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        chain.append(w);
        if (w == form)
            break;
    }
    return chain;
}

}  // namespace

struct FocusChain::Private {
    struct Handlers {
        std::function<void()> enter;
        std::function<void()> exit;
    };
    QHash<QWidget *, Handlers> handlers;
    QHash<QWidget *, QPointer<QWidget>> lastFocus;  // per form
    QSet<QWidget *> busyForms;                      // forms whose handlers are running
    QSet<QWidget *> heldForms;                      // the toolkit is placing their focus; not followed
    // Forms whose last move an exit handler refused: the focus was put back
    // while the handler's message box was the active window, and the toolkit
    // may hand it, on the form's next activation, to the control it had
    // remembered (the one refused).
    QSet<QWidget *> refusedForms;
    bool restoring = false;

    void watch(FocusChain *chain, QWidget *widget)
    {
        if (handlers.contains(widget) || lastFocus.contains(widget))
            return;
        QObject::connect(widget, &QObject::destroyed, chain, [this, widget] {
            handlers.remove(widget);
            lastFocus.remove(widget);
            heldForms.remove(widget);
            refusedForms.remove(widget);
        });
    }

    std::function<void()> exitOf(QWidget *widget) const { return handlers.value(widget).exit; }
    std::function<void()> enterOf(QWidget *widget) const { return handlers.value(widget).enter; }
};

FocusChain &FocusChain::instance()
{
    static QPointer<FocusChain> chain;
    if (!chain)
        chain = new FocusChain(qApp);
    return *chain;
}

FocusChain::FocusChain(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    connect(qApp, &QApplication::focusChanged, this, &FocusChain::onFocusChanged);
}

FocusChain::~FocusChain() = default;

void FocusChain::setEnterHandler(QWidget *widget, std::function<void()> handler)
{
    d->watch(this, widget);
    d->handlers[widget].enter = std::move(handler);
}

void FocusChain::setExitHandler(QWidget *widget, std::function<void()> handler)
{
    d->watch(this, widget);
    d->handlers[widget].exit = std::move(handler);
}

void FocusChain::clearHandlers(QWidget *widget)
{
    d->handlers.remove(widget);
}

bool FocusChain::restoring() const
{
    return d->restoring;
}

void FocusChain::rememberFocus(QWidget *form, QWidget *widget)
{
    if (!d->lastFocus.contains(form))
        form->installEventFilter(this);
    d->watch(this, form);
    d->lastFocus[form] = widget;
}

bool FocusChain::eventFilter(QObject *watched, QEvent *event)
{
    auto *form = qobject_cast<QWidget *>(watched);
    if (event->type() != QEvent::WindowStateChange || !form || !d->lastFocus.contains(form))
        return false;
    const auto *change = static_cast<QWindowStateChangeEvent *>(event);
    if (!(change->oldState() & Qt::WindowMinimized) || form->isMinimized())
        return false;
    // Restored: the toolkit hands the focus to a control of its choosing
    // (the window manager's, too). Once that has settled, the control the
    // operator left is given the focus back, without leaving or entering
    // anything, as if the window had never been minimized.
    holdFocus(form, d->lastFocus.value(form));
    return false;
}

void FocusChain::holdFocus(QWidget *form, QWidget *control)
{
    if (!form)
        return;
    d->watch(this, form);
    d->heldForms.insert(form);
    QTimer::singleShot(0, this, [this, form = QPointer<QWidget>(form), control = QPointer<QWidget>(control)] {
        if (!form)
            return;
        d->heldForms.remove(form);
        // Put back into the window's memory even while it is inactive, so
        // that its next activation hands the focus to this control.
        if (!control || !control->isVisible() || !control->isEnabled() || formOf(control) != form
            || control->window()->focusWidget() == control)
            return;
        d->restoring = true;
        control->setFocus(Qt::OtherFocusReason);
        d->restoring = false;
        if (QApplication::focusWidget() == control)
            rememberFocus(form, control);
    });
}

void FocusChain::onFocusChanged(QWidget *old, QWidget *now)
{
    if (d->restoring || !now)
        return;
    QWidget *form = formOf(now);
    // A move that a running handler makes is followed once the handler is done.
    // The form itself takes the focus only while it shows no control (a
    // minimized child window): that leaves no control and enters none.
    if (!form || now == form || d->busyForms.contains(form))
        return;
    // While its window is minimized the form shows no control, whatever
    // widget the toolkit hands the focus to meanwhile: no control is left
    // and none entered, and the focus it had is kept for its restoring.
    if (form->isMinimized() || d->heldForms.contains(form))
        return;
    const bool withinForm = old && old != form && formOf(old) == form;
    QWidget *kept = d->lastFocus.value(form).data();
    if (d->refusedForms.remove(form) && !withinForm && kept && kept != now) {
        // The activation after a refusal gives the refused control the focus
        // again: no move of the operator's, so the focus goes back where the
        // refusal left it and no handler runs (running them would refuse
        // again, show the message again, and so on for ever).
        d->restoring = true;
        kept->setFocus(Qt::OtherFocusReason);
        d->restoring = false;
        return;
    }
    QWidget *from = withinForm ? old : kept;
    follow(form, from, now);
}

void FocusChain::follow(QWidget *form, QWidget *from, QWidget *to)
{
    for (int moves = 0; from != to && moves < maxFollowedMoves; ++moves) {
        if (!moveOnce(form, from, to))
            return;
        QWidget *actual = QApplication::focusWidget();
        if (!actual || formOf(actual) != form)
            return;
        from = to;
        to = actual;
    }
    rememberFocus(form, to);
}

// Runs the exit handlers from `from` up to the common ancestor, then the
// enter handlers down to `to`. Returns false when an exit handler stopped the
// move and the focus went back.
bool FocusChain::moveOnce(QWidget *form, QWidget *from, QWidget *to)
{
    d->busyForms.insert(form);
    const QVector<QPointer<QWidget>> left = from ? chainOf(from, form) : QVector<QPointer<QWidget>>();
    const QVector<QPointer<QWidget>> entered = chainOf(to, form);

    for (const QPointer<QWidget> &widget : left) {
        if (entered.contains(widget))
            break;  // the common ancestor: not left
        const std::function<void()> handler = widget ? d->exitOf(widget) : nullptr;
        if (handler && !runGuarded(handler)) {
            d->busyForms.remove(form);
            d->restoring = true;
            if (from)
                from->setFocus(Qt::OtherFocusReason);
            d->restoring = false;
            rememberFocus(form, from);
            d->refusedForms.insert(form);
            return false;
        }
    }

    qsizetype firstEntered = entered.size();
    for (qsizetype i = 0; i < entered.size(); ++i) {
        if (left.contains(entered[i])) {
            firstEntered = i;
            break;
        }
    }
    rememberFocus(form, to);
    for (qsizetype i = firstEntered - 1; i >= 0; --i) {
        const std::function<void()> handler = entered[i] ? d->enterOf(entered[i]) : nullptr;
        if (handler && !runGuarded(handler))
            break;
    }
    d->busyForms.remove(form);
    return true;
}
