#include "common/ProgressObserver.h"

namespace tavro {

namespace {

QString elapsed(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString workText(const Progress &p)
{
    switch (p.work) {
    case Progress::Work::Transmissao:
        return QStringLiteral("Lote %1 de até %2: %3 registros enviados, %4 recusados (%5)")
            .arg(p.current)
            .arg(p.total)
            .arg(p.enviados)
            .arg(p.recusados)
            .arg(elapsed(p.elapsedMs));
    case Progress::Work::Verificacao: {
        const QString text = QStringLiteral("Protocolo %1 de %2").arg(p.current).arg(p.total);
        const QString round = p.rounds > 1 ? QStringLiteral(", vez %1 de %2").arg(p.round).arg(p.rounds) : QString();
        return text + round + QStringLiteral(" (%1)").arg(elapsed(p.elapsedMs));
    }
    case Progress::Work::Pesquisa:
        return QStringLiteral("%1 linhas lidas (%2)").arg(p.current).arg(elapsed(p.elapsedMs));
    case Progress::Work::Registros:
        if (p.total == 0)
            return QStringLiteral("%1 registros examinados (%2)").arg(p.current).arg(elapsed(p.elapsedMs));
        return QStringLiteral("%1 de %2 registros removidos (%3)")
            .arg(p.current)
            .arg(p.total)
            .arg(elapsed(p.elapsedMs));
    case Progress::Work::Pendencias:
        return QStringLiteral("Lista %1 de %2: %3 registros pendentes (%4)")
            .arg(p.current)
            .arg(p.total)
            .arg(p.recusados)
            .arg(elapsed(p.elapsedMs));
    }
    Q_UNREACHABLE();
}

} // namespace

QString interruptedText(qint64 lotes, qint64 restam)
{
    return QStringLiteral("Interrompido pelo usuário: %1 lotes enviados, %2 restam.").arg(lotes).arg(restam);
}

QString progressText(const Progress &p)
{
    return p.etapa.isEmpty() ? workText(p) : p.etapa + QStringLiteral(": ") + workText(p);
}

} // namespace tavro
