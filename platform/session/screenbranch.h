#pragma once

#include "session_export.h"

#include <QObject>
#include <QString>

// The branch the module's screen works on, for the host to show in its status
// bar in place of the session's. The host listens to the notifier's signal;
// a module only calls ReportScreenBranch.
class SESSION_EXPORT ScreenBranch : public QObject {
    Q_OBJECT
public:
    static ScreenBranch &notifier();

signals:
    // An empty code: the screen works on no branch of its own any longer.
    void reported(const QString &code, const QString &name);

private:
    ScreenBranch() = default;
};

// Tells the host which branch the screen works on, from the first time the
// screen takes one (its first activation) and again each time the operator
// changes it: ReportScreenBranch("0002", "Filial Centro"). The host's status
// bar shows "Filial: 0002 - Filial Centro" from then on instead of the
// session's branch; an empty name shows the code alone. An empty code gives
// the session's branch back (for a screen that closes). Call it on the GUI
// thread; it needs no window and does nothing when no host listens.
SESSION_EXPORT void ReportScreenBranch(const QString &code, const QString &name = QString());
