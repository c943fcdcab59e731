#include "hostmainwindow.h"
#include "tbtnpesquisa.h"
#include "tdbgrid.h"
#include "tfrmmancomis.h"
#include "tmessages.h"

#include <QAction>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

class ScreenLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldHoldCatalogueTextsExactly_data();
    void shouldHoldCatalogueTextsExactly();
    void shouldKeepEveryCatalogueKeyOnceInOrder();
    void shouldPlaceControlsAt96Dpi_data();
    void shouldPlaceControlsAt96Dpi();
    void shouldShowCaptionsAndHints_data();
    void shouldShowCaptionsAndHints();
    void shouldListGridColumns_data();
    void shouldListGridColumns();
    void shouldOfferFilterAtEndOfMaintenanceMenuWithCtrlL();
    void shouldStartWithPrintingFilterAndPicturesOff();
    void shouldMaskBranchCode_data();
    void shouldMaskBranchCode();
    void shouldPutBranchPanelFirstUnderToolbarAndInTabOrder();
    void shouldOfferEveryCommandOnTheKeyboard_data();
    void shouldOfferEveryCommandOnTheKeyboard();
    void shouldGiveMenusOfHostAndScreenDifferentAccessKeys();
    void shouldGiveEveryEntryOfAMenuItsOwnAccessKey();

private:
    std::unique_ptr<TfrmManComis> screen;
};

void ScreenLayoutTest::init()
{
    screen = std::make_unique<TfrmManComis>();
}

void ScreenLayoutTest::cleanup()
{
    screen.reset();
}

void ScreenLayoutTest::shouldHoldCatalogueTextsExactly_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("branch missing") << "FILI_N_INF"
                                    << "Filial deve ser informada.";
    QTest::newRow("branch unknown") << "FILI_N_CAD"
                                    << "Filial não cadastrada.";
    QTest::newRow("loading") << "GetComissao"
                             << "Verificando os registros no servidor...";
    QTest::newRow("pending") << "VEND_S_COMISSAO"
                             << "Os vendedores abaixo não possuem comissão gerada.";
    QTest::newRow("double blank, missing accent")
        << "N_PARAM_EMPRESARELAC"
        << "Empresa ou sua Inscrição Estadual  não esta relacionada a filial.";
    QTest::newRow("trailing blank") << "ERRO_GERAR_CONTA"
                                    << "Não foi possível gerar contas a pagar. ";
    QTest::newRow("no final stop")
        << "N_PARAM_SERIEENTR"
        << "Não há série padrão parametrizada. Informe a Série de Entrada na tela de Parâmetros do Orçamento";
    QTest::newRow("percent sign") << "VR_COM_DEVE"
                                  << "Comissão deve estar entre 0,001 e 99,99%.";
    QTest::newRow("mixed-case key") << "Ven_Nao_Cad"
                                    << "Vendedor não cadastrado.";
    QTest::newRow("success") << "SUCESSO"
                             << "Comissão gerada com sucesso.";
}

void ScreenLayoutTest::shouldHoldCatalogueTextsExactly()
{
    QFETCH(QString, key);
    QFETCH(QString, text);

    QCOMPARE(screen->msgPadrao->Msg(key), text);
}

void ScreenLayoutTest::shouldKeepEveryCatalogueKeyOnceInOrder()
{
    const QStringList lines = screen->msgPadrao->lines();
    QStringList keys;
    for (const QString &line : lines)
        keys << line.section(QLatin1Char('|'), 0, 0);

    QCOMPARE(lines.size(), 46);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 46);
    QCOMPARE(keys.first(), QStringLiteral("Excl"));
    QCOMPARE(keys.at(10), QStringLiteral("GetComissao"));
    QCOMPARE(keys.at(18), QStringLiteral("SUCESSO"));
    QCOMPARE(keys.last(), QStringLiteral("VALOR_COMISS_ZERO"));
}

void ScreenLayoutTest::shouldPlaceControlsAt96Dpi_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");  // width and height 0: only the position counts

    QTest::newRow("filter button") << "sbtFiltrar" << QRect(176, 4, 20, 21);
    QTest::newRow("checked picture") << "imgCheck" << QRect(600, 8, 16, 16);
    QTest::newRow("silver picture") << "imgDescheck" << QRect(624, 8, 16, 16);
    QTest::newRow("unchecked picture") << "imgUncheck" << QRect(648, 8, 16, 16);
    QTest::newRow("print button") << "sbtImprimir" << QRect(210, 4, 0, 0);
    QTest::newRow("help button") << "sbtAjuda" << QRect(246, 4, 0, 0);
    QTest::newRow("close button") << "sbtFechar" << QRect(282, 4, 0, 0);
    QTest::newRow("branch label") << "lblFilial" << QRect(6, 10, 0, 0);
    QTest::newRow("branch code") << "medCdFilial" << QRect(50, 7, 54, 19);
    QTest::newRow("branch lookup") << "btnFilial" << QRect(107, 7, 21, 21);
    QTest::newRow("branch name") << "edtNmFilial" << QRect(132, 7, 305, 19);
}

