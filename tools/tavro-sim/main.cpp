#include "HttpServer.h"
#include "SimOptions.h"
#include "TavroSimulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslKey>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

QSslConfiguration selfSignedConfiguration()
{
    QFile certificate(QStringLiteral(":/tavro-sim/sim-cert.pem"));
    QFile key(QStringLiteral(":/tavro-sim/sim-key.pem"));
    certificate.open(QIODevice::ReadOnly);
    key.open(QIODevice::ReadOnly);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificate.readAll(), QSsl::Pem));
    configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa, QSsl::Pem));
    return configuration;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<SimOptions> options = SimOptions::parse(app.arguments());
    if (!options)
        return 2;
    if (options->infoPrinted)
        return 0;
    TavroSimulator simulator(*options);
    HttpServer server([&simulator](const HttpRequest &request) { return simulator.handle(request); },
                      options->tls ? std::optional(selfSignedConfiguration()) : std::nullopt);
    if (!server.listen(options->port)) {
        std::fprintf(stderr, "tavro-sim: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    simulator.setOrigin(QStringLiteral("%1://127.0.0.1:%2").arg(options->tls ? "https" : "http").arg(server.port()));
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    // Standard input is read only when an answer is to be held: the demo runs the
    // substitute in the background of a terminal.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(options->reter > 0);
    QObject::connect(&input, &QSocketNotifier::activated, &server, [&] {
        char bytes[256];
        const ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (count <= 0)
            input.setEnabled(false);
        else if (std::memchr(bytes, '\n', size_t(count)))
            server.release();
    });
    return app.exec();
}
