#include "followup/BulkVerification.h"

#include "common/ProgressObserver.h"
#include "common/Status.h"
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

QList<FailedCheck> verificarTodosProtocolos(ProtocolFollowup &checks, RecordList &list, int vezes,
                                            const std::function<void()> &repaint, ProgressObserver *observer)
{
    QElapsedTimer clock;
    clock.start();
    Progress progress;
    progress.work = Progress::Work::Verificacao;
    progress.total = list.rowCount();
    progress.rounds = vezes;
    QList<FailedCheck> failed;
    const auto failedCheck = [&](int row) {
        failed.append({list.subCell(row, ProtocolCell::Protocolo), checks.lastError()});
    };
    // Asked before every check: a stop the report let through, or one clicked while the
    // check before waited for its answer, starts no other check.
    const auto stopped = [observer] { return observer && observer->stopRequested(); };
    for (int vez = 0; vez < vezes; ++vez) {
        for (int row = list.rowCount() - 1; row >= 0; --row) {
            if (stopped())
                return failed;
            if (observer) {
                progress.round = vez + 1;
                progress.current = list.rowCount() - row;
                progress.elapsedMs = clock.elapsed();
                observer->progressed(progress);
                if (stopped())
                    return failed;
            }
            if (list.subCell(row, ProtocolCell::Situacao) == Situacao::Aguardando) {
                const QString result = verificarProcessamento(checks, list, row);
                if (result.isEmpty())
                    failedCheck(row);
                if (result == Situacao::Finalizado) {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
            if (list.subCell(row, ProtocolCell::Situacao) == Situacao::Finalizado) {
                if (stopped())
                    return failed;
                const QString result = verificarInconsistencia(checks, list, row);
                if (result.isEmpty()) {
                    failedCheck(row);
                } else {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
        }
    }
    return failed;
}

} // namespace tavro
