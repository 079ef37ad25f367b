#pragma once

#include "service/ServiceSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of tavro-sim.
struct SimOptions
{
    quint16 port = 0;
    QString usuario;
    QString senha;
    QString namespaceBase = tavro::ServiceSettings::DefaultNamespace;
    int aguardando = 1;           // processing queries answered AGUARDANDO before FINALIZADO
    bool reprocessamento = false; // those answers say AGUARDANDO_REPROCESSAMENTO instead
    bool tls = false;
    bool semEndereco = false; // the WSDL names no address for the port
    bool semAcao = false;     // the WSDL gives no soapAction
    // Failures of the operation calls (the WSDL is always served).
    int falhaStatus = 0;
    QString falhaTexto;
    std::optional<QString> falhaFault;
    bool falhaHtml = false;
    bool falhaRaiz = false;
    std::optional<QString> codigoFora;
    int atrasoMs = 0;
    bool silencio = false;
    int falhas = -1;          // how many calls fail; -1: every call
    int reter = 0;            // the call (counted from 1) whose answer waits for a line on standard input; 0: none
    bool infoPrinted = false; // the usage or the version was asked for and printed

    // Parses the arguments; prints the usage and returns nothing when they are wrong.
    static std::optional<SimOptions> parse(const QStringList &arguments);
};
