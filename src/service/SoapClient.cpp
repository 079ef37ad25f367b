#include "service/SoapClient.h"

#include "common/Error.h"
#include "common/PrivateFile.h"
#include "db/UFunc.h"
#include "service/ErrorHint.h"
#include "service/SoapEnvelope.h"
#include "service/WsdlPort.h"
#include "session/AppConfig.h"
#include "session/Login.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

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

namespace {

// The system's text for the last failed call.
QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Writes `bytes` into the open `file`, hands them to the disk and closes it; the system's
// reason when a step fails, else nothing.
QString writeAndSync(QFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return systemReason();
    file.close();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    // The folder's entry for the new name reaches the disk too; a file system that cannot sync
    // a folder has kept the file itself.
    const int folder = ::open(QFile::encodeName(QFileInfo(file.fileName()).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return QString();
}

} // namespace

QString SoapClient::writeLog(const QByteArray &message, const QString &stem, const QString &suffix,
                             const QString &which) const
{
    QBuffer stream;
    stream.setData(message);
    stream.open(QIODevice::ReadOnly);
    const QString text = QStringLiteral("<!--") + m_wsdlLocation + QStringLiteral("-->") + StreamParaTexto(stream);
    // A folder that cannot be made shows up as the file's own failure just below.
    makePrivateFolder(m_logFolder);
    // A log never replaces another, which may hold an accepted batch: a name already taken
    // (by this program or another one writing into the same folder at the same moment)
    // gives way to the next free number. Anything else standing at the name fails the write
    // below, as a bad folder does.
    QString taken = stem;
    QFile file(taken + suffix);
    for (int n = 2; !openPrivate(file, QIODevice::WriteOnly | QIODevice::NewOnly) && QFileInfo::exists(file.fileName())
         && !QFileInfo(file.fileName()).isDir();
         ++n) {
        taken = stem + QLatin1Char('_') + QString::number(n);
        file.setFileName(taken + suffix);
    }
    const bool created = file.isOpen();
    const QString failure = created ? writeAndSync(file, text.toLatin1()) : file.errorString();
    if (!failure.isEmpty()) {
        if (created) { // a partial log would pass for one of a call that went
            file.close();
            QFile::remove(file.fileName());
        }
        throw Error(QStringLiteral("Não foi possível gravar o log %1 na pasta %2: %3")
                        .arg(which, QDir::toNativeSeparators(m_logFolder), failure));
    }
    return taken;
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

void SoapClient::invoke(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
                        const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName)
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
    const QString logStem = writeLog(
        envelope, m_logFolder + QLatin1Char('/') + (logName.isEmpty() ? CarimboDataHora(m_clock()) : logName),
        QStringLiteral("_req.xml"), QStringLiteral("do pedido"));
    m_timings.writing = clock.nsecsElapsed() / 1e6;
    clock.restart();

    warnOfPlainCredentials(endpoint);
    const QList<QByteArray> headers{"Content-Type: text/xml; charset=utf-8", "SOAPAction: \"" + action.toUtf8() + '"',
                                    "Authorization: "
                                        + basicAuthorization(m_login.TavroUsuarioSessao, m_login.TavroSenhaSessao)};
    const HttpAnswer answer = transfer(
        [&] { return m_transport.post(endpoint, headers, envelope, transportOptions()); },
        QStringLiteral(" - URL:%1 - SOAPAction:%2").arg(endpoint, action));

    m_timings.network += clock.nsecsElapsed() / 1e6;
    clock.restart();
    // The answer has arrived: a batch the service accepted must not be lost because its
    // log could not be written, so the failure is kept for the caller to report.
    try {
        writeLog(answer.body, logStem, QStringLiteral("_res.xml"), QStringLiteral("da resposta"));
    } catch (const Error &error) {
        m_logFailures.append(error.message());
    }

    if (answer.status > 299 && answer.status != 500)
        throw Error(QStringLiteral("%1 (%2) - '%3'").arg(answer.reason).arg(answer.status).arg(endpoint),
                    httpStatusHint(answer.status));
    const QByteArray mediaType = answer.contentType.split(';').first().trimmed().toLower();
    if (mediaType == "text/plain" || mediaType == "text/html")
        throw Error(QStringLiteral("Received content of invalid Content-Type setting: %1 - SOAP expects \"text/xml\"")
                        .arg(QString::fromLatin1(answer.contentType)));
    SoapEnvelope::read(answer.body, readResponse);
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
