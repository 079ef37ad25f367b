#pragma once

#include "KindCases.h"
#include "ScriptedService.h"
#include "ServerProxy.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"
#include "TransmissionSetup.h"

#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"

#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace tavro::test {

// The start of a call's failure when the connection closes after the request went.
inline const QString ClosedUnanswered = QStringLiteral("A conexão foi encerrada depois do envio do pedido");

// One kind of transmission with its list and the table its records live in.

// A fresh demo database on the code's own connection, a healthy substitute that keeps
// every batch it accepted, and whatever misbehaving service a case points the SOAP
// client at. After a case, `expectConsistent` checks on the test's own connection that
// no record is marked sent without the registry row of its protocol, no registry row
// lacks its records and no committed status went down; `expectNextRunSendsTheRest`
// checks that the next run against the healthy substitute sends every record a run on
// an untouched database sends.
class FaultFixture : public ::testing::Test, public TransmissionSetup
{
public:
    // What a service call meets; the one step of a transmission or check that goes wrong.
    enum class Fault {
        Refused,
        DescriptionRefused,
        HttpError,
        SoapFault,
        HtmlPage,
        WrongRoot,
        Malformed,
        CutOff,
        EmptyBody,
        OtherElement,
        Slow,
        Silent,
        Stalled,
        Killed,
        LogFolderIsAFile
    };

protected:
    explicit FaultFixture(const QString &templateName = QStringLiteral("demo-utf8.fdb"));

    // The healthy substitute (started once per test) and the client pointed at it.
    void useService(const QStringList &arguments = {});
    // A substitute started with `arguments` for the faulty step, apart from the healthy one.
    void useFaultySim(const QStringList &arguments, int tempoLimite = 20);
    void useUnreachableService();
    // Points the client at a service that meets `fault` at its next call.
    void useFaultyService(Fault fault);
    void useOrigin(const QString &origin, int tempoLimite = 20);
    // Kills the faulty substitute as soon as it reports the post of a call, while the call waits.
    void killFaultySimInItsCall();
    // A scripted stand-in whose call answer (and description, when given) the case chooses.
    void useScripted(const ScriptedService::Answer &call, std::optional<ScriptedService::Answer> description = {},
                     int tempoLimite = 20);

    RecordList &fill(const KindCase &kind);
    // A healthy click of `lote` records, so a case starts with committed marks and a registry row.
    QString sendFirstBatch(const KindCase &kind, int lote);

    struct Snapshot
    {
        QHash<QString, int> recordPriorities;    // "table:key" -> priority (0 for null)
        QHash<QString, QString> recordProtocols; // "table:key" -> protocol
        QHash<QString, int> protocolPriorities;
    };
    Snapshot snapshot() const;
    void expectConsistent(const Snapshot &before) const;
    void expectNextRunSendsTheRest(const KindCase &kind);
    // Every row of the list shows the protocol, date and status its record holds.
    void expectListShowsDatabase(const KindCase &kind) const;
    // The database on the Firebird server of TAVRO_FB_SERVER, the code's connection through a
    // proxy whose stop makes the server go away; null without a server, and the case skips.
    std::unique_ptr<ServerProxy> serverBehindProxy();

    std::unique_ptr<SimProcess> m_faulty;
    std::unique_ptr<QTimer> m_killer; // see killFaultySimInItsCall
    std::unique_ptr<ScriptedService> m_scripted;
};

// A fault a service call meets, and a part of the message the call then fails with (empty:
// the call succeeds).
struct FaultCase
{
    const char *name;
    FaultFixture::Fault fault;
    QString message;
    // The request left and no answer came: a batch stays "Enviando" until it is released.
    bool unanswered = false;
};

inline void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

// The faults every call meets alike. A well-formed answer without the element the call
// expects fails with `missingElement`, which the caller's step chooses.
std::vector<FaultCase> callFaults(const QString &missingElement);

} // namespace tavro::test
