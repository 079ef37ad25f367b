#pragma once

#include "followup/ProtocolList.h"
#include "lists/MovementLists.h"
#include "lists/OverviewFigures.h"
#include "transmission/TransmissionKinds.h"

#include <QString>
#include <QStringList>

namespace tavro {

enum class CliVerb {
    Help,
    Onde,
    Listar,
    Protocolos,
    Processamento,
    Inconsistencia,
    Verificar,
    Transmitir,
    Imprimir,
    Recuperar,
    Situacao,
    Sincronizar,
    Registros
};

// What one run of the command line asks for, read from its arguments.
struct CliOptions
{
    CliVerb verb = CliVerb::Help;
    QString configPath; // empty: config.ini looked up in its places
    QString usuario;
    QString senha;
    QString senhaArquivo; // the file the password is to be read from; `senha` is then empty
    QString unidade;      // empty: the unit found from CNESFARMACIA

    // listar
    MovementKind kind = MovementKind::Estoque;
    QString dia;
    QString dataInicial;
    QString dataFinal;
    StatusBoxes status;
    QString protocolo; // listar: empty for no protocol filter; processamento, inconsistencia: the protocol
    bool semCodigo = false;

    // protocolos, processamento, inconsistencia, verificar: the protocol tab's filters
    // (its CNES is the unit's, filled in when the unit is known)
    ProtocolFilter protocolFilter;
    // verificar, transmitir
    int vezes = 1;

    // transmitir: the kind, the batch size and, in `protocolo`, the protocol to send again
    TransmitKind transmitKind = TransmitKind::Estoque;
    int lote = 500;
    // imprimir
    QString pdfPath;
    // situacao: its months, and JSON instead of tab-separated text
    OverviewPeriod overviewPeriod;
    bool json = false;
    // sincronizar: the kinds, the period (`dataInicial` and `dataFinal`, or the last `dias`
    // days, or neither), `lote`, `vezes` walks of the follow-up, and the JSON report
    QList<TransmitKind> tipos;
    int dias = 0;
    QString jsonPath;
    // registros: remove what DiasRegistros would remove
    bool limpar = false;
};

// Reads the arguments (without the program name). The password comes from --senha,
// otherwise (unless --senha-arquivo names its file) from `environmentPassword`. Wrong
// usage throws Error with the reason; dates are passed on as typed, so a bad date fails
// as it does in the window.
CliOptions parseCliOptions(const QStringList &arguments, const QString &environmentPassword);

QString cliUsage();

} // namespace tavro
