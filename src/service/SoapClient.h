#pragma once

#include "service/ServiceSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>
#include <memory>
#include <utility>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace tavro {

class IniFile;
struct LoginValues;

// "Basic " + Base64 of user ":" password, one byte per character: a character beyond
// U+00FF becomes "?".
QByteArray basicAuthorization(const QString &user, const QString &password);

// The SOAP client object of the main window: one call at a time, each one reading the
// service description (in WSDL mode), writing the envelope, logging request and answer
// beside the program, posting with the operator's Basic credentials, and turning the
// answer into a value or an Error with the service binding's message texts.
//
// Transport, settings, log folder, clock and login values come from the owner, which
// keeps the transport and the login values alive as long as the client. A call blocks in
// a local event loop that takes no user input; every request has the transfer time-out
// of the settings, unless the owner lets input through (see setInputDuringWait). Certificate problems of a TLS endpoint
// are ignored unless the settings ask for verification.
class SoapClient
{
public:
    using Clock = std::function<QDateTime()>;
    using WarningSink = std::function<void(const QString &)>;

    SoapClient(QNetworkAccessManager &network, ServiceSettings settings, QString logFolder, Clock clock,
               const LoginValues &login);

    const ServiceSettings &settings() const { return m_settings; }

    // WSDL mode: endpoint and actions come from the description at `location`, read anew
    // for every call.
    void setWSDLLocation(const QString &location, const QString &service, const QString &port);
    // Direct mode: every call posts to `address` with the default action.
    void setURL(const QString &address);
    const QString &WSDLLocation() const { return m_wsdlLocation; }

    // One operation call. `writeRequest` writes the request element into the Body;
    // `readResponse` reads the response element (the reader on its start tag). With a
    // `logName` the call's logs are `logName` + "_req.xml" and "_res.xml" in the log folder.
    void invoke(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
                const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName = {});
    const QString &logFolder() const { return m_logFolder; }

    // Where the last call spent its time, in milliseconds: writing the request and its
    // log, the network (description and post), and reading the answer and its log.
    struct Timings
    {
        double writing = 0;
        double network = 0;
        double reading = 0;
    };
    const Timings &lastTimings() const { return m_timings; }

    // Answer logs that could not be written since the last call of this function.
    QStringList takeLogFailures() { return std::exchange(m_logFailures, {}); }

    // Asked as each wait for an answer begins: whether the wait takes the user's input. The
    // window says yes while long work runs whose own filter lets only its "Parar" control
    // through, so a stop is taken while a batch or check waits (the call still runs to its
    // end and its answer is recorded). Without it, or when it says no, a wait takes no input.
    void setInputDuringWait(std::function<bool()> admits) { m_inputDuringWait = std::move(admits); }

    // Where the one warning of the client's life goes: credentials about to be posted over
    // plain http. Without a sink it is not given.
    void setWarningSink(WarningSink sink) { m_warnings = std::move(sink); }

private:
    struct Answer
    {
        int status = 0;
        QString reason;
        QByteArray contentType;
        QByteArray body;
    };

    QNetworkRequest request(const QString &url) const;
    // Waits for the reply; a transfer that fails, before or after the status line, throws
    // with `failureSuffix` after the network's text.
    Answer await(QNetworkReply *reply, const QString &failureSuffix) const;
    // Writes the log `stem` + `suffix`, or, when that name is taken, `stem` + "_N" + `suffix`
    // with the first free N; returns the stem it used.
    QString writeLog(const QByteArray &message, const QString &stem, const QString &suffix) const;
    void warnOfPlainCredentials(const QString &endpoint);

    QNetworkAccessManager &m_network;
    ServiceSettings m_settings;
    QString m_logFolder;
    Clock m_clock;
    const LoginValues &m_login;
    QString m_wsdlLocation;
    QString m_service;
    QString m_port;
    QString m_url;
    QStringList m_logFailures;
    Timings m_timings;
    QList<QSslCertificate> m_trusted; // the settings' certificate, read again for every call
    WarningSink m_warnings;
    std::function<bool()> m_inputDuringWait;
    bool m_warnedOfPlainCredentials = false;
};

// The program's own client, as the window and the command line use it: settings from
// config.ini, logs in `logFolder`, the local clock, its warning to `warnings`.
std::unique_ptr<SoapClient> programSoapClient(QNetworkAccessManager &network, const IniFile &ini,
                                              const QString &logFolder, const LoginValues &login,
                                              SoapClient::WarningSink warnings);

} // namespace tavro
