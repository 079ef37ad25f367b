#pragma once

#include "service/CallDelivery.h"
#include "service/HttpTransport.h"
#include "service/ServiceSettings.h"
#include "service/WsdlPort.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>
#include <memory>
#include <utility>

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
// keeps the transport and the login values alive as long as the client; the transport's
// connections serve the description and the call, and the next call. A call blocks in a
// local event loop that takes no user input unless the owner lets it through (see
// setInputDuringWait); every request has the transfer time-out and the proxy of the settings. Certificate problems of a
// TLS endpoint are ignored unless the settings ask for verification.
//
// The request's log is on disk (written, synced and closed, each step checked) before the
// request leaves: a log that cannot be written ends the call with nothing sent. A batch is
// posted once; a connection lost after the request left is the call's failure.
class SoapClient
{
public:
    using Clock = std::function<QDateTime()>;
    using WarningSink = std::function<void(const QString &)>;

    SoapClient(HttpTransport &transport, ServiceSettings settings, QString logFolder, Clock clock,
               const LoginValues &login);

    const ServiceSettings &settings() const { return m_settings; }

    // WSDL mode: endpoint and actions come from the description at `location`, read anew
    // for every call.
    void setWSDLLocation(const QString &location, const QString &service, const QString &port);
    // Direct mode: every call posts to `address` with the default action.
    void setURL(const QString &address);
    const QString &WSDLLocation() const { return m_wsdlLocation; }

    // One operation call. `writeRequest` writes the request element into the Body;
    // `readResponse` reads the response element (the reader on its start tag). The logs are
    // `logName` + "_req.xml" / "_res.xml" in the log folder (a `logName` whose logs exist already
    // fails the call before anything is sent), or named by the second of the request when
    // `logName` is empty. `beforePost` runs once the request's log is on the disk, right before
    // the post; an error it throws ends the call with nothing sent. Every failure throws
    // CallFailure, whose delivery says whether the service may hold the request.
    void invoke(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
                const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName = {},
                const std::function<void()> &beforePost = {});
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
    TransportOptions transportOptions() const;
    // Runs one request of the transport; a transfer that fails throws with `failureSuffix`
    // after the network's text.
    HttpAnswer transfer(const std::function<HttpAnswer()> &request, const QString &failureSuffix) const;
    void call(const QString &operation, const std::function<void(QXmlStreamWriter &)> &writeRequest,
              const std::function<void(QXmlStreamReader &)> &readResponse, const QString &logName,
              const std::function<void()> &beforePost, CallEvidence &evidence);
    // Writes the log `stem` + `suffix` whole or not at all, or, when that name is taken and
    // `exactName` is false, `stem` + "_N" + `suffix` with the first free N, and returns the stem
    // it used; a log that cannot be written to the end and synced throws a message naming the
    // folder, the log (`which`) and the system's reason.
    QString writeLog(const QByteArray &text, const QString &stem, const QString &suffix, const QString &which,
                     bool exactName) const;
    void warnOfPlainCredentials(const QString &endpoint);

    HttpTransport &m_transport;
    ServiceSettings m_settings;
    QString m_logFolder;
    Clock m_clock;
    const LoginValues &m_login;
    QString m_wsdlLocation;
    QString m_service;
    QString m_port;
    QString m_url;
    // The description read last and the port it gives: a batch after batch reads the same
    // description, which is parsed again only when its bytes change.
    QByteArray m_wsdlBody;
    WsdlPort m_wsdlPort;
    QStringList m_logFailures;
    Timings m_timings;
    QByteArray m_trustedPem; // the settings' certificate, read again for every call
    WarningSink m_warnings;
    std::function<bool()> m_inputDuringWait;
    bool m_warnedOfPlainCredentials = false;
};

// The program's own client, as the window and the command line use it: settings from
// config.ini, logs in `logFolder`, the local clock, its warning to `warnings`.
std::unique_ptr<SoapClient> programSoapClient(HttpTransport &transport, const IniFile &ini, const QString &logFolder,
                                              const LoginValues &login, SoapClient::WarningSink warnings);

} // namespace tavro
