#include "common/Status.h"

#include <QStringList>

namespace tavro {

quint8 PrioridadeSituacao(const QString &situacao)
{
    using namespace Situacao;
    if (situacao == Aguardando)
        return 10;
    if (situacao == Finalizado)
        return 20;
    if (situacao == Inconsistencia)
        return 30;
    if (situacao == Ok)
        return 40;
    if (situacao == OkInc)
        return 41;
    if (situacao == OkRetificado)
        return 50;
    return 100;
}

bool sendableInNewBatch(QStringView situacao)
{
    using namespace Situacao;
    return situacao != Aguardando && situacao != Finalizado && situacao != Ok && situacao != OkInc
        && situacao != OkRetificado && situacao != Enviando && situacao != SemResposta;
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

QString sqlText(const QString &situacao)
{
    return QLatin1Char('\'') + situacao + QLatin1Char('\'');
}

QString sendableCondition(const QString &column)
{
    using namespace Situacao;
    QStringList sent;
    for (const QString &situacao : {Aguardando, Finalizado, Ok, OkInc, OkRetificado, Enviando, SemResposta})
        sent.append(sqlText(situacao));
    return QStringLiteral("(%1 is null or %1 not in (%2))").arg(column, sent.join(QStringLiteral(", ")));
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
