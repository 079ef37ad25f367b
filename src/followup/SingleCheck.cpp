#include "followup/SingleCheck.h"

#include "followup/BulkVerification.h"
#include "followup/ProtocolFollowup.h"
#include "followup/ProtocolList.h"
#include "lists/RecordList.h"

namespace tavro {

QString singleCheckRefusal(const RecordList &list, int row, SingleCheck check)
{
    if (row < 0)
        return SelectProtocolMessage;
    const QString situacao = list.subCell(row, ProtocolCell::Situacao);
    if (const QString refusal = provisionalRefusal(list.subCell(row, ProtocolCell::Protocolo), situacao);
        !refusal.isEmpty())
        return refusal;
    if (check == SingleCheck::Inconsistencia && !inconsistencyCheckAllowed(situacao))
        return OnlyFinishedMessage;
    return QString();
}

SingleCheckResult runSingleCheck(ProtocolFollowup &checks, const RecordList &list, int row, SingleCheck check)
{
    SingleCheckResult result;
    result.refusal = singleCheckRefusal(list, row, check);
    if (!result.refusal.isEmpty())
        return result;
    result.situacao = check == SingleCheck::Processamento ? verificarProcessamento(checks, list, row)
                                                          : verificarInconsistencia(checks, list, row);
    return result;
}

} // namespace tavro
