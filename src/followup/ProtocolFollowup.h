#pragma once

#include <QString>

#include <QList>

#include <functional>
#include <optional>

namespace tavro {

class Database;
class SoapClient;
struct InconsistencyRow;
struct ReleasedBatch;

// The refusals of the single checks: no protocol chosen, and an inconsistency check
// asked of a protocol that is neither "Finalizado" nor "Inconsistência".
inline const QString SelectProtocolMessage = QStringLiteral("Selecione o protocolo!");
inline const QString OnlyFinishedMessage = QStringLiteral(
    "Somente protocolos Finalizados podem ter as Inconsistências verificadas!");
bool inconsistencyCheckAllowed(const QString &situacao);
// The refusal of a check of a registry row that holds no protocol of the service: a batch
// held, released or never sent (its provisional protocol, or one of the program's own
// statuses); empty for a protocol of the service. The service is never asked about such a
// row: it would take the provisional number for a protocol, and the row's old protocol for
// a rectification.
QString provisionalRefusal(const QString &protocolo, const QString &situacao);
// The last line of an inconsistency check whose answer reported nothing.
inline const QString NoInconsistencyLine = QStringLiteral("Nenhuma inconsistência.");

// The two follow-up checks of one protocol, run on the caller's connection and SOAP
// client. Each takes the five cells of a protocol-list row (protocol, reception text,
// kind, status, rectified protocol), appends its text lines to the output as it goes,
// commits its writes at its end and returns the status it wrote. The processing check
// of a rectification also commits after each record it moves from the rectified
// protocol, so a failure after it keeps the moves made.
//
// A check that fails returns empty text and rolls its uncommitted writes back at once,
// so that nothing a later check of the same walk commits can carry them along. Lines
// already written stay.
class ProtocolFollowup
{
public:
    using LineSink = std::function<void(const QString &line)>;

    ProtocolFollowup(Database &db, SoapClient &client, LineSink output);

    // Asks for the processing result: stores the registration codes (or, for a
    // rectification, moves the records from the rectified protocol and marks that one
    // "Ok-Retificado"), then raises records and protocol to "Finalizado", or
    // "Aguardando" while the service is still working. A row provisionalRefusal() refuses fails
    // with that refusal before any call.
    QString ProtocolosVerificarProcessamento(const QString &pNumeroProtocolo, const QString &pDataProtocolo,
                                             const QString &pTipoProtocolo, const QString &pSituacaoProtocolo,
                                             const QString &pProtocoloRetificado);

    // Asks for the inconsistencies: marks each reported record "Inconsistência" (or
    // "Ok (Inc.)" when it is only already registered), the protocol's other records "Ok",
    // and returns the protocol's status "Ok", "Ok (Inc.)" or "Inconsistência". A row
    // provisionalRefusal() refuses fails with that refusal before any call.
    // `pProtocoloRetificado` is not read.
    QString ProtocolosVerificarInconsistencia(const QString &pNumeroProtocolo, const QString &pDataProtocolo,
                                              const QString &pTipoProtocolo, const QString &pSituacaoProtocolo,
                                              const QString &pProtocoloRetificado);

    // The message of the error that ended the last failed check.
    const QString &lastError() const { return m_lastError; }
    // The plain line that goes with the last failure's text, when it is a technical one.
    const QString &lastHint() const { return m_lastHint; }

    // Told of every failed check, with its protocol number and the error's text (its hint on
    // a line of its own), so a front end can say so where the walk of many checks would
    // otherwise be silent.
    using FailureSink = std::function<void(const QString &protocolo, const QString &error)>;
    void setFailureOutput(FailureSink sink) { m_failures = std::move(sink); }
    // Told, before the lines of each check, the line that names its protocol.
    void setHeadingOutput(LineSink sink) { m_headings = std::move(sink); }
    // Told of each inconsistency of a known kind, with the record it names described.
    using RowSink = std::function<void(const InconsistencyRow &row)>;
    void setRowOutput(RowSink sink) { m_rows = std::move(sink); }

private:
    QString processamento(const QString &protocolo, const QString &data, const QString &tipo,
                          const QString &protocoloRetificado);
    QString inconsistencia(const QString &protocolo, const QString &data, const QString &tipo);
    // After a duplicate reported of the record `origem`: a line naming the released batch whose
    // request carried it first, when this station's logs show one. `released` is read once.
    void nameReleasedCopy(const QString &tipo, const QString &origem, std::optional<QList<ReleasedBatch>> &released);
    // Runs a check of `protocolo`; an error ends it with empty text and its writes
    // rolled back.
    QString guarded(const QString &protocolo, const std::function<QString()> &check);

    Database &m_db;
    SoapClient &m_client;
    LineSink m_output;
    QString m_lastError;
    QString m_lastHint;
    FailureSink m_failures;
    LineSink m_headings;
    RowSink m_rows;
};

} // namespace tavro
