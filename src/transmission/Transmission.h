#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tavro {

class Database;
class RecordList;
class SoapClient;
class TransmissionKind;
struct TransmissionCells;

// What a transmission reads from the window.
struct TransmissionInput
{
    QString cnes;          // PECodCNES
    QString ibge;          // PECodIBGE
    QString codigoUnidade; // PECodigoUnidade (stock row key)
    QString dia;           // CBEstoqueDia (stock row key)
    QString protocolo;     // the tab's "Retransmitir Protocolo:" box; empty for a new batch
    int loteMaximo = 500;  // SEQuantidadeRegistros
    QDate hoje;            // the day the batch is sent
};

// One line a row's check wrote, with the caption of the row it refuses.
struct RowRefusal
{
    QString caption;
    QString line;
};

// What one run leaves for the window.
struct RunReport
{
    QStringList erros;                  // lines appended to REErros
    QList<RowRefusal> recusas;          // those of `erros` that the row checks wrote, in order
    int enviados = 0;                   // records of the batch recorded as sent
    std::optional<QStringList> retornos; // Memo2's new content, when a batch was accepted
    bool unitTypeMissing = false;       // the run stopped at the unit-type check
    QString dica;                       // the plain line for the technical error that ended the run
    // Milliseconds spent taking and building the records, and marking them with the registry row.
    double buildingMs = 0;
    double markingMs = 0;
};

namespace RunResult {
inline const QString Transmitido = QStringLiteral("transmitido");
inline const QString Pronto = QStringLiteral("pronto");
} // namespace RunResult

inline const QString TodosTransferidosMessage = QStringLiteral("Atenção! Todos os registros já foram transferidos!");
inline const QString TransmissaoAbortadaCaption = QStringLiteral("Erro, transmissão abortada!");
inline const QString UnitTypeMissingMessage
    = QStringLiteral("Atenção!!! informe o tipo de estabelecimento no cadastro de unidades!");
inline const QString InformeCnesMessage = QStringLiteral("Informe o Código CNES da Unidade");
inline const QString InformeIbgeMessage = QStringLiteral("Informe o Código IBGE do Município");
// Worded as the follow-up checks word an answer that lacks what they need.
inline const QString RespostaSemProtocoloMessage = QStringLiteral("Elemento ausente na resposta: nuProtocoloEntrada");

// Would a run with `protocolo` chosen (empty: a new batch) send the row, were its checks
// passed and the batch not yet full?
bool rowToSend(const RecordList &list, int row, const TransmissionCells &cells, const QString &protocolo);

// One transmission run of a kind over its list: takes at most one batch of rows,
// checks them, sends the batch, writes the protocol onto the rows and the records and
// registers the batch with one commit. Returns "transmitido", "pronto", the message
// of the error that ended the run, or empty when the unit type stopped it. A run that
// fails rolls back its own writes at once and clears the cells of its batch.
QString transmitOnce(Database &db, SoapClient &client, TransmissionKind &kind, RecordList &list,
                     const TransmissionInput &input, RunReport &report);

// How a click's repeated runs ended.
struct ClickOutcome
{
    enum End { AllSent, Aborted, RunsUsedUp } end = RunsUsedUp;
    QString message; // the error text of an aborted click
    QStringList results;
};

// Repeats `run` at most `vezes` times: "transmitido" and the two server texts that let
// the loop go on continue it; "pronto" ends it as AllSent; any other result aborts it.
ClickOutcome transmitRepeatedly(int vezes, const std::function<QString()> &run);

} // namespace tavro
