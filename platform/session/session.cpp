#include "session.h"

#include "connectionstring.h"
#include "hosttext.h"
#include "tdtmdbgeral.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include <stdexcept>

namespace {

// Option names double as the keys of the config file.
const QString branchKey = QStringLiteral("branch");
const QString branchNameKey = QStringLiteral("branch-name");
const QString fixedBranchKey = QStringLiteral("fixed-branch");
const QString operatorKey = QStringLiteral("operator");
const QString serverKey = QStringLiteral("server");
const QString portKey = QStringLiteral("port");
const QString secretKey = QStringLiteral("secret");
const QString serverCaKey = QStringLiteral("server-ca");
const QString databaseKey = QStringLiteral("database");
const QString configKey = QStringLiteral("config");

SessionValues current;

[[noreturn]] void refuse(const QString &message)
{
    throw std::invalid_argument(message.toStdString());
}

int portFrom(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        refuse(QStringLiteral("Porta do servidor inválida: \"%1\". Informe um número de 1 a 65535.").arg(text));
    return port;
}

bool flagFrom(const QString &key, const QString &text)
{
    static const QStringList yes = {QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("s"),
                                    QStringLiteral("sim"), QStringLiteral("yes")};
    static const QStringList no = {QStringLiteral("0"),   QStringLiteral("false"), QStringLiteral("n"),
                                   QStringLiteral("não"), QStringLiteral("nao"),   QStringLiteral("no")};
    const QString value = text.trimmed().toLower();
    if (yes.contains(value))
        return true;
    if (no.contains(value))
        return false;
    refuse(QStringLiteral("Valor inválido para %1: \"%2\". Use S ou N.").arg(key, text));
}

// Puts one named value into the session; the names are the option names.
void assign(SessionValues &values, const QString &key, const QString &value)
{
    if (key == branchKey)
        values.branchCode = value;
    else if (key == branchNameKey)
        values.branchName = value;
    else if (key == fixedBranchKey)
        values.branchFixed = flagFrom(key, value);
    else if (key == operatorKey)
        values.operatorCode = value;
    else if (key == serverKey)
        values.serverHost = value;
    else if (key == portKey)
        values.serverPort = portFrom(value);
    else if (key == secretKey)
        values.serverSecret = value;
    else if (key == serverCaKey)
        values.serverCaFile = value;
    else if (key == databaseKey)
        values.database = value;
    else
        refuse(QStringLiteral("Opção desconhecida: %1.").arg(key));
}

// A value may be quoted to keep blanks at its ends.
QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

}  // namespace

const SessionValues &Session::values()
{
    return current;
}

void Session::set(const SessionValues &values)
{
    current = values;
}

void Session::addOptions(QCommandLineParser &parser)
{
    const auto valued = [&parser](const QString &name, const QString &description, const QString &valueName) {
        parser.addOption(QCommandLineOption(name, description, valueName));
    };
    valued(branchKey, QStringLiteral("Código da filial da sessão."), QStringLiteral("código"));
    valued(branchNameKey, QStringLiteral("Nome da filial da sessão."), QStringLiteral("nome"));
    parser.addOption(
        QCommandLineOption(fixedBranchKey, QStringLiteral("A sessão fixa a filial: a tela não deixa trocá-la.")));
    valued(operatorKey, QStringLiteral("Código do operador."), QStringLiteral("código"));
    valued(serverKey, QStringLiteral("Endereço do servidor de aplicação."), QStringLiteral("endereço"));
    valued(portKey, QStringLiteral("Porta do servidor de aplicação."), QStringLiteral("porta"));
    valued(secretKey, QStringLiteral("Segredo enviado ao servidor de aplicação."), QStringLiteral("segredo"));
    valued(serverCaKey, QStringLiteral("Autoridade (PEM) que assina o certificado do servidor: chamadas em HTTPS."),
           QStringLiteral("arquivo"));
    valued(databaseKey, QStringLiteral("Banco de dados compartilhado (arquivo SQLite ou postgresql://...)."),
           QStringLiteral("banco"));
    valued(configKey, QStringLiteral("Arquivo de configuração com as mesmas chaves."), QStringLiteral("arquivo"));
}

SessionValues Session::fromParser(const QCommandLineParser &parser, const SessionValues &defaults)
{
    SessionValues values = defaults;
    if (parser.isSet(configKey))
        values = fromConfigFile(parser.value(configKey), values);
    for (const QString &key :
         {branchKey, branchNameKey, operatorKey, serverKey, portKey, secretKey, serverCaKey, databaseKey}) {
        if (parser.isSet(key))
            assign(values, key, parser.value(key));
    }
    if (parser.isSet(fixedBranchKey))
        values.branchFixed = true;
    return validated(values);
}