void ScreenLayoutTest::shouldPlaceControlsAt96Dpi()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    auto *control = screen->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->pos(), geometry.topLeft());
    if (geometry.width() > 0)
        QCOMPARE(control->size(), geometry.size());
}

void ScreenLayoutTest::shouldShowCaptionsAndHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");

    QTest::newRow("screen") << "frmManComis"
                            << "windowTitle"
                            << "Manutenção da Comissão";
    QTest::newRow("screen code") << "lblCodTela"
                                 << "text"
                                 << "ORE09700";
    QTest::newRow("filter hint") << "sbtFiltrar"
                                 << "toolTip"
                                 << "Filtrar";
    QTest::newRow("generate hint") << "sbtConfirmar"
                                   << "toolTip"
                                   << "Gerar Comissão";
    QTest::newRow("cancel hint") << "sbtCancelar"
                                 << "toolTip"
                                 << "Cancelar Comissão";
    QTest::newRow("lookup hint") << "btnFilial"
                                 << "toolTip"
                                 << "Pesquisar";
    QTest::newRow("branch label") << "lblFilial"
                                  << "text"
                                  << "Filial";
    QTest::newRow("filter entry") << "mnuFiltrar"
                                  << "text"
                                  << "&Filtrar";
}

void ScreenLayoutTest::shouldShowCaptionsAndHints()
{
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QString, text);

    QObject *object = name == screen->objectName() ? screen.get() : screen->findChild<QObject *>(name);
    QVERIFY(object);
    QCOMPARE(object->property(qPrintable(property)).toString(), text);
}

void ScreenLayoutTest::shouldListGridColumns_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QList<int>>("widths");

    QTest::newRow("salespeople") << "dbgPadrao" << QStringList{"NMFANVEN", "VRCOMISSAO"} << QList<int>{564, 149};
    QTest::newRow("quotes") << "dbgOrcamento"
                            << QStringList{"IDCHECK",  "NRORCAEVENTO", "NRSEQORCAEVE", "NMFANTCLIE",  "NMTIPOEVENTO",
                                           "DTEVENTO", "DTFECHAORCA",  "VRTOTALOREV",  "VRPERCCOMIS", "VRCOMISSAO"}
                            << QList<int>{17, 79, 28, 260, 120, 70, 83, 79, 79, 79};
}

void ScreenLayoutTest::shouldListGridColumns()
{
    QFETCH(QString, grid);
    QFETCH(QStringList, fields);
    QFETCH(QList<int>, widths);

    auto *dbg = screen->findChild<TDBGrid *>(grid);
    QVERIFY(dbg);
    QStringList actualFields;
    QList<int> actualWidths;
    for (int i = 0; i < dbg->columnCount(); ++i) {
        actualFields << dbg->Column(i).fieldName;
        actualWidths << dbg->Column(i).width;
    }
    QCOMPARE(actualFields, fields);
    QCOMPARE(actualWidths, widths);
    if (grid == QLatin1String("dbgOrcamento")) {
        // The tick of the symbol font, or the tick character where it is missing.
        const bool symbolFont = QFontDatabase::hasFamily(QStringLiteral("Monotype Sorts"));
        QCOMPARE(dbg->Column(0).title, symbolFont ? QStringLiteral("4") : QStringLiteral("\u2713"));
        QCOMPARE(dbg->Column(0).alignment, Qt::Alignment(Qt::AlignCenter));
    }
}

void ScreenLayoutTest::shouldOfferFilterAtEndOfMaintenanceMenuWithCtrlL()
{
    // The separator and the filter follow the base screen's entries; only
    // the history of settlements comes after them.
    const QList<QAction *> entries = screen->mnuManutencao->actions();
    QVERIFY(entries.size() >= 3);
    QCOMPARE(entries.at(entries.size() - 3), screen->mnuLinha4);
    QVERIFY(screen->mnuLinha4->isSeparator());
    QCOMPARE(entries.at(entries.size() - 2), screen->mnuFiltrar);
    QCOMPARE(screen->mnuFiltrar->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    QCOMPARE(entries.last(), screen->mnuHistorico);
    QCOMPARE(screen->mnuHistorico->text(), QStringLiteral("&Histórico da Comissão..."));
}

void ScreenLayoutTest::shouldStartWithPrintingFilterAndPicturesOff()
{
    QVERIFY(!screen->sbtImprimir->isEnabled());
    QVERIFY(!screen->mnuListagem->isEnabled());
    QVERIFY(!screen->mnuConfigImpressora->isEnabled());
    QVERIFY(!screen->sbtFiltrar->isEnabled());
    for (QLabel *picture : {screen->imgCheck, screen->imgDescheck, screen->imgUncheck}) {
        QVERIFY(picture->isHidden());
        QCOMPARE(picture->pixmap().size(), QSize(16, 16));
    }
}

void ScreenLayoutTest::shouldMaskBranchCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");

    QTest::newRow("letters turn upper case") << "ab1c"
                                             << "AB1C";
    QTest::newRow("four positions at most") << "abcdef"
                                            << "ABCD";
    QTest::newRow("signs refused") << "1-2/3.4"
                                   << "1234";
    QTest::newRow("blanks refused") << " 1 2"
                                    << "12";
}

