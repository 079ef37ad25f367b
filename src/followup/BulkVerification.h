#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tavro {

class ProgressObserver;
class ProtocolFollowup;
class RecordList;

// A check of the bulk walk that failed: its protocol and the error that ended it.
struct FailedCheck
{
    QString protocolo;
    QString message;
};

// The processing check and the inconsistency check of the protocol in one row of a
// protocol list, given the row's protocol, reception text, kind, status and old protocol.
QString verificarProcessamento(ProtocolFollowup &checks, const RecordList &list, int row);
QString verificarInconsistencia(ProtocolFollowup &checks, const RecordList &list, int row);

// The walk of "Verificar Todos os Protocolos" over the rows a protocol list shows,
// repeated `vezes` times (none when 0 or less), oldest protocol first: a row
// "Aguardando" gets the processing check, and a row "Finalizado" (before or just now)
// the inconsistency check. A check that succeeds writes its status into the row's
// status cell and `repaint` runs, so the list shows the progress; a failed check leaves
// the cell, and a later repetition asks again. The list is not reloaded here. An observer
// learns which row of which repetition comes next and may stop the walk before any check,
// the second check of a row included. Returns
// every check that failed, in the order they ran.
QList<FailedCheck> verificarTodosProtocolos(ProtocolFollowup &checks, RecordList &list, int vezes,
                                            const std::function<void()> &repaint, ProgressObserver *observer = nullptr);

} // namespace tavro
