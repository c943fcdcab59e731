#include "typeahead.h"

#include "busyindicator.h"
#include "handlerguard.h"
#include "hostbusy.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace {

// How often held keys wait for a modal dialog of the flow to close.
constexpr int retryMs = 20;

bool isKey(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease;
}

bool isClick(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick
           || type == QEvent::Wheel;
}

// The busy panel and its button.
bool onBusyPanel(QObject *watched)
{
    for (auto *widget = qobject_cast<QWidget *>(watched); widget != nullptr; widget = widget->parentWidget()) {
        if (qobject_cast<BusyIndicator *>(widget))
            return true;
    }
    return false;
}

}  // namespace

TypeAhead::TypeAhead(QWidget *screen) : QObject(screen), m_screen(screen) {}

TypeAhead::~TypeAhead()
{
    if (m_holding)
        qApp->removeEventFilter(this);
}

void TypeAhead::setHolding(bool holding)
{
    if (holding == m_holding)
        return;
    m_holding = holding;
    if (holding) {
        qApp->installEventFilter(this);
        return;
    }
    qApp->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] { deliver(); });
}

bool TypeAhead::onScreen(QObject *watched) const
{
    auto *widget = qobject_cast<QWidget *>(watched);
    return widget != nullptr && m_screen && widget->window() == m_screen->window();
}

bool TypeAhead::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_holding || !onScreen(watched))
        return false;
    if (isClick(event->type()))
        return !onBusyPanel(watched);
    if (!isKey(event->type()))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Escape gives up the wait when the busy panel offers it, and is never
    // held: after the call it would mean something else.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        if (event->type() == QEvent::KeyPress)
            runGuarded([] { CancelBusyWait(); });
        return true;
    }
    m_held.push_back(std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(), key->text(),
                                                 key->isAutoRepeat(), key->count()));
    return true;
}

void TypeAhead::deliver()
{
    if (m_holding || m_held.empty())
        return;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(retryMs, this, [this] { deliver(); });
        return;
    }
    std::vector<std::unique_ptr<QKeyEvent>> keys = std::move(m_held);
    m_held.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // A key may start another call: what follows it waits for that one.
        if (m_holding) {
            for (std::size_t rest = i; rest < keys.size(); ++rest)
                m_held.push_back(std::move(keys[rest]));
            return;
        }
        if (QWidget *focus = QApplication::focusWidget(); focus && onScreen(focus))
            QApplication::sendEvent(focus, keys[i].get());
    }
}
