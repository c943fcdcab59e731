#include "serveroptions.h"

#include "serverconfigfile.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace commission {

namespace {

[[noreturn]] void refuse(const QString &message)
{
    throw std::invalid_argument(message.toStdString());
}

int number(const QString &text, const QString &option, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        refuse(QStringLiteral("--%1 deve ser um número de %2 a %3.").arg(option).arg(least).arg(most));
    return value;
}

void readDirectory(const QCommandLineParser &parser, const QCommandLineOption &url, const QCommandLineOption &base,
                   const QCommandLineOption &attribute, DirectorySettings &directory)
{
    directory.url = parser.value(url).trimmed();
    directory.base = parser.value(base).trimmed();
    if (parser.isSet(attribute))
        directory.attribute = parser.value(attribute).trimmed();
    if (directory.url.isEmpty()) {
        if (!directory.base.isEmpty())
            refuse(QStringLiteral("--ldap-base só vale com --ldap-url."));
        return;
    }
    if (!directory.url.startsWith(QLatin1String("ldap://")) && !directory.url.startsWith(QLatin1String("ldaps://")))
        refuse(QStringLiteral("--ldap-url deve começar por ldap:// ou ldaps://."));
    if (directory.base.isEmpty())
        refuse(QStringLiteral("Com --ldap-url informe também --ldap-base (onde ficam os operadores)."));
    if (directory.attribute.isEmpty())
        refuse(QStringLiteral("--ldap-attribute não pode ser vazio."));
}

}  // namespace

bool ServerOptions::isLoopback(const QString &address)
{
    return address == QLatin1String("localhost") || address == QLatin1String("::1")
           || address.startsWith(QLatin1String("127."));
}

QString ServerOptions::usage()
{
    return QStringLiteral(
        "Uso: commission-server [opções]\n"
        "  --database BANCO   arquivo SQLite (padrão commission.db) ou postgresql://usuário@host:porta/banco\n"
        "  --listen ENDEREÇO  endereço de escuta (padrão 127.0.0.1)\n"
        "  --port PORTA       porta (padrão 8211; 0 escolhe uma livre)\n"
        "  --secret SEGREDO   segredo compartilhado exigido em X-Commission-Secret\n"
        "                     (ou COMMISSION_SERVER_SECRET); obrigatório fora do loopback\n"
        "  --tls-cert ARQUIVO certificado PEM: o servidor atende em HTTPS\n"
        "  --tls-key ARQUIVO  chave privada PEM do certificado\n"
        "                     (fora do loopback TLS e segredo são obrigatórios)\n"
        "  --threads N        trabalhadores do banco, uma conexão cada (padrão 16)\n"
        "  --io-threads N     threads de entrada e saída da rede, cada uma com suas conexões;\n"
        "                     atendem a chamada de uma conexão quando é a única que\n"
        "                     carregam, nunca todas ao mesmo tempo (padrão 2)\n"
        "  --queue N          chamadas em espera antes de responder 503 (padrão 256)\n"
        "  --header-timeout S segundos para receber os cabeçalhos (padrão 10)\n"
        "  --body-timeout S   segundos para receber o corpo (padrão 30)\n"
        "  --idle-timeout S   segundos de espera de uma conexão mantida ociosa (padrão 5)\n"
        "  --stop-timeout S   segundos que o encerramento (SIGTERM, SIGINT) espera as chamadas\n"
        "                     em curso; as que passam disso são desfeitas (padrão 20)\n"
        "  --log-file ARQUIVO acrescenta o log ao arquivo em vez da saída de erro; SIGHUP o reabre\n"
        "  --ldap-url URL     confere as senhas no diretório (ldap://host:porta ou ldaps://...)\n"
        "  --ldap-base DN     onde ficam os operadores no diretório\n"
        "  --ldap-attribute A atributo com o código do operador (padrão uid)\n"
        "  --init             cria um banco vazio com o esquema atual e termina\n"
        "  --create-demo      cria o banco de demonstração e termina\n"
        "  --backup ARQUIVO   copia o banco SQLite, mesmo em uso, para um arquivo novo e termina\n"
        "  --config ARQUIVO   lê as opções do arquivo (chave = valor, o nome da opção sem os traços;\n"
        "                     # começa um comentário); a linha de comando prevalece sobre ele\n"
        "  --check-config     mostra a configuração efetiva (segredos mascarados) e termina\n"
        "Administração dos operadores (no banco de --database, sem servidor rodando):\n"
        "  --add-operator CÓDIGO --name NOME   inclui um operador; a senha vem da entrada padrão\n"
        "  --set-password CÓDIGO               troca a senha (lida da entrada padrão)\n"
        "  --disable-operator CÓDIGO           desativa o operador e encerra suas sessões\n"
        "  --enable-operator CÓDIGO            reativa o operador\n"
        "  --grant CÓDIGO --branch FILIAL|* --rights consultar,gerar,cancelar\n"
        "  --revoke CÓDIGO --branch FILIAL|*   retira os direitos na filial\n"
        "  --list-operators                    lista operadores e direitos\n"
        "O banco precisa existir; crie-o com --init ou --create-demo.\n");
}

