#include "SimOptions.h"

#include <QCommandLineParser>

#include <cstdio>

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local substitute of the Tavro web service"));
    parser.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Prints the version."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port on 127.0.0.1 (0: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption usuario(QStringLiteral("usuario"), QStringLiteral("Basic user name accepted."),
                                     QStringLiteral("U"));
    const QCommandLineOption senha(QStringLiteral("senha"), QStringLiteral("Basic password accepted."),
                                   QStringLiteral("P"));
    const QCommandLineOption base(QStringLiteral("namespace"), QStringLiteral("Namespace base of the contract."),
                                  QStringLiteral("BASE"), tavro::ServiceSettings::DefaultNamespace);
    const QCommandLineOption aguardando(QStringLiteral("aguardando"),
                                        QStringLiteral("Processing queries answered AGUARDANDO before FINALIZADO."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption reprocessamento(QStringLiteral("reprocessamento"),
                                             QStringLiteral("Waiting answers say AGUARDANDO_REPROCESSAMENTO."));
    const QCommandLineOption tls(QStringLiteral("tls"),
                                 QStringLiteral("HTTPS with a self-signed certificate for 127.0.0.1."));
    const QCommandLineOption semEndereco(QStringLiteral("sem-endereco"),
                                         QStringLiteral("WSDL without the address of the port."));
    const QCommandLineOption semAcao(QStringLiteral("sem-acao"), QStringLiteral("WSDL without soapAction values."));
    const QCommandLineOption falhaStatus(QStringLiteral("falha-status"),
                                         QStringLiteral("Answer every call with this HTTP status."),
                                         QStringLiteral("CODE"));
    const QCommandLineOption falhaTexto(QStringLiteral("falha-texto"),
                                        QStringLiteral("Status text for --falha-status."), QStringLiteral("TEXT"),
                                        QStringLiteral("Erro"));
    const QCommandLineOption falhaFault(QStringLiteral("falha-fault"),
                                        QStringLiteral("Answer every call with a SOAP fault (status 500)."),
                                        QStringLiteral("FAULTSTRING"));
    const QCommandLineOption falhaHtml(QStringLiteral("falha-html"), QStringLiteral("Answer with a text/html page."));
    const QCommandLineOption falhaRaiz(QStringLiteral("falha-raiz"),
                                       QStringLiteral("Answer with XML whose root is not a SOAP envelope."));
    const QCommandLineOption codigoFora(QStringLiteral("codigo-fora"),
                                        QStringLiteral("Add an inconsistency with this code on the batch's first "
                                                       "record to every inconsistency answer."),
                                        QStringLiteral("CODE"));
    const QCommandLineOption atraso(QStringLiteral("atraso"), QStringLiteral("Answer calls after this many ms."),
                                    QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption silencio(QStringLiteral("silencio"), QStringLiteral("Never answer calls."));
    const QCommandLineOption falhas(QStringLiteral("falhas"),
                                    QStringLiteral("Only the first N calls fail (default: all of them)."),
                                    QStringLiteral("N"), QStringLiteral("-1"));
    const QCommandLineOption reter(QStringLiteral("reter"),
                                   QStringLiteral("Hold the answer to call N until a line arrives on standard input."),
                                   QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption conexoes(
        QStringLiteral("conexoes"),
        QStringLiteral("Report each connection a client opens as a line \"connection N\" (over TLS: each handshake)."));
    parser.addOptions({port,        usuario, senha,       base,       aguardando, reprocessamento, tls,
                       semEndereco, semAcao, falhaStatus, falhaTexto, falhaFault, falhaHtml,       falhaRaiz,
                       codigoFora,  atraso,  silencio,    falhas,     reter,      version,         conexoes});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s\n%s", qPrintable(parser.errorText()), qPrintable(parser.helpText()));
        return std::nullopt;
    }
    SimOptions options;
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        options.infoPrinted = true;
        return options;
    }
    if (parser.isSet(version)) {
        std::printf("tavro-sim %s\n", TAVRO_VERSION);
        options.infoPrinted = true;
        return options;
    }
    options.port = quint16(parser.value(port).toUInt());
    options.usuario = parser.value(usuario);
    options.senha = parser.value(senha);
    options.namespaceBase = parser.value(base);
    options.aguardando = parser.value(aguardando).toInt();
    options.reprocessamento = parser.isSet(reprocessamento);
    options.tls = parser.isSet(tls);
    options.semEndereco = parser.isSet(semEndereco);
    options.semAcao = parser.isSet(semAcao);
    options.falhaStatus = parser.value(falhaStatus).toInt();
    options.falhaTexto = parser.value(falhaTexto);
    if (parser.isSet(falhaFault))
        options.falhaFault = parser.value(falhaFault);
    options.falhaHtml = parser.isSet(falhaHtml);
    options.falhaRaiz = parser.isSet(falhaRaiz);
    if (parser.isSet(codigoFora))
        options.codigoFora = parser.value(codigoFora);
    options.atrasoMs = parser.value(atraso).toInt();
    options.silencio = parser.isSet(silencio);
    options.falhas = parser.value(falhas).toInt();
    options.reter = parser.value(reter).toInt();
    options.conexoes = parser.isSet(conexoes);
    return options;
}
