#include "operatorlocale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QLocale OperatorLocale::choose(const QLocale &system)
{
    if (system.language() == QLocale::C || system.language() == QLocale::AnyLanguage)
        return QLocale(QLocale::Portuguese, QLocale::Brazil);
    return system;
}

bool OperatorLocale::apply(QCoreApplication &application)
{
    const QLocale locale = choose(QLocale::system());
    QLocale::setDefault(locale);
    auto *translator = new QTranslator(&application);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
