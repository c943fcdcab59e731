#include "modalrun.h"

#include <QDialog>

ModalRun::ModalRun(QDialog &dialog) : m_dialog(dialog) {}

int ModalRun::exec()
{
    m_running = true;
    const int result = m_dialog.exec();
    m_running = false;
    if (m_releasePending) {
        m_releasePending = false;
        m_dialog.deleteLater();
    }
    return result;
}

void ModalRun::release()
{
    if (m_running)
        m_releasePending = true;
    else
        m_dialog.deleteLater();
}
