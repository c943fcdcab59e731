// Loading modules in the host: what goes wrong is reported clearly and the
// host goes on; what a module made is gone before the module is unloaded.

#include "moduleloader.h"
#include "hostmainwindow.h"
#include "modulecatalogue.h"
#include "scripteddialogs.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

class ModuleLoaderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void shouldReportWhyModuleCannotBeOpened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = m_dir.filePath(QStringLiteral("libmissing.so"));
        QFile junk(m_dir.filePath(QStringLiteral("libjunk.so")));
        junk.open(QIODevice::WriteOnly);
        junk.write("not a library");
        junk.close();
        QTest::newRow("missing file") << missing << QStringLiteral("O módulo %1 não foi encontrado.").arg(missing);
        QTest::newRow("a folder") << m_dir.path()
                                  << QStringLiteral("O módulo %1 não foi encontrado.").arg(m_dir.path());
        QTest::newRow("not a library")
            << junk.fileName() << QStringLiteral("Não foi possível carregar o módulo %1: ").arg(junk.fileName());
        QTest::newRow("no entry procedure")
            << QStringLiteral(ENTRYLESS_MODULE)
            << QStringLiteral("O módulo %1 não exporta o procedimento IniProc.").arg(QStringLiteral(ENTRYLESS_MODULE));
    }

    void shouldReportWhyModuleCannotBeOpened()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        ScriptedDialogs dialogs;
        HostMainWindow host;
        QVERIFY(!host.openModule(path));
        QCOMPARE(dialogs.errors().size(), 1);
        QVERIFY2(dialogs.errors().first().startsWith(message), qPrintable(dialogs.errors().first()));
        // The host goes on: another module still opens.
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        QCOMPARE(dialogs.errors().size(), 1);
    }

    void shouldOpenTheCataloguesFirstModuleByDefault()
    {
        // The build writes the catalogue next to the programs, tests included.
        const QList<ModuleCatalogue::Entry> modules = ModuleCatalogue::read();
        QVERIFY(!modules.isEmpty());
        QCOMPARE(ModuleLoader::defaultModulePath(), modules.first().path);
        QCOMPARE(QFileInfo(ModuleLoader::defaultModulePath()).dir(), QDir(QCoreApplication::applicationDirPath()));
    }

    void shouldLoadOnceAndCallEntryEveryTime()
    {
        ScriptedDialogs dialogs;
        HostMainWindow host;
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        const int before = qApp->property("fixtureCalls").toInt();
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        QCOMPARE(qApp->property("fixtureCalls").toInt(), before + 1);
        QCOMPARE(host.childWindowArea()->subWindowList().size(), 1);
        QVERIFY(dialogs.errors().isEmpty());
        host.releaseModules();
    }

    void shouldShowErrorOfEntryAndGoOn()
    {
        ScriptedDialogs dialogs;
        HostMainWindow host;
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        qApp->setProperty("fixtureFails", true);
        QVERIFY(!host.openModule(QStringLiteral(FIXTURE_MODULE)));
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Falha no módulo de teste")});
        qApp->setProperty("fixtureFails", false);
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        host.releaseModules();
    }

    void shouldDeleteModuleScreensBeforeUnloading()
    {
        ScriptedDialogs dialogs;
        HostMainWindow host;
        QVERIFY(host.openModule(QStringLiteral(FIXTURE_MODULE)));
        const QList<QMdiSubWindow *> children = host.childWindowArea()->subWindowList();
        QCOMPARE(children.size(), 1);
        QPointer<QWidget> screen = children.first()->widget();
        QVERIFY(screen);
        children.first()->close();  // a closed screen is only hidden, yet it goes too
        QVERIFY(screen);
        QVERIFY(host.releaseModules());
        QVERIFY(!screen);
        QVERIFY(host.childWindowArea()->subWindowList().isEmpty());
    }
};

QTEST_MAIN(ModuleLoaderTest)
#include "moduleloadertest.moc"
