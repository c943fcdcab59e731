#include "paintingerrorseam.h"

#include <QCoreApplication>
#include <QTimer>

PaintingErrorSeam::PaintingErrorSeam() : m_previous(&DialogSeam::current())
{
    DialogSeam::install(this);
}

PaintingErrorSeam::~PaintingErrorSeam()
{
    DialogSeam::install(m_previous);
}

void PaintingErrorSeam::showHeldErrorsLater()
{
    for (const auto &[text, informative] : std::as_const(m_errors))
        QTimer::singleShot(0, QCoreApplication::instance(), [text = text, informative = informative] {
            DialogSeam::current().showError(text, informative);
        });
    m_errors.clear();
}

int PaintingErrorSeam::messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative)
{
    return m_previous->messageDlg(text, type, buttons, informative);
}

void PaintingErrorSeam::showError(const QString &text, const QString &informative)
{
    m_errors.append({text, informative});
}

QString PaintingErrorSeam::saveFileName(const QString &title, const QString &suggested, const QString &filter)
{
    return m_previous->saveFileName(title, suggested, filter);
}

bool PaintingErrorSeam::lookup(const LookupRequest &request)
{
    return m_previous->lookup(request);
}

bool PaintingErrorSeam::pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list)
{
    return m_previous->pickList(source, keyField, title, list);
}

void PaintingErrorSeam::search(TDataSource *source)
{
    m_previous->search(source);
}

bool PaintingErrorSeam::signIn(const SignInPrompt &prompt)
{
    return m_previous->signIn(prompt);
}
