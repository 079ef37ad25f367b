#include "followup/BulkVerification.h"

#include "common/Status.h"
#include "common/ProgressObserver.h"
#include "followup/ProtocolFollowup.h"
#include "followup/ProtocolList.h"
#include "lists/RecordList.h"

#include <QElapsedTimer>

namespace tavro {

QString verificarProcessamento(ProtocolFollowup &checks, const RecordList &list, int row)
{
    return checks.ProtocolosVerificarProcessamento(
        list.subCell(row, ProtocolCell::Protocolo), list.subCell(row, ProtocolCell::Data),
        list.subCell(row, ProtocolCell::Tipo), list.subCell(row, ProtocolCell::Situacao),
        list.subCell(row, ProtocolCell::ProtocoloAntigo));
}

QString verificarInconsistencia(ProtocolFollowup &checks, const RecordList &list, int row)
{
    return checks.ProtocolosVerificarInconsistencia(
        list.subCell(row, ProtocolCell::Protocolo), list.subCell(row, ProtocolCell::Data),
        list.subCell(row, ProtocolCell::Tipo), list.subCell(row, ProtocolCell::Situacao),
        list.subCell(row, ProtocolCell::ProtocoloAntigo));
}

QStringList verificarTodosProtocolos(ProtocolFollowup &checks, RecordList &list, int vezes,
                                     const std::function<void()> &repaint, ProgressObserver *observer)
{
    QElapsedTimer clock;
    clock.start();
    Progress progress;
    progress.work = Progress::Work::Verificacao;
    progress.total = list.rowCount();
    progress.rounds = vezes;
    QStringList failures;
    const auto failed = [&](int row) {
        failures.append(list.subCell(row, ProtocolCell::Protocolo) + QStringLiteral(": ") + checks.lastError());
    };
    for (int vez = 0; vez < vezes; ++vez) {
        for (int row = list.rowCount() - 1; row >= 0; --row) {
            if (observer) {
                if (observer->stopRequested())
                    return failures;
                progress.round = vez + 1;
                progress.current = list.rowCount() - row;
                progress.elapsedMs = clock.elapsed();
                observer->progressed(progress);
            }
            if (list.subCell(row, ProtocolCell::Situacao) == Situacao::Aguardando) {
                const QString result = verificarProcessamento(checks, list, row);
                if (result.isEmpty())
                    failed(row);
                if (result == Situacao::Finalizado) {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
            if (list.subCell(row, ProtocolCell::Situacao) == Situacao::Finalizado) {
                const QString result = verificarInconsistencia(checks, list, row);
                if (result.isEmpty()) {
                    failed(row);
                } else {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
        }
    }
    return failures;
}

} // namespace tavro
