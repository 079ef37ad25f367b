#pragma once

#include <optional>

#include "followup/ProtocolList.h"
#include "lists/ListKinds.h"
#include "lists/MovementLists.h"
#include "lists/OverviewFigures.h"
#include "transmission/Transmission.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace tavro {

enum class CliVerb {
    Help,
    Version,
    Onde,
    Listar,
    Protocolos,
    Processamento,
    Inconsistencia,
    Verificar,
    Transmitir,
    Imprimir,
    Recuperar,
    Liberar,
    Situacao,
    Sincronizar,
    Registros,
    Pendencias
};

// What one run of the command line asks for, read from its arguments.
struct CliOptions
{
    CliVerb verb = CliVerb::Help;
    QString helpText;   // Help: the usage to print, of one verb or of them all
    QString configPath; // empty: config.ini looked up in its places
    QString usuario;
    QString senha;
    QString senhaArquivo; // the file the password is to be read from; `senha` is then empty
    QString unidade;      // empty: the unit found from CNESFARMACIA

    // listar, transmitir, imprimir: the list and its search
    MovementKind kind = MovementKind::Estoque;
    QString dia;
    Period period;
    StatusBoxes status;
    QString protocoloFiltro; // no protocol filter when empty
    bool semCodigo = false;

    // protocolos, processamento, inconsistencia, verificar: the protocol tab's filters
    // (its CNES is the unit's, filled in when the unit is known)
    ProtocolFilter protocolFilter;
    QString protocoloVerificado; // processamento, inconsistencia: the protocol to check
    // verificar, transmitir: runs; sincronizar: walks of the follow-up
    int vezes = 1;

    // transmitir: the kind, the batch size and the protocol to send again (empty: a new batch)
    MovementKind transmitKind = MovementKind::Estoque;
    int lote = DefaultLoteMaximo;
    QString protocoloReenviado;
    // imprimir
    QString pdfPath;
    // liberar: the batch "Sem resposta" whose records are released
    QString protocoloLiberado;
    // situacao: its months (none: the last 12 months with records, as the window opens), and
    // JSON instead of tab-separated text
    std::optional<OverviewPeriod> overviewPeriod;
    bool json = false;
    // sincronizar: the kinds, the period (`period`, or the last `dias`
    // days, or neither), `lote`, `vezes` walks of the follow-up, and the JSON report
    QList<MovementKind> tipos;
    int dias = 0;
    QString jsonPath;
    // registros: remove what DiasRegistros would remove
    bool limpar = false;
    // pendencias: its first and last months (null: open), every unit of the database rather
    // than the one found, the CSV to write, and `json`
    QDate mesInicial;
    QDate mesFinal;
    bool todasUnidades = false;
    QString csvPath;
};

// Reads the arguments (without the program name). The common options go anywhere; a
// verb's own options after it. The password comes from --senha, otherwise (unless
// --senha-arquivo names its file) from `environmentPassword`. Wrong usage throws Error
// with the reason; dates are passed on as typed, so a bad date fails as it does in the
// window.
CliOptions parseCliOptions(const QStringList &arguments, const QString &environmentPassword);

} // namespace tavro
