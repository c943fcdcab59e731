#include "moduleloader.h"

#include "modulecatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <map>

namespace {

const char *const entryName = "IniProc";

}  // namespace

struct ModuleLoader::Private {
    // Keyed by the canonical file, so two spellings of one path share a library.
    std::map<QString, std::unique_ptr<QLibrary>> libraries;
    QStringList loadedPaths;
    QString error;
};

ModuleLoader::ModuleLoader() : d(std::make_unique<Private>()) {}

ModuleLoader::~ModuleLoader()
{
    unloadAll();
}

ModuleLoader::EntryProcedure ModuleLoader::entryOf(const QString &path)
{
    d->error.clear();
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile()) {
        d->error = QStringLiteral("O módulo %1 não foi encontrado.").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }

    const QString key = file.canonicalFilePath();
    if (auto found = d->libraries.find(key); found != d->libraries.end())
        return reinterpret_cast<EntryProcedure>(found->second->resolve(entryName));

    auto library = std::make_unique<QLibrary>(key);
    // The toolkit keeps texts that a module handed it in process-wide caches
    // (the font cache keeps family names, for one), and those may point into
    // the module's constant data. Unloading therefore leaves the code mapped;
    // the module's own finalization runs when the process ends.
    library->setLoadHints(QLibrary::PreventUnloadHint);
    if (!library->load()) {
        // The loader's text (English, about symbols and ELF headers) is for support.
        qWarning("module %s: %s", qPrintable(path), qPrintable(library->errorString()));
        d->error = QStringLiteral("Não foi possível carregar o módulo %1: o arquivo não é um módulo deste programa "
                                  "ou falta uma biblioteca de que ele precisa. Reinstale o programa; se persistir, "
                                  "informe o suporte.")
                       .arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    auto entry = reinterpret_cast<EntryProcedure>(library->resolve(entryName));
    if (!entry) {
        // Nothing of a library without an entry can run: let it go at once.
        library->unload();
        d->error = QStringLiteral("O módulo %1 não exporta o procedimento %2.")
                       .arg(QDir::toNativeSeparators(path), QLatin1String(entryName));
        return nullptr;
    }
    d->libraries.emplace(key, std::move(library));
    d->loadedPaths.append(path);
    return entry;
}

QString ModuleLoader::error() const
{
    return d->error;
}

QStringList ModuleLoader::loaded() const
{
    return d->loadedPaths;
}

void ModuleLoader::unloadAll()
{
    for (auto &[path, library] : d->libraries)
        library->unload();
    d->libraries.clear();
    d->loadedPaths.clear();
}

QString ModuleLoader::defaultModulePath()
{
    const QList<ModuleCatalogue::Entry> modules = ModuleCatalogue::read();
    return modules.isEmpty() ? QString() : modules.first().path;
}
