#include "cli/CliCommands.h"
#include "cli/CliHelp.h"
#include "cli/CliOptions.h"
#include "common/Error.h"
#include "common/InterruptSignals.h"
#include "session/PasswordFile.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    tavro::CliOptions options;
    try {
        options = tavro::parseCliOptions(arguments, qEnvironmentVariable("TAVRO_SENHA"));
    } catch (const tavro::Error &error) {
        err << error.message() << "\n\n" << tavro::cliUsage();
        return tavro::ExitUsage;
    }
    if (options.verb == tavro::CliVerb::Help) {
        out << options.helpText;
        return tavro::ExitSuccess;
    }
    if (options.verb == tavro::CliVerb::Version) {
        out << "tavro-cli " << TAVRO_VERSION << '\n';
        return tavro::ExitSuccess;
    }
    // Painting the listing needs a GUI application, which the command line starts, offscreen,
    // only to print: the other verbs keep their output free of the platform's notices.
    std::unique_ptr<QCoreApplication> app;
    if (options.verb == tavro::CliVerb::Imprimir) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tavro-cli"));
    if (!options.senhaArquivo.isEmpty()) {
        try {
            options.senha = tavro::readPasswordFile(options.senhaArquivo);
        } catch (const tavro::Error &error) {
            err << error.message() << '\n';
            return tavro::ExitFailure;
        }
    }
    tavro::InterruptSignals::install();
    const int exit = tavro::runCli(options, out, err);
    if (tavro::InterruptSignals::received()) {
        err << tavro::InterruptSignals::interruptedText() << '\n';
        return tavro::InterruptSignals::exitCode();
    }
    return exit;
}
