#include "handlerguard.h"

#include "dialogseam.h"
#include "hostbusy.h"
#include "silentabort.h"
#include "tnetconnection.h"

#include <QString>

#include <exception>

namespace {

// Shown for an exception that carries no text of its own.
const char *const unknownErrorText = "Ocorreu um erro inesperado. A operação foi interrompida.";

// Reports an error of a handler. The busy indicator goes off first: the
// handler that failed can no longer switch it off itself.
void report(const QString &text)
{
    DeactiveShowAvi();
    DialogSeam::current().showError(text);
}

}  // namespace

bool runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const SilentAbort &) {
        return false;
    } catch (const AbandonedCallError &) {
        // The operator gave up the wait: nothing to tell, the wait is over.
        DeactiveShowAvi();
        return false;
    } catch (const std::exception &error) {
        const QString text = QString::fromUtf8(error.what());
        report(text.trimmed().isEmpty() ? QString::fromUtf8(unknownErrorText) : text);
        return false;
    } catch (...) {
        report(QString::fromUtf8(unknownErrorText));
        return false;
    }
}
