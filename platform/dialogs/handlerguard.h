#pragma once

#include "dialogs_export.h"

#include <functional>
#include <type_traits>
#include <utility>

// The one place where handler errors stop. Every handler that the toolkit
// calls (clicks, key presses, focus moves, activation, painting) runs inside
// runGuarded: a SilentAbort ends it quietly, an AbandonedCallError (the
// operator gave up waiting for a call) too with the busy indicator switched
// off, any other exception switches the
// busy indicator off and goes to the error display (DialogSeam::showError),
// and the event loop goes on. Returns true when the handler ended normally.
DIALOGS_EXPORT bool runGuarded(const std::function<void()> &handler);

// Wraps a callable for QObject::connect, so that connected handlers are guarded:
//   connect(button, &QAbstractButton::clicked, this, guarded([this] { ... }));
// A handler that takes no arguments may be connected to a signal that has some
// (clicked(bool) above); they are then not passed on.
namespace handler_guard {

// Calls the handler with the signal's arguments when it takes them, else
// without. A function template of its own, so that every compiler discards
// the branch that does not apply.
template <typename Handler, typename... Args>
void invoke(const Handler &handler, Args &&...args)
{
    if constexpr (std::is_invocable_v<const Handler &, Args...>)
        handler(std::forward<Args>(args)...);
    else
        handler();
}

}  // namespace handler_guard

template <typename Handler>
auto guarded(Handler handler)
{
    return [handler = std::move(handler)](auto &&...args) {
        runGuarded([&] { handler_guard::invoke(handler, std::forward<decltype(args)>(args)...); });
    };
}
