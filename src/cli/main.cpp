#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "common/Error.h"
#include "session/PasswordFile.h"

#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

int main(int argc, char *argv[])
{
    // Painting the listing needs a GUI application, which the command line starts, offscreen,
    // only to print: the other verbs keep their output free of the platform's notices.
    const bool printing = std::find(argv + 1, argv + argc, std::string_view("imprimir")) != argv + argc;
    std::unique_ptr<QCoreApplication> app;
    if (printing) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
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
    if (!options.senhaArquivo.isEmpty()) {
        try {
            options.senha = tavro::readPasswordFile(options.senhaArquivo);
        } catch (const tavro::Error &error) {
            err << error.message() << '\n';
            return tavro::ExitFailure;
        }
    }
    return tavro::runCli(options, out, err);
}
