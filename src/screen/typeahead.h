#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QKeyEvent;
class QWidget;

// What the operator does to a screen while a call of it is in progress. Keys
// typed meanwhile are held and delivered in order once the call is over, to
// whatever has the focus then (type-ahead); mouse clicks on the screen's
// window are refused (the busy cursor shows why), but for the busy panel's
// own button. Escape is not held: it gives up the wait when the busy panel
// offers that (CancelBusyWait). Other windows (a dialog the flow opens) get
// their input as usual.
class TypeAhead : public QObject {
    Q_OBJECT
public:
    explicit TypeAhead(QWidget *screen);
    ~TypeAhead() override;

    // On while a call runs; turned off, the held keys go out once the event
    // loop is back and no modal dialog is in the way.
    void setHolding(bool holding);
    int held() const { return int(m_held.size()); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onScreen(QObject *watched) const;
    void deliver();

    QPointer<QWidget> m_screen;
    bool m_holding = false;
    std::vector<std::unique_ptr<QKeyEvent>> m_held;
};
