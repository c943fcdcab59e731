// A loadable module for the loader tests. Its IniProc counts its calls in the
// application's "fixtureCalls" property, fails while the property
// "fixtureFails" is set, and opens a screen of its own in the host.

#include "tfrmpadraogrid.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

class FixtureScreen : public TfrmPadraoGrid {
public:
    FixtureScreen() { setObjectName(QStringLiteral("frmFixture")); }
};

QPointer<FixtureScreen> screen;

}  // namespace

extern "C" __attribute__((visibility("default"))) void IniProc()
{
    qApp->setProperty("fixtureCalls", qApp->property("fixtureCalls").toInt() + 1);
    if (qApp->property("fixtureFails").toBool())
        throw std::runtime_error("Falha no módulo de teste");
    if (!screen) {
        screen = new FixtureScreen;
        screen->create();
    }
    screen->showScreen();
}
