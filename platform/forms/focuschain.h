#pragma once

#include "forms_export.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

// Enter and exit handlers of controls and containers (a panel counts). When
// the focus moves inside one window, the exit handlers of every widget left
// run innermost first, up to the common ancestor; then the enter handlers of
// every widget entered, outermost first. An exit handler that throws (the
// silent abort included) stops the move: the focus goes back to where it was
// and no further handler runs; a non-abort error is shown by the handler
// guard. Changes across windows (dialogs, popups) run no handlers.
//
// "Window" here means a form: a top-level window or a child window of the
// host's child-window area. The chain remembers each form's focused control,
// so returning to a form runs nothing, while a focus moved in code when the
// form was not active runs its handlers once the form is active again. A focus
// moved by a handler is followed afterwards, with its own handlers.
class FORMS_EXPORT FocusChain : public QObject {
    Q_OBJECT
public:
    static FocusChain &instance();

    void setEnterHandler(QWidget *widget, std::function<void()> handler);
    void setExitHandler(QWidget *widget, std::function<void()> handler);
    void clearHandlers(QWidget *widget);

    // True while the chain is putting the focus back after a veto.
    bool restoring() const;

    // The toolkit is handing the focus of `form` to a control of its own
    // choosing (a child window being activated, a window being restored).
    // Moves in the form run nothing until the event loop is back; then
    // `control` has the focus again, without leaving or entering anything.
    void holdFocus(QWidget *form, QWidget *control);

private:
    explicit FocusChain(QObject *parent = nullptr);
    ~FocusChain() override;
    void onFocusChanged(QWidget *old, QWidget *now);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void follow(QWidget *form, QWidget *from, QWidget *to);
    bool moveOnce(QWidget *form, QWidget *from, QWidget *to);
    void rememberFocus(QWidget *form, QWidget *widget);

    struct Private;
    std::unique_ptr<Private> d;
};
