#pragma once

#include "service/Enumerations.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavro {

class Database;
class RecordList;
class SoapClient;
class TransmissionKind;
struct TransmissionCells;

// Records per batch unless the clerk or the command line asks otherwise.
inline constexpr int DefaultLoteMaximo = 500;

// What a transmission reads: in the window, the fields named beside each value.
struct TransmissionInput
{
    QString cnes;                       // PECodCNES
    QString ibge;                       // PECodIBGE
    QString dia;                        // CBEstoqueDia (stock row key)
    QString protocolo;                  // the tab's "Retransmitir Protocolo:" box; empty for a new batch
    int loteMaximo = DefaultLoteMaximo; // SEQuantidadeRegistros
    QDate hoje;                         // the day the batch is sent
    // The unit's type as an earlier run of the same send read it, which no run reads again.
    std::optional<coTipoEstabelecimento> tipoEstabelecimento = std::nullopt;
};

// One line a row's check wrote, with the caption of the row it refuses.
struct RowRefusal
{
    QString caption;
    QString line;
};

// What one run leaves for its caller, named after the window's panes that show it.
struct RunReport
{
    QStringList erros;                                        // lines appended to REErros
    QList<RowRefusal> recusas;                                // those of `erros` that the row checks wrote, in order
    int enviados = 0;                                         // records of the batch recorded as sent
    std::optional<QStringList> retornos;                      // Memo2's new content, when a batch was accepted
    std::optional<coTipoEstabelecimento> tipoEstabelecimento; // the unit's type the run used
    int batchSize = 0;                                        // rows the run took into its batch, accepted or not
    // The run met a batch not yet resolved, or left its own so; true until its claim knows.
    bool unresolvedMet = true;
    // Milliseconds spent taking, claiming, writing ahead and building the records, claiming
    // them, writing them ahead (registry row and marks, claim excluded), and recording the answer.
    double buildingMs = 0;
    double claimingMs = 0;
    double writingAheadMs = 0;
    double markingMs = 0;
    // Milliseconds of the second commit of a batch: "Enviando" on its registry row before the post.
    double postingMs = 0;
};

// How one run ended.
struct RunResult
{
    enum class End {
        Sent,            // a batch went and the service's protocol is recorded
        NothingLeft,     // no row was left to take
        UnitTypeMissing, // the unit's type is not registered: nothing was taken
        ServiceText,     // the service answered one of its two texts after which the send goes on
        Failed,          // an error ended the run
    };
    RunResult(End end = End::NothingLeft, QString message = QString(), QString hint = QString())
        : end(end)
        , message(std::move(message))
        , hint(std::move(hint))
    {
    }

    End end;
    QString message; // ServiceText, Failed: the error's text
    QString hint;    // Failed: the plain line for a technical error, when there is one

    // The run's word as the command line prints it: "transmitido", "pronto", the error's
    // text, or nothing when the unit type stopped it.
    QString text() const;
};

inline const QString TodosTransferidosMessage = QStringLiteral("Atenção! Todos os registros já foram transferidos!");
// The command line's last line when the service's texts left rows unsent.
inline const QString RegistrosPendentesMessage = QStringLiteral(
    "Atenção! O serviço recusou o envio e ainda há registros a transmitir!");
inline const QString TransmissaoAbortadaCaption = QStringLiteral("Erro, transmissão abortada!");
inline const QString UnitTypeMissingMessage = QStringLiteral(
    "Atenção!!! informe o tipo de estabelecimento no cadastro de unidades!");
// A row of the batch whose own values cannot be read; the row is named after it.
inline const QString UnreadableRowMessage = QStringLiteral("Valor inválido do lançamento: ");
// A row holding a character XML cannot carry: %1 the column, %2 the row.
inline const QString CaractereInvalidoMessage = QStringLiteral("Caractere inválido no %1 do registro %2");
inline const QString InformeCnesMessage = QStringLiteral("Informe o Código CNES da Unidade");
inline const QString InformeIbgeMessage = QStringLiteral("Informe o Código IBGE do Município");
// Worded as the follow-up checks word an answer that lacks what they need.
inline const QString RespostaSemProtocoloMessage = QStringLiteral("Elemento ausente na resposta: nuProtocoloEntrada");
// A run whose every row another transaction holds.
inline const QString TodosEmUsoMessage = QStringLiteral(
    "Nada foi enviado: todos os registros do lote estão em uso por outra estação; ficam para o próximo envio.");
// A batch whose call failed after its request may have reached the service; %1 is its
// provisional protocol.
inline const QString SemRespostaAindaMessage = QStringLiteral(
    "O lote %1 pode ter chegado ao serviço: seus registros ficam \"Enviando\" até a resposta ser encontrada ou o "
    "lote ser liberado para reenvio.");
// A batch that never left but could not be given back now (the database went away, say); %1
// is its provisional protocol, %2 the reason. The next run's resolution gives it back.
inline const QString NaoDevolvidoMessage = QStringLiteral(
    "O lote %1 não foi enviado, mas seus registros não puderam ser devolvidos agora: %2");
// Another station's resolution released the batch before its request left; %1 is its
// provisional protocol.
inline const QString LiberadoAntesDeSairMessage = QStringLiteral(
    "O lote %1 foi liberado por outra estação antes de sair; nada foi enviado.");

// Would a run with `protocolo` chosen (empty: a new batch) send the row, were its checks
// passed and the batch not yet full?
bool rowToSend(const RecordList &list, int row, const TransmissionCells &cells, const QString &protocolo);

// The checks of a row a run takes, before its record is built: every value reaches the service
// as the database holds it, then the kind's own checks. Each failure appends its line.
bool rowPasses(const TransmissionKind &kind, const RecordList &list, int row, QStringList &erros);

// Appends the row's record to the kind's batch (begun by the caller); false, with the run's
// line in `erros` and nothing appended, when a value of the row cannot be converted.
bool addRow(TransmissionKind &kind, const RecordList &list, int row, QStringList &erros);

// One transmission run of a kind over its list. First the batches of this database still
// on their way are resolved from their logs. Then it takes at most one batch of rows,
// checks them, claims their records (a record another station holds waits for the next
// run, with a line in "Erros"), writes the batch ahead with a provisional protocol (registry
// row "Preparando", records "Enviando", one commit), writes the request's log, commits
// "Enviando" on the registry row, sends it, and records the service's protocol on the
// registry row and the records with one commit. Returns how the run ended. A batch the
// service provably does not hold (nothing left, or the service refused it) is given back at
// once and its rows show again what they showed, its registry row "Não enviado"; one that may
// be at the service stays "Enviando".
RunResult transmitOnce(Database &db, SoapClient &client, TransmissionKind &kind, RecordList &list,
                       const TransmissionInput &input, RunReport &report);

// Would a run take any row of the list (by status, protocol and checks)?
bool rowsLeftToSend(const TransmissionKind &kind, const RecordList &list, const TransmissionInput &input);

} // namespace tavro
