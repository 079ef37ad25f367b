#pragma once

#include "lists/MovementLists.h"

#include <QString>
#include <QStringList>

namespace tavro {

enum class CliVerb { Help, Listar, Protocolos };

// What one run of the command line asks for, read from its arguments.
struct CliOptions
{
    CliVerb verb = CliVerb::Help;
    QString configPath; // empty: config.ini beside the executable
    QString usuario;
    QString senha;
    QString unidade; // empty: the unit found from CNESFARMACIA

    // listar
    MovementKind kind = MovementKind::Estoque;
    QString dia;
    QString dataInicial;
    QString dataFinal;
    StatusBoxes status;
    QString protocolo; // empty: no protocol filter
    bool semCodigo = false;

    // protocolos
    bool todosCnes = false;
};

// Reads the arguments (without the program name). The password comes from --senha,
// otherwise from `environmentPassword`. Wrong usage throws Error with the reason;
// dates are passed on as typed, so a bad date fails as it does in the window.
CliOptions parseCliOptions(const QStringList &arguments, const QString &environmentPassword);

QString cliUsage();

} // namespace tavro
