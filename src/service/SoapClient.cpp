#include "service/SoapClient.h"

#include "common/Error.h"
#include "common/PrivateFile.h"
#include "db/UFunc.h"
#include "service/CallLog.h"
#include "service/ErrorHint.h"
#include "service/SoapEnvelope.h"
#include "service/WsdlPort.h"
#include "session/AppConfig.h"
#include "session/Login.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <memory>

namespace tavro {

QByteArray basicAuthorization(const QString &user, const QString &password)
{
    QByteArray bytes;
    const QList<uint> codePoints = QString(user + QLatin1Char(':') + password).toUcs4();
    bytes.reserve(codePoints.size());
    for (const uint codePoint : codePoints)
        bytes.append(codePoint <= 0xFF ? char(codePoint) : '?');
    return "Basic " + bytes.toBase64();
}

SoapClient::SoapClient(HttpTransport &transport, ServiceSettings settings, QString logFolder, Clock clock,
                       const LoginValues &login)
    : m_transport(transport)
    , m_settings(std::move(settings))
    , m_logFolder(std::move(logFolder))
    , m_clock(std::move(clock))
    , m_login(login)
{
}

void SoapClient::setWSDLLocation(const QString &location, const QString &service, const QString &port)
{
    m_wsdlLocation = location;
    m_service = service;
    m_port = port;
    m_url.clear();
}

void SoapClient::setURL(const QString &address)
{
    m_url = address;
    m_wsdlLocation.clear();
    m_service.clear();
    m_port.clear();
}

TransportOptions SoapClient::transportOptions() const
{
    TransportOptions options;
    options.timeLimitSeconds = m_settings.TempoLimite;
    options.verifyCertificate = m_settings.verifiesCertificate();
    options.trustedPem = m_trustedPem;
    options.proxy = m_settings.Proxy;
    options.inputDuringWait = m_inputDuringWait;
    return options;
}

HttpAnswer SoapClient::transfer(const std::function<HttpAnswer()> &request, const QString &failureSuffix) const
{
    try {
        return request();
    } catch (const Error &error) {
        throw Error(error.message() + failureSuffix, error.hint());
    }
}

QString SoapClient::writeLog(const QByteArray &text, const QString &stem, const QString &suffix, const QString &which,
                             bool exactName) const
{
    const auto failed = [&](const QString &reason) {
        return Error(QStringLiteral("Não foi possível gravar o log %1 na pasta %2: %3")
                         .arg(which, QDir::toNativeSeparators(m_logFolder), reason));
    };
    // A folder that cannot be made shows up as the file's own failure just below.
    makePrivateFolder(m_logFolder);
    // A log never replaces another, which may hold an accepted batch: a name already taken
    // (by this program or another one writing into the same folder at the same moment) gives
    // way to the next free number. A log takes its name only once it is whole and on the disk.
    QString taken = stem;
    for (int n = 2;; ++n) {
        QString reason;
        int error = 0;
        if (writePrivateFile(taken + suffix, text, &reason, Existing::Keep, &error))
            return taken;
        if (error != EEXIST || exactName)
            throw failed(
                (error ? QString::fromLocal8Bit(std::strerror(error)) : reason)
                + (error == EEXIST ? QStringLiteral(" (%1)").arg(QFileInfo(taken + suffix).fileName()) : QString()));
        taken = stem + QLatin1Char('_') + QString::number(n);
    }
}

void SoapClient::warnOfPlainCredentials(const QString &endpoint)
{
    if (m_warnedOfPlainCredentials || QUrl(endpoint).scheme() != QLatin1String("http"))
        return;
    if (m_login.TavroUsuarioSessao.isEmpty() && m_login.TavroSenhaSessao.isEmpty())
        return;
    m_warnedOfPlainCredentials = true;
    if (m_warnings)
        m_warnings(QStringLiteral("Aviso: o serviço é acessado por http, sem criptografia; o usuário e a senha do "
                                  "serviço trafegam legíveis pela rede (%1).")
                       .arg(endpoint));
}

namespace {

// What a body that came with an error status holds: the service's fault, or anything else.
CallEvidence::Body faultOrOther(const QByteArray &body)
{
    try {
        SoapEnvelope::read(body, [](QXmlStreamReader &reader) { reader.skipCurrentElement(); });
    } catch (const SoapFault &) {
        return CallEvidence::Body::Fault;
    } catch (const Error &) {
    }
    return CallEvidence::Body::Other;
}

} // namespace

void SoapClient::invoke(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
                        const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName,
                        const std::function<void()> &beforePost)
{
    CallEvidence evidence;
    try {
        call(operation, writeRequest, readResponse, logName, beforePost, evidence);
    } catch (const Error &error) {
        throw CallFailure(error, deliveryOf(evidence));
    }
}

void SoapClient::call(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
                      const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName,
                      const std::function<void()> &beforePost, CallEvidence &evidence)
{
    QElapsedTimer clock;
    clock.start();
    m_timings = {};
    m_trustedPem.clear();
    if (!m_settings.Certificado.isEmpty()) {
        QFile certificate(m_settings.Certificado);
        if (certificate.open(QIODevice::ReadOnly))
            m_trustedPem = certificate.readAll();
        if (!m_trustedPem.contains("-----BEGIN CERTIFICATE-----"))
            throw Error(QStringLiteral("Não foi possível ler o certificado %1 (TAVRO/Certificado)")
                            .arg(m_settings.Certificado));
    }
    QString endpoint = m_url;
    QString action;
    if (!m_wsdlLocation.isEmpty()) {
        const HttpAnswer wsdl = transfer([&] { return m_transport.get(m_wsdlLocation, transportOptions()); },
                                         QStringLiteral(" - URL:") + m_wsdlLocation);
        // The description is asked for without credentials: through a proxy, a 401 is the proxy
        // refusing its own login (some proxies answer so instead of 407).
        if (wsdl.status > 299)
            throw Error(QStringLiteral("%1 (%2) - '%3'").arg(wsdl.reason).arg(wsdl.status).arg(m_wsdlLocation),
                        wsdl.status == 401 && wsdl.viaProxy ? ErrorHint::ProxyRecusado : httpStatusHint(wsdl.status));
        if (wsdl.body != m_wsdlBody) {
            m_wsdlPort = WsdlPort::read(wsdl.body, m_service, m_port);
            m_wsdlBody = wsdl.body;
        }
        if (m_wsdlPort.address().isEmpty())
            throw Error(QStringLiteral("Unable to retrieve the URL endpoint for Service/Port '%1'/'%2' from WSDL '%3'")
                            .arg(m_service, m_port, m_wsdlLocation));
        endpoint = m_wsdlPort.address();
        action = m_wsdlPort.action(operation);
    }
    if (action.isEmpty())
        action = QStringLiteral("tav:") + operation;

    m_timings.network = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const QByteArray envelope = SoapEnvelope::write(writeRequest);
    // Logs are named by the caller or by the second of the request; its answer's log takes the
    // same name, so the two can be paired when an accepted batch has to be recovered from them.
    // A caller's name is a batch's own: taken by another log (of another database sharing the
    // folder, say), the batch does not leave, so its logs can never be mistaken for another's.
    const QString stem = m_logFolder + QLatin1Char('/') + (logName.isEmpty() ? CarimboDataHora(m_clock()) : logName);
    if (!logName.isEmpty() && QFileInfo::exists(stem + QStringLiteral("_res.xml")))
        throw Error(QStringLiteral("Não foi possível gravar o log do pedido na pasta %1: já existe um arquivo com "
                                   "esse nome (%2)")
                        .arg(QDir::toNativeSeparators(m_logFolder), QFileInfo(stem).fileName() + "_res.xml"));
    const QString logStem = writeLog(logText(m_wsdlLocation, envelope), stem, QStringLiteral("_req.xml"),
                                     QStringLiteral("do pedido"), !logName.isEmpty());
    m_timings.writing = clock.nsecsElapsed() / 1e6;
    if (beforePost)
        beforePost();
    clock.restart();

    warnOfPlainCredentials(endpoint);
    const QList<QByteArray> headers{"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"" + action.toUtf8() + '"',
                                    "Authorization: "
                                        + basicAuthorization(m_login.TavroUsuarioSessao, m_login.TavroSenhaSessao)};
    HttpAnswer answer;
    try {
        answer = m_transport.post(endpoint, headers, envelope, transportOptions());
    } catch (const TransferFailure &failure) {
        evidence.bodySent = failure.bodySent();
        evidence.transferFailed = true;
        throw Error(failure.message() + QStringLiteral(" - URL:%1 - SOAPAction:%2").arg(endpoint, action),
                    failure.hint());
    }
    evidence.bodySent = true;
    evidence.status = answer.status;
    evidence.body = CallEvidence::Body::Other;

    m_timings.network += clock.nsecsElapsed() / 1e6;
    clock.restart();
    // The answer has arrived: a batch the service accepted must not be lost because its
    // log could not be written, so the failure is kept for the caller to report.
    try {
        writeLog(answerLogText(m_wsdlLocation, answer.body, requestDigest(envelope), answer.status), logStem,
                 QStringLiteral("_res.xml"), QStringLiteral("da resposta"), false);
    } catch (const Error &error) {
        m_logFailures.append(error.message());
    }

    if (answer.status > 299 && answer.status != 500) {
        evidence.body = faultOrOther(answer.body);
        throw Error(QStringLiteral("%1 (%2) - '%3'").arg(answer.reason).arg(answer.status).arg(endpoint),
                    httpStatusHint(answer.status));
    }
    const QByteArray mediaType = answer.contentType.split(';').first().trimmed().toLower();
    if (mediaType == "text/plain" || mediaType == "text/html")
        throw Error(QStringLiteral("Received content of invalid Content-Type setting: %1 - SOAP expects \"text/xml\"")
                        .arg(QString::fromLatin1(answer.contentType)));
    try {
        SoapEnvelope::read(answer.body, readResponse);
    } catch (const SoapFault &) {
        evidence.body = CallEvidence::Body::Fault;
        throw;
    }
    evidence.body = CallEvidence::Body::ServiceAnswer;
    m_timings.reading = clock.nsecsElapsed() / 1e6;
}

std::unique_ptr<SoapClient> programSoapClient(HttpTransport &transport, const IniFile &ini, const QString &logFolder,
                                              const LoginValues &login, SoapClient::WarningSink warnings)
{
    auto client = std::make_unique<SoapClient>(
        transport, readServiceSettings(ini), logFolder, [] { return QDateTime::currentDateTime(); }, login);
    client->setWarningSink(std::move(warnings));
    return client;
}

} // namespace tavro
