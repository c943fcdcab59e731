#pragma once

#include "dialogs_export.h"

class QDialog;

// The modal run of a dialog that releases itself. A release asked for while
// the run is under way is carried out only once the run has returned, posted
// from the caller's level: posted from inside the run, the run's own event
// loop (or one nested in it) would delete the dialog while its handlers and
// its caller still use it.
class DIALOGS_EXPORT ModalRun {
public:
    explicit ModalRun(QDialog &dialog);

    int exec();  // the dialog's exec(), then any release asked for meanwhile
    void release();
    bool running() const { return m_running; }

private:
    QDialog &m_dialog;
    bool m_running = false;
    bool m_releasePending = false;
};
