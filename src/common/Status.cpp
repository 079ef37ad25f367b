#include "common/Status.h"

#include <QStringList>

#include <utility>

namespace tavro {

namespace {

// The statuses of a record already sent or on its way, which no new batch takes.
const QStringList &sentSituacoes()
{
    using namespace Situacao;
    static const QStringList sent = QStringList{Aguardando, Finalizado, Ok, OkInc, OkRetificado} + heldSituacoes();
    return sent;
}

} // namespace

const QStringList &heldSituacoes()
{
    using namespace Situacao;
    static const QStringList held{Preparando, Enviando, SemResposta};
    return held;
}

bool heldSituacao(QStringView situacao)
{
    return heldSituacoes().contains(situacao);
}

quint8 PrioridadeSituacao(const QString &situacao)
{
    using namespace Situacao;
    static const std::pair<QString, quint8> priorities[] = {{Aguardando, 10}, {Finalizado, 20}, {Inconsistencia, 30},
                                                            {Ok, 40},         {OkInc, 41},      {OkRetificado, 50}};
    for (const auto &[text, prioridade] : priorities) {
        if (situacao == text)
            return prioridade;
    }
    return 100;
}

bool sendableInNewBatch(QStringView situacao)
{
    return !sentSituacoes().contains(situacao);
}

QStringList StatusBoxes::situacoes() const
{
    using namespace Situacao;
    QStringList listed;
    if (aguardando)
        listed.append(Aguardando);
    if (finalizados)
        listed.append(Finalizado);
    if (inconsistencias)
        listed.append(Inconsistencia);
    if (ok)
        listed += {Ok, OkInc};
    if (okRetificado)
        listed.append(OkRetificado);
    return listed;
}

QString sqlText(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QString sendableCondition(const QString &column)
{
    QStringList sent;
    for (const QString &situacao : sentSituacoes())
        sent.append(sqlText(situacao));
    return QStringLiteral("(%1 is null or %1 not in (%2))").arg(column, sent.join(QStringLiteral(", ")));
}

QString heldCondition(const QString &column)
{
    QStringList held;
    for (const QString &situacao : heldSituacoes())
        held.append(sqlText(situacao));
    return QStringLiteral("%1 in (%2)").arg(column, held.join(QStringLiteral(", ")));
}

static QColor statusColour(QStringView situacao, bool okRetificadoBlue)
{
    using namespace Situacao;
    if (situacao == Aguardando)
        return QColor(128, 128, 0);
    if (situacao == Finalizado)
        return QColor(0, 128, 0);
    if (situacao == Ok || situacao == OkInc || (okRetificadoBlue && situacao == OkRetificado))
        return QColor(0, 0, 255);
    if (situacao == Inconsistencia)
        return QColor(255, 0, 0);
    // The program's own states: a held batch stands out from every status of the service,
    // and a batch that ended without a protocol of the service is greyed.
    if (heldSituacao(situacao))
        return QColor(204, 85, 0);
    if (situacao == Liberado || situacao == NaoEnviado)
        return QColor(128, 128, 128);
    return QColor(0, 0, 0);
}

QColor recordStatusColour(QStringView situacao)
{
    return statusColour(situacao, false);
}

QColor protocolStatusColour(QStringView situacao)
{
    return statusColour(situacao, true);
}

} // namespace tavro
