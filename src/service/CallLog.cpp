#include "service/CallLog.h"

#include <QCryptographicHash>

namespace tavro {

namespace {

const QByteArray TrailerStart = "<!--resposta ao pedido sha256:";
const QByteArray StatusPart = " HTTP ";
const QByteArray CommentEnd = "-->";

} // namespace

QByteArray logText(const QString &wsdlLocation, const QByteArray &message)
{
    return "<!--" + wsdlLocation.toLatin1() + CommentEnd + message;
}

QByteArray answerLogText(const QString &wsdlLocation, const QByteArray &answer, const QByteArray &requestDigest,
                         int status)
{
    return logText(wsdlLocation, answer) + TrailerStart + requestDigest + StatusPart + QByteArray::number(status)
        + CommentEnd;
}

QByteArray requestDigest(const QByteArray &request)
{
    return QCryptographicHash::hash(request, QCryptographicHash::Sha256).toHex();
}

QByteArray loggedMessage(const QByteArray &log)
{
    if (!log.startsWith("<!--"))
        return log;
    const qsizetype end = log.indexOf(CommentEnd);
    return end < 0 ? log : log.mid(end + CommentEnd.size());
}

std::optional<AnswerLog> parseAnswerLog(const QByteArray &log)
{
    const qsizetype start = log.lastIndexOf(TrailerStart);
    if (start < 0 || !log.endsWith(CommentEnd))
        return std::nullopt;
    const QByteArray trailer = log.mid(start + TrailerStart.size(),
                                       log.size() - CommentEnd.size() - start - TrailerStart.size());
    const qsizetype status = trailer.indexOf(StatusPart);
    if (status < 0)
        return std::nullopt;
    bool numeric = false;
    AnswerLog answer;
    answer.requestDigest = trailer.left(status);
    answer.status = trailer.mid(status + StatusPart.size()).toInt(&numeric);
    if (!numeric || answer.requestDigest.size() != 64)
        return std::nullopt;
    answer.message = loggedMessage(log.left(start));
    return answer;
}

} // namespace tavro
