#include "hostoptions.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace {

const QString openModuleOption = QStringLiteral("--open-module");
const QString passwordStdinOption = QStringLiteral("password-stdin");

[[noreturn]] void refuse(const QString &message)
{
    throw std::invalid_argument(message.toStdString());
}

// Takes "--open-module [file]" and "--open-module=file" out of the arguments:
// the option's value is optional, which the generic parser cannot express.
QStringList takeOpenModule(const QStringList &arguments, HostOptions &options)
{
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i > 0 && argument == openModuleOption) {
            options.openModule = true;
            const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'));
            if (hasValue)
                options.modulePath = arguments[++i];
        } else if (i > 0 && argument.startsWith(openModuleOption + QLatin1Char('='))) {
            options.openModule = true;
            options.modulePath = argument.mid(openModuleOption.size() + 1);
            if (options.modulePath.isEmpty())
                refuse(QStringLiteral("Informe o arquivo do módulo em --open-module=<arquivo>."));
        } else {
            rest.append(argument);
        }
    }
    return rest;
}

}  // namespace

HostOptions HostOptions::parse(const QStringList &arguments, const SessionValues &defaults)
{
    HostOptions options;
    const QStringList rest = takeOpenModule(arguments, options);

    QCommandLineParser parser;
    Session::addOptions(parser);
    parser.addOption(
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Mostra as opções.")));
    parser.addOption(QCommandLineOption(passwordStdinOption, QStringLiteral("Lê a senha da entrada padrão.")));
    if (!parser.parse(rest)) {
        const QStringList unknown = parser.unknownOptionNames();
        refuse(unknown.isEmpty() ? QStringLiteral("Linha de comando inválida: %1").arg(parser.errorText())
                                 : QStringLiteral("Opção desconhecida: %1.").arg(unknown.first()));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        options.helpRequested = true;
        return options;
    }
    if (!parser.positionalArguments().isEmpty())
        refuse(QStringLiteral("Argumento inesperado: %1.").arg(parser.positionalArguments().first()));
    options.session = Session::fromParser(parser, defaults);
    options.session.passwordFromStdin = parser.isSet(passwordStdinOption);
    return options;
}

QString HostOptions::usage()
{
    return QStringLiteral(
        "Uso: commission-host [opções]\n"
        "\n"
        "  --branch <código>        filial da sessão (até 4 letras ou algarismos)\n"
        "  --branch-name <nome>     nome da filial da sessão\n"
        "  --fixed-branch           a sessão fixa a filial\n"
        "  --operator <código>      operador da sessão\n"
        "  --server <endereço>      servidor de aplicação\n"
        "  --port <porta>           porta do servidor de aplicação\n"
        "  --secret <segredo>       segredo enviado ao servidor\n"
        "  --server-ca <arquivo>    autoridade (PEM) do certificado do servidor: chamadas em HTTPS\n"
        "  --database <banco>       banco compartilhado: arquivo SQLite ou postgresql://...\n"
        "  --config <arquivo>       arquivo com as mesmas chaves (chave = valor)\n"
        "  --open-module [arquivo]  abre o módulo ao iniciar (padrão: o primeiro de modules.ini ao lado do programa)\n"
        "  --password-stdin         lê a senha do operador de uma linha da entrada padrão e entra sem a janela\n"
        "                           de entrada\n"
        "  -h, --help               mostra estas opções\n");
}