ServerOptions ServerOptions::parse(const QStringList &arguments, const QString &secretFromEnvironment)
{
    return parse(arguments, secretFromEnvironment, true);
}

ServerOptions ServerOptions::parse(const QStringList &arguments, const QString &secretFromEnvironment,
                                   bool readConfigFile)
{
    QCommandLineParser parser;
    const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("banco"));
    const QCommandLineOption listen(QStringLiteral("listen"), QString(), QStringLiteral("endereço"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("porta"));
    const QCommandLineOption secret(QStringLiteral("secret"), QString(), QStringLiteral("segredo"));
    const QCommandLineOption threads(QStringLiteral("threads"), QString(), QStringLiteral("n"));
    const QCommandLineOption ioThreads(QStringLiteral("io-threads"), QString(), QStringLiteral("n"));
    const QCommandLineOption queue(QStringLiteral("queue"), QString(), QStringLiteral("n"));
    const QCommandLineOption headerTimeout(QStringLiteral("header-timeout"), QString(), QStringLiteral("s"));
    const QCommandLineOption bodyTimeout(QStringLiteral("body-timeout"), QString(), QStringLiteral("s"));
    const QCommandLineOption idleTimeout(QStringLiteral("idle-timeout"), QString(), QStringLiteral("s"));
    const QCommandLineOption stopTimeout(QStringLiteral("stop-timeout"), QString(), QStringLiteral("s"));
    const QCommandLineOption backup(QStringLiteral("backup"), QString(), QStringLiteral("arquivo"));
    const QCommandLineOption tlsCert(QStringLiteral("tls-cert"), QString(), QStringLiteral("arquivo"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"), QString(), QStringLiteral("arquivo"));
    const QCommandLineOption logFile(QStringLiteral("log-file"), QString(), QStringLiteral("arquivo"));
    const QCommandLineOption ldapUrl(QStringLiteral("ldap-url"), QString(), QStringLiteral("url"));
    const QCommandLineOption ldapBase(QStringLiteral("ldap-base"), QString(), QStringLiteral("dn"));
    const QCommandLineOption ldapAttribute(QStringLiteral("ldap-attribute"), QString(), QStringLiteral("atributo"));
    const QCommandLineOption addOperator(QStringLiteral("add-operator"), QString(), QStringLiteral("código"));
    const QCommandLineOption setPassword(QStringLiteral("set-password"), QString(), QStringLiteral("código"));
    const QCommandLineOption enableOperator(QStringLiteral("enable-operator"), QString(), QStringLiteral("código"));
    const QCommandLineOption disableOperator(QStringLiteral("disable-operator"), QString(), QStringLiteral("código"));
    const QCommandLineOption grant(QStringLiteral("grant"), QString(), QStringLiteral("código"));
    const QCommandLineOption revoke(QStringLiteral("revoke"), QString(), QStringLiteral("código"));
    const QCommandLineOption listOperators(QStringLiteral("list-operators"));
    const QCommandLineOption name(QStringLiteral("name"), QString(), QStringLiteral("nome"));
    const QCommandLineOption branch(QStringLiteral("branch"), QString(), QStringLiteral("filial"));
    const QCommandLineOption rights(QStringLiteral("rights"), QString(), QStringLiteral("direitos"));
    const QCommandLineOption init(QStringLiteral("init"));
    const QCommandLineOption createDemo(QStringLiteral("create-demo"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption config(QStringLiteral("config"), QString(), QStringLiteral("arquivo"));
    const QCommandLineOption checkConfig(QStringLiteral("check-config"));
    const QList<QCommandLineOption> every{database,    listen,        port,           secret,          threads,
                                          ioThreads,   queue,         headerTimeout,  bodyTimeout,     idleTimeout,
                                          tlsCert,     tlsKey,        ldapUrl,        ldapBase,        ldapAttribute,
                                          addOperator, setPassword,   enableOperator, disableOperator, grant,
                                          revoke,      listOperators, name,           branch,          rights,
                                          init,        createDemo,    help,           config,          checkConfig,
                                          stopTimeout, backup,        logFile};
    parser.addOptions(every);
    if (!parser.parse(arguments))
        refuse(parser.errorText());
    if (readConfigFile && parser.isSet(config)) {
        if (parser.values(config).size() > 1)
            refuse(QStringLiteral("Use um só --config."));
        // Commands and the file itself stay on the command line.
        const QStringList commands =
            QStringLiteral("help h config check-config init create-demo add-operator set-password enable-operator"
                           " disable-operator grant revoke list-operators name branch rights backup")
                .split(QLatin1Char(' '));
        const ServerConfigFile file = ServerConfigFile::read(parser.value(config), every, commands);
        const auto check = [&secretFromEnvironment](const QStringList &candidate) {
            parse(candidate, secretFromEnvironment, false);
        };
        try {
            return parse(file.arguments(arguments), secretFromEnvironment, false);
        } catch (const std::invalid_argument &refusal) {
            file.blame(refusal, arguments, check);
        }
    }
    if (!parser.positionalArguments().isEmpty())
        refuse(QStringLiteral("Argumento inesperado: %1").arg(parser.positionalArguments().first()));

    ServerOptions options;
    options.showHelp = parser.isSet(help);
    options.checkConfig = parser.isSet(checkConfig);
    options.configFile = parser.value(config);
    options.createDemo = parser.isSet(createDemo);
    options.init = parser.isSet(init);
    if (options.init && options.createDemo)
        refuse(QStringLiteral("Use --init ou --create-demo, não os dois."));
    if (parser.isSet(database))
        options.database = parser.value(database);
    if (parser.isSet(listen))
        options.listenAddress = parser.value(listen).trimmed();
    if (parser.isSet(port))
        options.port = number(parser.value(port), QStringLiteral("port"), 0, 65535);
    if (parser.isSet(threads))
        options.threads = number(parser.value(threads), QStringLiteral("threads"), 1, 256);
    if (parser.isSet(ioThreads))
        options.ioThreads = number(parser.value(ioThreads), QStringLiteral("io-threads"), 1, 64);
    if (parser.isSet(queue))
        options.queueLimit = number(parser.value(queue), QStringLiteral("queue"), 1, 100000);
    if (parser.isSet(headerTimeout))
        options.headerTimeoutSeconds = number(parser.value(headerTimeout), QStringLiteral("header-timeout"), 1, 3600);
    if (parser.isSet(bodyTimeout))
        options.bodyTimeoutSeconds = number(parser.value(bodyTimeout), QStringLiteral("body-timeout"), 1, 3600);
    if (parser.isSet(idleTimeout))
        options.idleTimeoutSeconds = number(parser.value(idleTimeout), QStringLiteral("idle-timeout"), 1, 3600);
    if (parser.isSet(stopTimeout))
        options.stopTimeoutSeconds = number(parser.value(stopTimeout), QStringLiteral("stop-timeout"), 1, 3600);
    options.backupFile = parser.value(backup).trimmed();
    if (parser.isSet(backup) && (options.backupFile.isEmpty() || options.init || options.createDemo))
        refuse(QStringLiteral("--backup pede o arquivo da cópia e não vai com --init nem --create-demo."));
    options.tlsCertificate = parser.value(tlsCert).trimmed();
    options.tlsKey = parser.value(tlsKey).trimmed();
    options.logFile = parser.value(logFile).trimmed();
    if (parser.isSet(logFile) && options.logFile.isEmpty())
        refuse(QStringLiteral("--log-file pede o caminho do arquivo."));
    if (options.tlsCertificate.isEmpty() != options.tlsKey.isEmpty())
        refuse(QStringLiteral("--tls-cert e --tls-key vão juntos."));
    options.secret = parser.isSet(secret) ? parser.value(secret) : secretFromEnvironment;
    readDirectory(parser, ldapUrl, ldapBase, ldapAttribute, options.directory);

    const QVector<std::pair<const QCommandLineOption *, Command>> commands{{&addOperator, Command::AddOperator},
                                                                           {&setPassword, Command::SetPassword},
                                                                           {&enableOperator, Command::EnableOperator},
                                                                           {&disableOperator, Command::DisableOperator},
                                                                           {&grant, Command::Grant},
                                                                           {&revoke, Command::Revoke},
                                                                           {&listOperators, Command::ListOperators}};
    for (const auto &[option, command] : commands) {
        if (!parser.isSet(*option))
            continue;
        if (options.command != Command::Serve || options.init || options.createDemo || !options.backupFile.isEmpty())
            refuse(QStringLiteral("Use um comando de administração por vez."));
        options.command = command;
        if (command != Command::ListOperators)
            options.operatorCode = parser.value(*option).trimmed().toUpper();
    }
    options.operatorName = parser.value(name).trimmed();
    options.grantBranch = parser.value(branch).trimmed();
    options.grantRights = parser.value(rights).trimmed();
    if (options.command == Command::AddOperator && options.operatorName.isEmpty())
        refuse(QStringLiteral("Informe o nome do operador com --name."));
    if ((options.command == Command::Grant || options.command == Command::Revoke) && options.grantBranch.isEmpty())
        refuse(QStringLiteral("Informe a filial com --branch (um código, ou * para todas)."));
    if (options.command == Command::Grant && options.grantRights.isEmpty())
        refuse(QStringLiteral("Informe os direitos com --rights (consultar, gerar, cancelar)."));

    if (options.database.trimmed().isEmpty())
        refuse(QStringLiteral("--database não pode ser vazio."));
    if (options.listenAddress.isEmpty())
        refuse(QStringLiteral("--listen não pode ser vazio."));
    // Beyond loopback anyone on the network could call; only callers that
    // know the secret may, and the secret must not cross the network in
    // clear text.
    if (!isLoopback(options.listenAddress) && options.secret.isEmpty())
        refuse(
            QStringLiteral("Escutando em %1 (fora do loopback) o servidor exige --secret ou COMMISSION_SERVER_SECRET.")
                .arg(options.listenAddress));
    if (!isLoopback(options.listenAddress) && options.tlsCertificate.isEmpty())
        refuse(
            QStringLiteral("Escutando em %1 (fora do loopback) o servidor exige TLS: informe --tls-cert e --tls-key.")
                .arg(options.listenAddress));
    return options;
}

}  // namespace commission
