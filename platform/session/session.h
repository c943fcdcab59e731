#pragma once

#include "session_export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QCommandLineParser;

// What the signed-in operator may do at one branch ("*": at every branch),
// as the server granted it at sign-in.
struct SESSION_EXPORT BranchRights {
    QString branch;      // "0001", or "*" for every branch
    QStringList rights;  // "consultar", "gerar", "cancelar"
};

// The signed-in session, filled by the host from its command line or config
// file before any module runs.
struct SESSION_EXPORT SessionValues {
    QString branchCode;                                // FiliProc
    QString branchName;                                // NomeFiliProc
    bool branchFixed = false;                          // ModuFili
    QString serverHost = QStringLiteral("127.0.0.1");  // WebURL
    int serverPort = 8211;                             // WebPort
    QString serverSecret;                              // sent with every service call when not empty
    QString serverCaFile;            // when not empty: HTTPS, the server's certificate checked against it
    QString operatorCode;            // Operador
    QString database;                // connection string of the shared database
    bool passwordFromStdin = false;  // --password-stdin: sign in with the password read from standard input

    // What the module's server takes, never options or files: the host keeps
    // these defaults, which are the commission server's; a module may set
    // its own from its contract.
    int branchCodeWidth = 4;                          // the branch code is padded to it
    int operatorCodeWidth = 20;                       // the sign-in takes no longer code
    QString sessionPath = QStringLiteral("/sessao");  // where sign-in and sign-out go
    QByteArray secretHeader = "X-Commission-Secret";  // carries serverSecret

    // Filled by the sign-in, never by options or files.
    QString operatorName;          // the signed-in operator's name
    QString sessionToken;          // sent as "Authorization: Bearer" with every service call
    QVector<BranchRights> rights;  // what the server granted
};

class SESSION_EXPORT Session {
public:
    static const SessionValues &values();
    static void set(const SessionValues &values);

    // Reads the options (--branch, --branch-name, --fixed-branch,
    // --operator, --server, --port, --secret, --server-ca, --database,
    // --config FILE) over
    // the defaults; a config file holds the same keys in INI form. Raises
    // std::invalid_argument naming the bad value.
    // `arguments` is the whole command line, program name first. The config
    // file is read first, so options on the command line win over it.
    static SessionValues fromArguments(const QStringList &arguments, const SessionValues &defaults);

    // For a program with options of its own: adds the session's options to its
    // parser, and reads them (with the config file) once the parser has run.
    static void addOptions(QCommandLineParser &parser);
    static SessionValues fromParser(const QCommandLineParser &parser, const SessionValues &defaults);

    // Reads a config file: lines "key = value" with the option names as keys
    // ("port = 8211"); blank lines, comments (";" or "#") and section headers
    // are skipped.
    static SessionValues fromConfigFile(const QString &path, const SessionValues &defaults);

    // The values checked and brought to their stored form (branch code to
    // width 4, upper case). Raises std::invalid_argument naming the bad value.
    static SessionValues validated(const SessionValues &values);

    // The values with the branch's name from the shared database's branch
    // table when none was given; left empty when the table cannot be read or
    // does not know the branch.
    static SessionValues withStoredBranchName(const SessionValues &values);

    // Whether the signed-in operator holds `right` ("consultar", "gerar",
    // "cancelar") at `branch`, by a grant for it or for every branch. The
    // server decides in the end; the screen asks to disable what it would
    // refuse.
    static bool allows(const QString &branch, const QString &right);
};

SESSION_EXPORT QString FiliProc();
SESSION_EXPORT QString NomeFiliProc();
SESSION_EXPORT bool ModuFili();
SESSION_EXPORT QString WebURL();
SESSION_EXPORT int WebPort();
SESSION_EXPORT QString Operador();
