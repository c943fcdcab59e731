// The handler boundary, the dialog seam, message catalogues and the host
// operations that screens call.

#include "busyindicator.h"
#include "dialogseam.h"
#include "handlerguard.h"
#include "hostoperations.h"
#include "scripteddialogs.h"
#include "silentabort.h"
#include "tclientdataset.h"
#include "tdatasource.h"
#include "tdbgrid.h"
#include "tmessages.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include <stdexcept>

Q_DECLARE_METATYPE(QJsonValue)

namespace {

FieldDef textField(const QString &name, int size)
{
    return FieldDef{.name = name, .kind = packet::FieldKind::Text, .size = size};
}

FieldDef floatField(const QString &name)
{
    return FieldDef{.name = name, .kind = packet::FieldKind::Float};
}

// Loads the codes as the rows of a record set with one text field.
void fillCodes(TClientDataSet &set, const QStringList &codes)
{
    if (set.fields().isEmpty())
        set.addField(textField(QStringLiteral("CDVENDEDOR"), 4));
    packet::Packet data;
    data.fields = {packet::FieldSpec{QStringLiteral("CDVENDEDOR"), packet::FieldKind::Text, 4}};
    for (const QString &code : codes)
        data.rows.append({QVariant(code)});
    set.loadFromPacket(data);
}

// Counts the paint events that busy indicators receive.
struct PaintCounter : QObject {
    int count = 0;
    PaintCounter() { qApp->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<BusyIndicator *>(watched))
            ++count;
        return false;
    }
};

}  // namespace

class FrameworkServicesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        DeactiveShowAvi();
        SetScreenCursor(crDefault);
    }

    void shouldEndHandlerByKindOfFailure_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<bool>("endedNormally");
        QTest::addColumn<QStringList>("errorsShown");
        QTest::newRow("no failure") << 0 << true << QStringList();
        QTest::newRow("silent abort") << 1 << false << QStringList();
        QTest::newRow("error with text") << 2 << false << QStringList{QStringLiteral("Falhou ação")};
        QTest::newRow("error without text")
            << 3 << false << QStringList{QStringLiteral("Ocorreu um erro inesperado. A operação foi interrompida.")};
        QTest::newRow("not an exception class")
            << 4 << false << QStringList{QStringLiteral("Ocorreu um erro inesperado. A operação foi interrompida.")};
    }

    void shouldEndHandlerByKindOfFailure()
    {
        QFETCH(int, failure);
        QFETCH(bool, endedNormally);
        QFETCH(QStringList, errorsShown);
        ScriptedDialogs dialogs;
        bool reachedEnd = false;
        const bool result = runGuarded([&] {
            switch (failure) {
            case 1:
                Abort();
            case 2:
                throw std::runtime_error("Falhou ação");
            case 3:
                throw std::runtime_error("  ");
            case 4:
                throw 42;
            }
            reachedEnd = true;
        });
        QCOMPARE(result, endedNormally);
        QCOMPARE(reachedEnd, endedNormally);
        QCOMPARE(dialogs.errors(), errorsShown);
    }

    void shouldSwitchBusyIndicatorOffOnlyForShownErrors_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("busyAfter");
        QTest::newRow("error shown") << false << false;
        QTest::newRow("silent abort") << true << true;
    }

    void shouldSwitchBusyIndicatorOffOnlyForShownErrors()
    {
        QFETCH(bool, silent);
        QFETCH(bool, busyAfter);
        ScriptedDialogs dialogs;
        QWidget host;
        host.resize(400, 300);
        runGuarded([&] {
            ActiveShowAvi(&host, 6, QStringLiteral("Verificando os registros no servidor..."));
            if (silent)
                Abort();
            throw std::runtime_error("servidor fora do ar");
        });
        QCOMPARE(BusyIndicatorShown(), busyAfter);
    }

    void shouldGuardConnectedHandlersWithOrWithoutSignalArguments()
    {
        ScriptedDialogs dialogs;
        QPushButton button;
        int runs = 0;
        QObject::connect(&button, &QPushButton::clicked, &button, guarded([&] {
            ++runs;
            throw std::runtime_error("primeiro");
        }));
        QObject::connect(&button, &QPushButton::clicked, &button, guarded([&](bool checked) {
            ++runs;
            QVERIFY(!checked);
            MensErro(QStringLiteral("segundo"), true);
        }));
        button.click();
        QCOMPARE(runs, 2);
        QCOMPARE(dialogs.errors(), (QStringList{QStringLiteral("primeiro"), QStringLiteral("segundo")}));
    }

    void shouldShowErrorAndAbortOnlyWithFlag_data()
    {
        QTest::addColumn<bool>("abort");
        QTest::newRow("abort") << true;
        QTest::newRow("go on") << false;
    }

    void shouldShowErrorAndAbortOnlyWithFlag()
    {
        QFETCH(bool, abort);
        ScriptedDialogs dialogs;
        bool wentOn = false;
        const bool ended = runGuarded([&] {
            MensErro(QStringLiteral("Filial deve ser informada."), abort);
            wentOn = true;
        });
        QCOMPARE(ended, !abort);
        QCOMPARE(wentOn, !abort);
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("Filial deve ser informada.")});
    }

    void shouldAnswerMessagesFromQueueThenAgree_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QList<int>>("queued");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("yes/no agrees with yes") << int(mbYes | mbNo) << QList<int>() << QList<int>{mrYes};
        QTest::newRow("ok agrees with ok") << int(mbOK) << QList<int>() << QList<int>{mrOk};
        QTest::newRow("ok/cancel agrees with ok") << int(mbOK | mbCancel) << QList<int>() << QList<int>{mrOk};
        QTest::newRow("queue first") << int(mbYes | mbNo) << QList<int>{mrNo} << QList<int>{mrNo, mrYes};
    }

    void shouldAnswerMessagesFromQueueThenAgree()
    {
        QFETCH(int, buttons);
        QFETCH(QList<int>, queued);
        QFETCH(QList<int>, expected);
        ScriptedDialogs dialogs;
        for (int answer : queued)
            dialogs.answers.enqueue(answer);
        QList<int> got;
        for (qsizetype i = 0; i < expected.size(); ++i)
            got.append(MessageDlg(QStringLiteral("Deseja?"), MsgDlgType::Confirmation, buttons));
        QCOMPARE(got, expected);
        QCOMPARE(dialogs.shown.size(), expected.size());
        QCOMPARE(dialogs.shown.first().buttons, buttons);
        QCOMPARE(dialogs.shown.first().type, MsgDlgType::Confirmation);
    }

    void shouldRecordMessagesAndErrorsInOrder()
    {
        ScriptedDialogs dialogs;
        MessageDlg(QStringLiteral("informação"), MsgDlgType::Information, mbOK);
        MensErro(QStringLiteral("erro"), false);
        MessageDlg(QStringLiteral("erro em caixa"), MsgDlgType::Error, mbOK);
        QCOMPARE(dialogs.messages(),
                 (QStringList{QStringLiteral("informação"), QStringLiteral("erro"), QStringLiteral("erro em caixa")}));
        QCOMPARE(dialogs.errors(), (QStringList{QStringLiteral("erro"), QStringLiteral("erro em caixa")}));
        dialogs.clear();
        QVERIFY(dialogs.shown.isEmpty());
    }

    void shouldPutPreviousSeamBackWhenScriptEnds()
    {
        DialogSeam *before = &DialogSeam::current();
        {
            ScriptedDialogs outer;
            {
                ScriptedDialogs inner;
                QCOMPARE(&DialogSeam::current(), &inner);
            }
            QCOMPARE(&DialogSeam::current(), &outer);
        }
        QCOMPARE(&DialogSeam::current(), before);
    }

    void shouldReadCatalogueByExactKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("contained");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "FILI_N_INF" << true << "Filial deve ser informada.";
        QTest::newRow("double blank kept")
            << "N_PARAM_EMPRESARELAC" << true << "Empresa ou sua Inscrição Estadual  não esta relacionada a filial.";
        QTest::newRow("trailing blank kept") << "ERRO_GERAR_CONTA" << true << "Não foi possível gerar contas a pagar. ";
        QTest::newRow("bar inside the text") << "COM_BARRA" << true << "antes|depois";
        QTest::newRow("first of repeated key") << "VEND" << true << "Vendedor";
        QTest::newRow("empty text") << "VAZIO" << true << "";
        QTest::newRow("case matters") << "fili_n_inf" << false << "";
        QTest::newRow("missing key") << "NAO_EXISTE" << false << "";
    }

    void shouldReadCatalogueByExactKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, contained);
        QFETCH(QString, text);
        TMessages messages;
        messages.setLines({QStringLiteral("FILI_N_INF|Filial deve ser informada."),
                           QStringLiteral("N_PARAM_EMPRESARELAC|Empresa ou sua Inscrição Estadual  não esta "
                                          "relacionada a filial."),
                           QStringLiteral("ERRO_GERAR_CONTA|Não foi possível gerar contas a pagar. "),
                           QStringLiteral("COM_BARRA|antes|depois"), QStringLiteral("VEND|Vendedor"),
                           QStringLiteral("VEND|Outro"), QStringLiteral("VAZIO|")});
        QCOMPARE(messages.Contains(key), contained);
        QCOMPARE(messages.Msg(key), text);
    }

    void shouldReplaceCatalogueOnSetLines()
    {
        TMessages messages;
        messages.setLines({QStringLiteral("A|um")});
        messages.setLines({QStringLiteral("B|dois")});
        QCOMPARE(messages.Msg(QStringLiteral("A")), QString());
        QCOMPARE(messages.Msg(QStringLiteral("B")), QStringLiteral("dois"));
        QCOMPARE(messages.lines(), QStringList{QStringLiteral("B|dois")});
    }

    void shouldTellEmptyTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("empty");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("blanks") << "   " << true;
        QTest::newRow("tab and newline") << "\t\n" << true;
        QTest::newRow("empty date mask") << "  /  /    " << true;
        QTest::newRow("date mask without blanks") << "//" << true;
        QTest::newRow("code") << "0001" << false;
        QTest::newRow("code with blanks") << " 1 " << false;
        QTest::newRow("date") << "01/02/2024" << false;
        QTest::newRow("list string") << "0001;0003" << false;
        QTest::newRow("zero") << "0" << false;
    }

    void shouldTellEmptyTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, empty);
        QCOMPARE(EmptyString(text), empty);
    }

    void shouldBringCodesToWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("adjusted");
        QTest::newRow("one digit") << "1" << 4 << "0001";
        QTest::newRow("blanks trimmed first") << " 12 " << 4 << "0012";
        QTest::newRow("already at width") << "0001" << 4 << "0001";
        QTest::newRow("letters filled too") << "AB" << 4 << "00AB";
        QTest::newRow("longer kept") << "12345" << 4 << "12345";
        QTest::newRow("empty becomes zeros") << "" << 4 << "0000";
        QTest::newRow("other width") << "7" << 2 << "07";
    }

    void shouldBringCodesToWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, adjusted);
        QCOMPARE(Ajusta(text, width), adjusted);
    }

    void shouldFindColumnIndexOfField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("index");
        QTest::newRow("first") << "IDCHECK" << 0;
        QTest::newRow("later") << "VRCOMISSAO" << 2;
        QTest::newRow("case ignored") << "vrtotaloreV" << 1;
        QTest::newRow("not shown") << "NMFANTCLIE" << -1;
    }

    void shouldFindColumnIndexOfField()
    {
        QFETCH(QString, field);
        QFETCH(int, index);
        TClientDataSet set;
        set.addField(textField(QStringLiteral("IDCHECK"), 1));
        set.addField(floatField(QStringLiteral("VRTOTALOREV")));
        set.addField(floatField(QStringLiteral("VRCOMISSAO")));
        set.addField(textField(QStringLiteral("NMFANTCLIE"), 40));
        TDataSource source;
        source.setDataSet(&set);
        TDBGrid grid;
        grid.setDataSource(&source);
        TDBGrid::TColumn check, total, commission;
        check.fieldName = QStringLiteral("IDCHECK");
        total.fieldName = QStringLiteral("VRTOTALOREV");
        commission.fieldName = QStringLiteral("VRCOMISSAO");
        grid.setColumns({check, total, commission});
        QCOMPARE(IndiceCol(&grid, field), index);
    }

    void shouldPassGoodServiceAnswersAndReportBadOnes_data()
    {
        QTest::addColumn<QJsonValue>("answer");
        QTest::addColumn<bool>("good");
        QTest::addColumn<QString>("error");
        const QJsonObject packet{{QStringLiteral("format"), QStringLiteral("packet/1")},
                                 {QStringLiteral("fields"), QJsonArray()},
                                 {QStringLiteral("rows"), QJsonArray()}};
        QTest::newRow("packet") << QJsonValue(packet) << true << QString();
        QTest::newRow("two packets") << QJsonValue(QJsonArray{packet, packet}) << true << QString();
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false << "O servidor não retornou dados.";
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << false << "O servidor não retornou dados.";
        QTest::newRow("empty text") << QJsonValue(QStringLiteral(" ")) << false << "O servidor não retornou dados.";
        QTest::newRow("text instead of data")
            << QJsonValue(QStringLiteral("Banco indisponível")) << false << "Banco indisponível";
        QTest::newRow("number") << QJsonValue(3) << false << "O servidor retornou uma resposta inesperada.";
        QTest::newRow("flag") << QJsonValue(true) << false << "O servidor retornou uma resposta inesperada.";
    }

    void shouldPassGoodServiceAnswersAndReportBadOnes()
    {
        QFETCH(QJsonValue, answer);
        QFETCH(bool, good);
        QFETCH(QString, error);
        ScriptedDialogs dialogs;
        QJsonValue returned;
        const bool ended = runGuarded([&] { returned = CheckResultServ(answer, true, 0); });
        QCOMPARE(ended, good);
        QCOMPARE(dialogs.errors(), good ? QStringList() : QStringList{error});
        if (good)
            QCOMPARE(returned, answer);
    }

    void shouldGoOnWithNullAfterBadAnswerWithoutAbort()
    {
        ScriptedDialogs dialogs;
        const QJsonValue returned = CheckResultServ(QJsonValue(QStringLiteral("falhou")), false, 0);
        QVERIFY(returned.isNull());
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("falhou")});
    }

    void shouldChangeListOnlyWhenPickerConfirms_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("listAfter");
        QTest::addColumn<QString>("shownKind");
        QTest::addColumn<bool>("ended");
        const QStringList rows{QStringLiteral("0001"), QStringLiteral("0002")};
        QTest::newRow("confirmed") << rows << "Vendedor" << false << true << "0002"
                                   << "pickList" << true;
        QTest::newRow("declined") << rows << "Vendedor" << false << false << "0001"
                                  << "pickList" << true;
        QTest::newRow("message part not in title") << rows << "Vendedor|Sem vendedores" << false << true << "0002"
                                                   << "pickList" << true;
        QTest::newRow("empty set with message") << QStringList() << "Vendedor|Sem vendedores" << false << true << "0001"
                                                << "error" << true;
        QTest::newRow("empty set with message ends")
            << QStringList() << "Vendedor|Sem vendedores" << true << true << "0001"
            << "error" << false;
        QTest::newRow("empty set without message") << QStringList() << "Vendedor" << true << true << "0002"
                                                   << "pickList" << true;
    }

    void shouldChangeListOnlyWhenPickerConfirms()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, title);
        QFETCH(bool, flag);
        QFETCH(bool, confirm);
        QFETCH(QString, listAfter);
        QFETCH(QString, shownKind);
        QFETCH(bool, ended);
        TClientDataSet set;
        fillCodes(set, rows);
        TDataSource source;
        source.setDataSet(&set);
        ScriptedDialogs dialogs;
        QString pickedTitle;
        dialogs.onPickList = [&](TDataSource *picked, const QString &keyField, const QString &pickTitle,
                                 QString &list) {
            pickedTitle = pickTitle;
            if (picked != &source || keyField != QLatin1String("CDVENDEDOR") || list != QLatin1String("0001"))
                return false;
            list = QStringLiteral("0002");
            return confirm;
        };
        QString list = QStringLiteral("0001");
        QCOMPARE(runGuarded([&] { PesquisaLista(&source, QStringLiteral("CDVENDEDOR"), title, flag, list); }), ended);
        QCOMPARE(list, listAfter);
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.first().kind, shownKind);
        if (shownKind == QLatin1String("pickList"))
            QCOMPARE(pickedTitle, QStringLiteral("Vendedor"));
        else
            QCOMPARE(dialogs.shown.first().text, QStringLiteral("Sem vendedores"));
    }

    void shouldSearchOnlyOpenRecordSets()
    {
        ScriptedDialogs dialogs;
        TClientDataSet set;
        const TClientDataSet *searched = nullptr;
        dialogs.onSearch = [&](TDataSource *source) { searched = source->dataSet(); };
        Procura(nullptr);
        Procura(&set);
        QVERIFY(dialogs.shown.isEmpty());
        fillCodes(set, {QStringLiteral("0001")});
        Procura(&set);
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(searched, &set);
    }

    void shouldSetEveryControlInsideButNotTheContainer()
    {
        QWidget container;
        auto *inner = new QWidget(&container);
        auto *edit = new QLineEdit(inner);
        auto *button = new QPushButton(&container);
        SetChildEnabled(&container, false);
        QVERIFY(container.isEnabled());
        QVERIFY(!inner->isEnabled());
        QVERIFY(!edit->isEnabled());
        QVERIFY(!button->isEnabled());
        SetChildEnabled(&container, true);
        QVERIFY(edit->isEnabledTo(&container));
        QVERIFY(button->isEnabled());
    }

    void shouldRestoreEveryCursorOverrideOnDefault()
    {
        SetScreenCursor(crHourGlass);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(ScreenCursor(), crHourGlass);
        SetScreenCursor(crHourGlass);
        QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's
        SetScreenCursor(crDefault);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(ScreenCursor(), crDefault);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SetScreenCursor(-3));
    }

    void shouldShowBusyIndicatorOverMainFormAtOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shownKind");
        QTest::newRow("ring without text") << 1 << QString() << int(BusyIndicator::Processing);
        QTest::newRow("transfer with text")
            << 6 << QStringLiteral("Verificando os registros no servidor...") << int(BusyIndicator::Fetching);
        QTest::newRow("unknown kind shows the ring") << 3 << QString() << int(BusyIndicator::Processing);
    }

    void shouldShowBusyIndicatorOverMainFormAtOnce()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, shownKind);
        QWidget mainForm;
        mainForm.resize(800, 600);
        mainForm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainForm));
        SetMainForm(&mainForm);
        PaintCounter paints;
        ActiveShowAvi(nullptr, kind, text);
        auto *indicator = mainForm.findChild<BusyIndicator *>();
        QVERIFY(indicator);
        QVERIFY(indicator->isVisible());
        QVERIFY(BusyIndicatorShown());
        QCOMPARE(indicator->kind(), shownKind);
        QCOMPARE(indicator->text(), text);
        QVERIFY(mainForm.rect().contains(indicator->geometry()));
        // Painted before any event loop ran: a blocking call may follow.
        QVERIFY(paints.count > 0);
        DeactiveShowAvi();
        QVERIFY(!indicator->isVisible());
        QVERIFY(!BusyIndicatorShown());
        DeactiveShowAvi();  // harmless when none shows
        SetMainForm(nullptr);
    }

    void shouldKeepBusyStateWithoutAnyWindow()
    {
        ActiveShowAvi(nullptr, 6);
        QVERIFY(BusyIndicatorShown());
        DeactiveShowAvi();
        QVERIFY(!BusyIndicatorShown());
    }

    void shouldSwitchTheBusyIndicatorOffHoweverItsScopeIsLeft()
    {
        {
            const BusyWhile busy(nullptr, 6, QStringLiteral("Buscando..."));
            QVERIFY(BusyIndicatorShown());
        }
        QVERIFY(!BusyIndicatorShown());
        const auto failingCall = [] {
            const BusyWhile busy(nullptr, 1);
            throw std::runtime_error("servidor fora do ar");
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, failingCall());
        QVERIFY(!BusyIndicatorShown());
    }

    void shouldShowTheHourglassOnlyWhileWorkingAndTheArrowWhileADialogWaits_data()
    {
        QTest::addColumn<bool>("busy");       // a call in progress (the busy indicator on)
        QTest::addColumn<bool>("hourglass");  // the screen's hourglass set by the caller

        QTest::newRow("idle") << false << false;
        QTest::newRow("the caller's hourglass") << false << true;
        QTest::newRow("a call in progress") << true << false;
        QTest::newRow("both") << true << true;
    }

    void shouldShowTheHourglassOnlyWhileWorkingAndTheArrowWhileADialogWaits()
    {
        QFETCH(bool, busy);
        QFETCH(bool, hourglass);
        const auto shape = [] {
            const QCursor *cursor = QApplication::overrideCursor();
            return cursor ? cursor->shape() : Qt::ArrowCursor;
        };
        ScriptedDialogs dialogs;
        QWidget host;
        if (hourglass)
            SetScreenCursor(crHourGlass);
        if (busy)
            ActiveShowAvi(&host, 6);
        const Qt::CursorShape working = busy || hourglass ? Qt::WaitCursor : Qt::ArrowCursor;
        QCOMPARE(shape(), working);

        MessageDlg(QStringLiteral("Confirma?"), MsgDlgType::Confirmation, mbYes | mbNo);
        DialogSeam::current().showError(QStringLiteral("Falhou."));
        QCOMPARE(dialogs.cursorsShown, QList<int>({Qt::ArrowCursor, Qt::ArrowCursor}));
        QCOMPARE(shape(), working);  // given back after each dialog

        if (busy)
            DeactiveShowAvi();
        QCOMPARE(shape(), hourglass ? Qt::WaitCursor : Qt::ArrowCursor);
        SetScreenCursor(crDefault);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(FrameworkServicesTest)
#include "frameworkservicestest.moc"
