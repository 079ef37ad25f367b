#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "common/Error.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    tavro::CliOptions options;
    try {
        options = tavro::parseCliOptions(QCoreApplication::arguments().mid(1), qEnvironmentVariable("TAVRO_SENHA"));
    } catch (const tavro::Error &error) {
        err << error.message() << "\n\n" << tavro::cliUsage();
        return tavro::ExitUsage;
    }
    if (options.verb == tavro::CliVerb::Help) {
        out << tavro::cliUsage();
        return tavro::ExitSuccess;
    }
    return tavro::runCli(options, out, err);
}
