#include "followup/BulkVerification.h"

#include "followup/ProtocolFollowup.h"
#include "followup/ProtocolList.h"
#include "lists/RecordList.h"
#include "transmission/Status.h"

namespace tavro {

void verificarTodosProtocolos(ProtocolFollowup &checks, RecordList &list, int vezes,
                              const std::function<void()> &repaint)
{
    const auto cell = [&list](int row, int subCell) { return list.subCell(row, subCell); };
    for (int vez = 0; vez < vezes; ++vez) {
        for (int row = list.rowCount() - 1; row >= 0; --row) {
            if (cell(row, ProtocolCell::Situacao) == Situacao::Aguardando) {
                const QString result = checks.ProtocolosVerificarProcessamento(
                    cell(row, ProtocolCell::Protocolo), cell(row, ProtocolCell::Data), cell(row, ProtocolCell::Tipo),
                    cell(row, ProtocolCell::Situacao), cell(row, ProtocolCell::ProtocoloAntigo));
                if (result == Situacao::Finalizado) {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
            if (cell(row, ProtocolCell::Situacao) == Situacao::Finalizado) {
                const QString result = checks.ProtocolosVerificarInconsistencia(
                    cell(row, ProtocolCell::Protocolo), cell(row, ProtocolCell::Data), cell(row, ProtocolCell::Tipo),
                    cell(row, ProtocolCell::Situacao), cell(row, ProtocolCell::ProtocoloAntigo));
                if (!result.isEmpty()) {
                    list.setSubCell(row, ProtocolCell::Situacao, result);
                    repaint();
                }
            }
        }
    }
}

} // namespace tavro