void ScreenLayoutTest::shouldMaskBranchCode()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);

    QTest::keyClicks(screen->medCdFilial, typed);

    QCOMPARE(screen->medCdFilial->text(), text);
    QCOMPARE(screen->medCdFilial->maxLength(), 4);
}

void ScreenLayoutTest::shouldPutBranchPanelFirstUnderToolbarAndInTabOrder()
{
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));

    QCOMPARE(screen->panManComis->height(), 32);
    QCOMPARE(screen->panManComis->y(), screen->panMenu->geometry().bottom() + 1);
    QCOMPARE(screen->pgcPadrao->y(), screen->panManComis->geometry().bottom() + 1);

    // The keyboard starts in the code field and goes on to the tabs and the
    // grid; the lookup button and the name field take no keyboard focus.
    QStringList order;
    QWidget *widget = screen.get();
    for (int guard = 0; order.size() < 3 && guard < 200; ++guard, widget = widget->nextInFocusChain()) {
        const bool proxied = widget->parentWidget() && widget->parentWidget()->focusProxy() == widget;
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled() && !proxied)
            order << widget->objectName();
    }
    QCOMPARE(order, QStringList({"medCdFilial", "pgcPadrao", "dbgPadrao"}));
}

QTEST_MAIN(ScreenLayoutTest)
void ScreenLayoutTest::shouldOfferEveryCommandOnTheKeyboard_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QKeySequence>("keys");

    QTest::newRow("filter") << "mnuFiltrar" << QKeySequence(Qt::CTRL | Qt::Key_L);
    QTest::newRow("generate") << "mnuConfirmar" << QKeySequence(Qt::CTRL | Qt::Key_G);
    QTest::newRow("cancel the commission") << "mnuCancelar" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G);
    QTest::newRow("search") << "mnuProcurar" << QKeySequence(Qt::CTRL | Qt::Key_F);
    QTest::newRow("refresh") << "mnuVerificar" << QKeySequence(Qt::Key_F5);
}

void ScreenLayoutTest::shouldOfferEveryCommandOnTheKeyboard()
{
    QFETCH(QString, entry);
    QFETCH(QKeySequence, keys);

    auto *action = screen->findChild<QAction *>(entry);
    QVERIFY(action);
    // Shown in the menu entry, and working with the menu closed.
    QCOMPARE(action->shortcut(), keys);
    QVERIFY(screen->actions().contains(action));
    // No other entry of the screen answers the same keys.
    for (const QAction *other : screen->findChildren<QAction *>()) {
        if (other != action)
            QVERIFY2(other->shortcut() != keys, qPrintable(other->objectName()));
    }
}

void ScreenLayoutTest::shouldGiveMenusOfHostAndScreenDifferentAccessKeys()
{
    HostMainWindow host;
    QSet<QString> keys;
    const auto accessKey = [](const QString &text) {
        return text.mid(text.indexOf(QLatin1Char('&')) + 1, 1).toLower();
    };
    for (const QAction *menu : host.menuBar()->actions())
        keys.insert(accessKey(menu->text()));
    for (const QAction *menu : screen->mnuMenu->actions()) {
        QVERIFY2(!keys.contains(accessKey(menu->text())), qPrintable(menu->text()));
        keys.insert(accessKey(menu->text()));
    }
    // The frame around the quote grid is not a stop of its own.
    QCOMPARE(screen->scbOrca->focusPolicy(), Qt::NoFocus);
}

void ScreenLayoutTest::shouldGiveEveryEntryOfAMenuItsOwnAccessKey()
{
    for (const QAction *menuEntry : screen->mnuMenu->actions()) {
        QSet<QChar> keys;
        for (const QAction *entry : menuEntry->menu()->actions()) {
            if (entry->isSeparator())
                continue;
            const QString text = entry->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
            const QChar key = text.at(amp + 1).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(menuEntry->text() + QStringLiteral(" > ") + text));
            keys.insert(key);
        }
    }
}

#include "screenlayouttest.moc"