SessionValues Session::fromArguments(const QStringList &arguments, const SessionValues &defaults)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        refuse(unknown.isEmpty() ? QStringLiteral("Linha de comando inválida: %1").arg(parser.errorText())
                                 : QStringLiteral("Opção desconhecida: %1.").arg(unknown.first()));
    }
    if (!parser.positionalArguments().isEmpty())
        refuse(QStringLiteral("Argumento inesperado: %1.").arg(parser.positionalArguments().first()));
    return fromParser(parser, defaults);
}

SessionValues Session::fromConfigFile(const QString &path, const SessionValues &defaults)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QFileInfo info(path);
        const QString why = !info.exists() ? QStringLiteral("ele não existe; confira o caminho dado em --config")
                            : info.isDir() ? QStringLiteral("é uma pasta, não um arquivo")
                                           : QStringLiteral("este usuário não tem permissão de leitura");
        refuse(QStringLiteral("Não foi possível ler o arquivo de configuração %1: %2.").arg(path, why));
    }

    SessionValues values = defaults;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))
            || (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            refuse(QStringLiteral("Linha %1 inválida no arquivo de configuração %2: \"%3\".")
                       .arg(lineNumber)
                       .arg(path, line));
        const QString key = line.left(equals).trimmed().toLower();
        if (key == configKey)
            refuse(QStringLiteral("O arquivo de configuração %1 não pode indicar outro arquivo.").arg(path));
        try {
            assign(values, key, unquoted(line.mid(equals + 1).trimmed()));
        } catch (const std::invalid_argument &error) {
            // Say where the bad value came from, then let it go on.
            refuse(
                QStringLiteral("%1 (arquivo %2, linha %3)").arg(QString::fromUtf8(error.what()), path).arg(lineNumber));
        }
    }
    return values;
}

SessionValues Session::validated(const SessionValues &values)
{
    SessionValues result = values;

    result.branchCode = values.branchCode.trimmed().toUpper();
    static const QRegularExpression codePattern(QStringLiteral("^[A-Z0-9]{1,4}$"));
    if (!result.branchCode.isEmpty() && !codePattern.match(result.branchCode).hasMatch())
        refuse(QStringLiteral("Código de filial inválido: \"%1\". Use até 4 letras ou algarismos.")
                   .arg(values.branchCode));
    if (!result.branchCode.isEmpty())
        result.branchCode = Ajusta(result.branchCode, result.branchCodeWidth);
    if (result.branchFixed && result.branchCode.isEmpty())
        refuse(QStringLiteral("A filial fixa exige o código da filial (--branch)."));

    result.branchName = values.branchName.trimmed();
    result.operatorCode = values.operatorCode.trimmed();
    if (result.operatorCode.isEmpty())
        refuse(QStringLiteral("Operador não informado (--operator)."));

    result.serverHost = values.serverHost.trimmed();
    if (result.serverHost.isEmpty() || result.serverHost.contains(QLatin1Char(' ')))
        refuse(QStringLiteral("Endereço do servidor inválido: \"%1\".").arg(values.serverHost));
    if (values.serverPort < 1 || values.serverPort > 65535)
        refuse(QStringLiteral("Porta do servidor inválida: \"%1\". Informe um número de 1 a 65535.")
                   .arg(values.serverPort));

    result.serverCaFile = values.serverCaFile.trimmed();
    if (!result.serverCaFile.isEmpty() && !QFile::exists(result.serverCaFile))
        refuse(QStringLiteral("Arquivo da autoridade do servidor não encontrado: \"%1\".").arg(result.serverCaFile));

    try {
        database::ConnectionString::parse(values.database);
    } catch (const database::DatabaseError &error) {
        refuse(QString::fromUtf8(error.what()));
    }
    return result;
}

SessionValues Session::withStoredBranchName(const SessionValues &values)
{
    SessionValues result = values;
    if (!values.branchName.isEmpty() || values.branchCode.isEmpty())
        return result;
    const SessionValues previous = current;
    current = values;  // the database module opens the session's database
    try {
        QSqlQuery query(dtmDBGeral().adcGeral());
        query.prepare(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = ?"));
        query.addBindValue(values.branchCode);
        if (query.exec() && query.next())
            result.branchName = query.value(0).toString().trimmed();
    } catch (const database::DatabaseError &) {
        // No name then: the status bar shows the code alone, and the screen
        // says what is wrong with the database when it needs it.
    }
    dtmDBGeral().disconnect();
    current = previous;
    return result;
}

QString FiliProc()
{
    return Session::values().branchCode;
}

QString NomeFiliProc()
{
    return Session::values().branchName;
}

bool Session::allows(const QString &branch, const QString &right)
{
    for (const BranchRights &grant : values().rights) {
        if ((grant.branch == QLatin1String("*") || grant.branch == branch) && grant.rights.contains(right))
            return true;
    }
    return false;
}

bool ModuFili()
{
    return Session::values().branchFixed;
}

QString WebURL()
{
    return Session::values().serverHost;
}

int WebPort()
{
    return Session::values().serverPort;
}

QString Operador()
{
    return Session::values().operatorCode;
}
