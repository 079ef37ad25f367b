#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavro {

// The logs of a call: "<!--" + the WSDL location + "-->" + the message's bytes as sent or
// received. An answer log ends with one more comment that names the request it answers (the
// SHA-256 of the request's bytes) and the answer's HTTP status, so that a log found under a
// batch's name is taken as that batch's answer only when it answers that batch's request.
QByteArray logText(const QString &wsdlLocation, const QByteArray &message);
QByteArray answerLogText(const QString &wsdlLocation, const QByteArray &answer, const QByteArray &requestDigest,
                         int status);

// The hexadecimal SHA-256 of a request's bytes.
QByteArray requestDigest(const QByteArray &request);

// The message a log holds, its leading comment taken off.
QByteArray loggedMessage(const QByteArray &log);

// What an answer log says of its call.
struct AnswerLog
{
    QByteArray message;
    QByteArray requestDigest;
    int status = 0;
};
// None when the log lacks the closing comment: a log of an older version, or not an answer log.
std::optional<AnswerLog> parseAnswerLog(const QByteArray &log);

} // namespace tavro
