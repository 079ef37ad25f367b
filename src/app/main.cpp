#include "app/Messages.h"
#include "app/QtTranslations.h"
#include "app/SignalEnd.h"
#include "app/TForm1.h"
#include "session/ConfigPlaces.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

const char *const Usage
    = "Uso: tavro-transmissor [--config ARQUIVO]\n"
      "\n"
      "  --config ARQUIVO   config.ini a ler e gravar. Sem esta opção vale o config.ini ao lado do\n"
      "                     programa; não havendo, /etc/tavro/config.ini e depois\n"
      "                     ~/.config/tavro/config.ini (cujas chaves prevalecem e onde a janela grava)\n"
      "  --version          mostra a versão\n"
      "  --help             mostra este texto\n";

} // namespace

int main(int argc, char *argv[])
{
    // Read before the application starts, so --help works without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    const QCommandLineOption config(QStringLiteral("config"), QString(), QStringLiteral("path"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({config, help, version});
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString reason = parser.errorText().isEmpty()
            ? QStringLiteral("Argumento inesperado: %1").arg(parser.positionalArguments().value(0))
            : parser.errorText();
        std::fprintf(stderr, "%s\n\n%s", qPrintable(reason), Usage);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("tavro-transmissor " TAVRO_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavro-transmissor"));
    tavro::installQtTranslations(app);

    tavro::MessageBoxes messages;
    tavro::TForm1 form(tavro::findConfigPlaces(parser.value(config)), messages);
    if (!form.FormCreate())
        return 1;
    form.showMaximized();
    form.FormShow();
    tavro::endOnSignals(app, form);
    return app.exec();
}
