#include <serverconfigfile.h>
#include <serveroptions.h>
#include <serverprogram.h>

#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    commission::ServerOptions options;
    try {
        options = commission::ServerOptions::parse(app.arguments(), qEnvironmentVariable("COMMISSION_SERVER_SECRET"));
    } catch (const std::invalid_argument &error) {
        std::fprintf(stderr, "%s\n\n%s", error.what(), commission::ServerOptions::usage().toUtf8().constData());
        return 2;
    }
    if (options.showHelp) {
        std::fprintf(stdout, "%s", commission::ServerOptions::usage().toUtf8().constData());
        return 0;
    }
    if (options.checkConfig) {
        std::fprintf(stdout, "%s", commission::ServerConfigFile::describe(options).toUtf8().constData());
        return 0;
    }
    return commission::ServerProgram::run(options);
}
