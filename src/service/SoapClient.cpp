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
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslSocket>

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

SoapClient::SoapClient(QNetworkAccessManager &network, ServiceSettings settings, QString logFolder, Clock clock,
                       const LoginValues &login)
    : m_network(network)
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

QNetworkRequest SoapClient::request(const QString &url) const
{
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(m_settings.TempoLimite * 1000);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (QSslSocket::supportsSsl()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        if (m_settings.verifiesCertificate()) {
            ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
            ssl.addCaCertificates(m_trusted);
        } else {
            ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
        }
        request.setSslConfiguration(ssl);
    }
    return request;
}

SoapClient::Answer SoapClient::await(QNetworkReply *reply, const QString &failureSuffix) const
{
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> owner(reply,
                                                                          [](QNetworkReply *r) { r->deleteLater(); });
    // Unless verification was asked for, a certificate that would not pass is accepted: the
    // service's hosts are the operator's.
    if (!m_settings.verifiesCertificate())
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec(m_inputDuringWait && m_inputDuringWait() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A transfer that failed after the status line (the connection closed mid-body, or the
    // server fell silent past the time limit) leaves a partial body: it is a transfer
    // failure, not an answer to read. Network and proxy errors come before the content ones.
    const QNetworkReply::NetworkError error = reply->error();
    const bool transferFailed = error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
    if (!status.isValid() || transferFailed) {
        const bool timedOut = error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError;
        const QString reason = timedOut
            ? QStringLiteral("O serviço não respondeu dentro do tempo limite (%1 s)").arg(m_settings.TempoLimite)
            : reply->errorString();
        throw Error(reason + failureSuffix, networkErrorHint(reply->error()));
    }
    Answer answer;
    answer.status = status.toInt();
    answer.reason = QString::fromLatin1(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    answer.contentType = reply->rawHeader("Content-Type");
    answer.body = reply->readAll();
    return answer;
}

QString SoapClient::writeLog(const QByteArray &message, const QString &stem, const QString &suffix) const
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
    if (!file.isOpen() || file.write(text.toLatin1()) < 0)
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
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
    m_trusted.clear();
    if (!m_settings.Certificado.isEmpty()) {
        m_trusted = QSslCertificate::fromPath(m_settings.Certificado, QSsl::Pem);
        if (m_trusted.isEmpty())
            throw Error(QStringLiteral("Não foi possível ler o certificado %1 (TAVRO/Certificado)")
                            .arg(m_settings.Certificado));
    }
    QString endpoint = m_url;
    QString action;
    if (!m_wsdlLocation.isEmpty()) {
        const Answer wsdl = await(m_network.get(request(m_wsdlLocation)), QStringLiteral(" - URL:") + m_wsdlLocation);
        if (wsdl.status > 299)
            throw Error(QStringLiteral("%1 (%2) - '%3'").arg(wsdl.reason).arg(wsdl.status).arg(m_wsdlLocation),
                        httpStatusHint(wsdl.status));
        const WsdlPort port = WsdlPort::read(wsdl.body, m_service, m_port);
        if (port.address().isEmpty())
            throw Error(QStringLiteral("Unable to retrieve the URL endpoint for Service/Port '%1'/'%2' from WSDL '%3'")
                            .arg(m_service, m_port, m_wsdlLocation));
        endpoint = port.address();
        action = port.action(operation);
    }
    if (action.isEmpty())
        action = QStringLiteral("tav:") + operation;

    m_timings.network = clock.nsecsElapsed() / 1e6;
    clock.restart();
    const QByteArray envelope = SoapEnvelope::write(writeRequest);
    // Logs are named by the second of the request; its answer's log takes the same name, so
    // the two can be paired when an accepted batch has to be recovered from them.
    const QString logStem = writeLog(
        envelope, m_logFolder + QLatin1Char('/') + (logName.isEmpty() ? CarimboDataHora(m_clock()) : logName),
        QStringLiteral("_req.xml"));
    m_timings.writing = clock.nsecsElapsed() / 1e6;
    clock.restart();

    warnOfPlainCredentials(endpoint);
    QNetworkRequest post = request(endpoint);
    post.setRawHeader("Content-Type", "text/xml; charset=utf-8");
    post.setRawHeader("SOAPAction", '"' + action.toUtf8() + '"');
    post.setRawHeader("Authorization", basicAuthorization(m_login.TavroUsuarioSessao, m_login.TavroSenhaSessao));
    const Answer answer = await(m_network.post(post, envelope),
                                QStringLiteral(" - URL:%1 - SOAPAction:%2").arg(endpoint, action));

    m_timings.network += clock.nsecsElapsed() / 1e6;
    clock.restart();
    // The answer has arrived: a batch the service accepted must not be lost because its
    // log could not be written, so the failure is kept for the caller to report.
    try {
        writeLog(answer.body, logStem, QStringLiteral("_res.xml"));
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

std::unique_ptr<SoapClient> programSoapClient(QNetworkAccessManager &network, const IniFile &ini,
                                              const QString &logFolder, const LoginValues &login,
                                              SoapClient::WarningSink warnings)
{
    auto client = std::make_unique<SoapClient>(
        network, readServiceSettings(ini), logFolder, [] { return QDateTime::currentDateTime(); }, login);
    client->setWarningSink(std::move(warnings));
    return client;
}

} // namespace tavro
