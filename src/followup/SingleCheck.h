#pragma once

#include <QString>

namespace tavro {

class ProtocolFollowup;
class RecordList;

// The two checks a clerk asks of one protocol, by its button or by its `tavro-cli` verb.
enum class SingleCheck { Processamento, Inconsistencia };

// Why `check` may not run on the row `row` of a protocol list (-1: none chosen): "Selecione o
// protocolo!", the refusal of a row that holds no protocol of the service, or, for the
// inconsistency check, the refusal of a protocol neither "Finalizado" nor "Inconsistência".
// Empty when it may run.
QString singleCheckRefusal(const RecordList &list, int row, SingleCheck check);

// What a single check came to.
struct SingleCheckResult
{
    QString refusal;  // why it did not run (singleCheckRefusal); the service was not asked
    QString situacao; // the status it wrote; empty when it failed or did not run
};

// The check of one row, refused as singleCheckRefusal says or run on `checks`, which tell why
// it failed (lastError, lastHint).
SingleCheckResult runSingleCheck(ProtocolFollowup &checks, const RecordList &list, int row, SingleCheck check);

} // namespace tavro
