#include "FaultFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

namespace tavro::test {

namespace {

const QByteArray EnvelopeStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope "
                                 "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>";
const QByteArray EnvelopeEnd = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
const QByteArray ProtocolAnswer = EnvelopeStart
    + "<tav:protocolo xmlns:tav=\"urn:tavro-test/tavro-ws/schemas/v1/TavroTypes\"><nuProtocoloEntrada>900000000001"
      "</nuProtocoloEntrada><dtRecebimento>10-12-2026 08:00:00</dtRecebimento></tav:protocolo>"
    + EnvelopeEnd;

const QStringList Tables{QStringLiteral("conciliacao"), QStringLiteral("itensentradas"), QStringLiteral("itenssaidas")};

QString keyExpression(const QString &table)
{
    return table == QLatin1String("conciliacao") ? QStringLiteral("cast(lancamento as varchar(20))")
                                                 : QStringLiteral("lancamento || '-' || item");
}

QStringList joinedRows(const QList<QStringList> &rows)
{
    QStringList values;
    for (const QStringList &row : rows)
        values << row.join(QLatin1Char('|'));
    return values;
}

// Records of the table that carry a registered protocol, by key.
QSet<QString> sentKeys(const TestDatabase &fixture, const QString &table)
{
    QSet<QString> keys;
    for (const QStringList &row :
         fixture.rows(QStringLiteral("select %1 from %2 r where trim(r.TavroProtocolo) <> '' and exists "
                                     "(select 1 from TavroProtocolos p where p.Protocolo = r.TavroProtocolo)")
                          .arg(keyExpression(table), table)))
        keys.insert(row[0]);
    return keys;
}

// The records a healthy click of the kind sends on an untouched demo database.
QSet<QString> referenceSentRecords(const KindCase &kind, const TransmissionInput &input)
{
    static QHash<QString, QSet<QString>> cache;
    if (cache.contains(kind.name))
        return cache.value(kind.name);
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    SimProcess sim(simArguments(TestLogin));
    QTemporaryDir logs;
    HttpTransport transport;
    const std::unique_ptr<SoapClient> client = makeClient(transport, localOrigin(sim.port()), logs.path(), TestLogin);
    std::unique_ptr<RecordList> list(newMovementList(kind.list, nullptr));
    fillMovementList(db, clerkSearch(kind.list, input), *list);
    SendObserver quiet;
    const SendOutcome outcome = transmit(db, *client, *list, sendRequest(kind.kind, input), quiet);
    EXPECT_EQ(outcome.end, SendOutcome::End::AllSent) << outcome.mensagem.toStdString();
    return cache[kind.name] = sentKeys(fixture, kind.table);
}

} // namespace

FaultFixture::FaultFixture(const QString &templateName)
    : TransmissionSetup(templateName)
{
}

void FaultFixture::useService(const QStringList &arguments)
{
    if (!sim)
        sim = std::make_unique<SimProcess>(simArguments(TestLogin, arguments));
    useOrigin(localOrigin(sim->port()));
}

void FaultFixture::useFaultySim(const QStringList &arguments, int tempoLimite)
{
    m_faulty = std::make_unique<SimProcess>(simArguments(TestLogin, arguments));
    useOrigin(localOrigin(m_faulty->port()), tempoLimite);
}

void FaultFixture::useUnreachableService()
{
    useOrigin(localOrigin(unusedPort()));
}

void FaultFixture::useOrigin(const QString &origin, int tempoLimite)
{
    // Each log gets its own second, so no request of a test overwrites another's log.
    client = test::makeClient(transport, origin, logFolder, TestLogin, tempoLimite,
                              [this] { return now = now.addSecs(1); });
}

void FaultFixture::killFaultySimInItsCall()
{
    // The call waits in a local event loop, where this timer fires.
    m_killer = std::make_unique<QTimer>();
    QObject::connect(m_killer.get(), &QTimer::timeout, m_killer.get(), [this] {
        if (!m_faulty || !m_faulty->requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty()) {
            m_faulty.reset();
            m_killer->stop();
        }
    });
    m_killer->start(50);
}

void FaultFixture::useScripted(const ScriptedService::Answer &call, std::optional<ScriptedService::Answer> description,
                               int tempoLimite)
{
    m_scripted = std::make_unique<ScriptedService>();
    m_scripted->setCallAnswer(call);
    if (description)
        m_scripted->setDescription(*description);
    useOrigin(m_scripted->origin(), tempoLimite);
}

void FaultFixture::useFaultyService(Fault fault)
{
    ScriptedService::Answer answer;
    switch (fault) {
    case Fault::Refused:
        return useUnreachableService();
    case Fault::DescriptionRefused:
        answer.status = 503;
        answer.contentType = "text/html";
        answer.body = "<html><body>Service Unavailable</body></html>";
        return useScripted(ScriptedService::Answer{200, "text/xml", ProtocolAnswer, false}, answer);
    case Fault::HttpError:
        return useFaultySim({QStringLiteral("--falha-status"), QStringLiteral("503"), QStringLiteral("--falha-texto"),
                             QStringLiteral("Service Unavailable")});
    case Fault::SoapFault:
        return useFaultySim({QStringLiteral("--falha-fault"), QStringLiteral("Falha interna do serviço")});
    case Fault::HtmlPage:
        return useFaultySim({QStringLiteral("--falha-html")});
    case Fault::WrongRoot:
        return useFaultySim({QStringLiteral("--falha-raiz")});
    case Fault::Malformed:
        answer.body = ProtocolAnswer.left(ProtocolAnswer.indexOf("</nuProtocolo")) + "</tav:protocolo>";
        return useScripted(answer);
    case Fault::CutOff:
        answer.body = ProtocolAnswer.left(ProtocolAnswer.size() / 2);
        answer.cut = true;
        return useScripted(answer);
    case Fault::Stalled:
        answer.body = ProtocolAnswer.left(ProtocolAnswer.size() / 2);
        answer.stall = true;
        return useScripted(answer, std::nullopt, 1);
    case Fault::EmptyBody:
        answer.body = EnvelopeStart + EnvelopeEnd;
        return useScripted(answer);
    case Fault::OtherElement:
        answer.body = EnvelopeStart + "<tav:outro xmlns:tav=\"urn:tavro-test\"><texto>?</texto></tav:outro>"
            + EnvelopeEnd;
        return useScripted(answer);
    case Fault::Slow:
        return useFaultySim({QStringLiteral("--atraso"), QStringLiteral("1500")}, 5);
    case Fault::Silent:
        return useFaultySim({QStringLiteral("--silencio")}, 1);
    case Fault::Killed:
        useFaultySim({QStringLiteral("--silencio")});
        return killFaultySimInItsCall();
    case Fault::LogFolderIsAFile: {
        // Permissions do not stop root, a file in the folder's place does.
        QDir(logFolder).removeRecursively();
        QFile file(logFolder);
        file.open(QIODevice::WriteOnly);
        return useService();
    }
    }
}

RecordList &FaultFixture::fill(const KindCase &kind)
{
    // The stock list leaves its reading transaction active, which would not see what a case
    // changed since.
    db.restartTransaction();
    return TransmissionSetup::fill(kind.list);
}

QString FaultFixture::sendFirstBatch(const KindCase &kind, int lote)
{
    useService();
    fill(kind);
    input.loteMaximo = lote;
    const SendOutcome outcome = click(kind.kind, 1);
    input.loteMaximo = 500;
    EXPECT_EQ(runEnds(outcome), RunEnds{RunResult::End::Sent}) << outcome.mensagem.toStdString();
    return report.retornos.value_or(QStringList()).value(0);
}

FaultFixture::Snapshot FaultFixture::snapshot() const
{
    Snapshot s;
    for (const QString &table : Tables) {
        const QList<QStringList> rows = fixture.rows(
            QStringLiteral("select %1, coalesce(TavroSituacaoPrioridade, 0), coalesce(TavroProtocolo, '') from %2")
                .arg(keyExpression(table), table));
        for (const QStringList &row : rows) {
            s.recordPriorities.insert(table + QLatin1Char(':') + row[0], row[1].toInt());
            s.recordProtocols.insert(table + QLatin1Char(':') + row[0], row[2]);
        }
    }
    for (const QStringList &row :
         // A batch the service never held keeps its row, as "Não enviado", for the record only.
         fixture.rows(QStringLiteral("select Protocolo, coalesce(SituacaoPrioridade, 0) from TavroProtocolos "
                                     "where Situacao is distinct from 'Não enviado'")))
        s.protocolPriorities.insert(row[0], row[1].toInt());
    return s;
}

void FaultFixture::expectConsistent(const Snapshot &before) const
{
    // `select` picks records of table %2 (key %1) that break a rule: there must be none.
    const auto expectNoRecords = [this](const QString &select, const char *broken) {
        for (const QString &table : Tables)
            EXPECT_EQ(joinedRows(fixture.rows(select.arg(keyExpression(table), table))), QStringList())
                << "records of " << table.toStdString() << " " << broken;
    };
    expectNoRecords(QStringLiteral("select %1, TavroProtocolo, TavroSituacao from %2 r "
                                   "where (r.TavroProtocolo is not null or r.TavroSituacao is not null) "
                                   "and (trim(r.TavroProtocolo) = '' or not exists "
                                   "(select 1 from TavroProtocolos p where p.Protocolo = r.TavroProtocolo))"),
                    "marked sent without a registry row");
    // A batch on its way holds its records "Enviando" under its provisional protocol, and
    // only such a batch does.
    expectNoRecords(
        QStringLiteral("select %1, TavroProtocolo from %2 r where coalesce(r.TavroSituacao = 'Enviando', "
                       "false) is distinct from exists (select 1 from TavroProtocolos p where "
                       "p.Protocolo = r.TavroProtocolo and p.Situacao in ('Preparando', 'Enviando', 'Sem resposta'))"),
        "held or freed apart from their batch on its way");
    // A rectified protocol gives its records to the rectifying one; a released batch, or one the
    // service never held, gave its records back.
    EXPECT_EQ(joinedRows(fixture.rows(
                  QStringLiteral("select Protocolo, Tipo from TavroProtocolos p where Situacao not in "
                                 "('Ok-Retificado', 'Liberado', 'Não enviado') "
                                 "and not exists (select 1 from conciliacao r where r.TavroProtocolo = p.Protocolo) "
                                 "and not exists (select 1 from itensentradas r where r.TavroProtocolo = p.Protocolo) "
                                 "and not exists (select 1 from itenssaidas r where r.TavroProtocolo = p.Protocolo)"))),
              QStringList())
        << "registry rows without records";

    const Snapshot after = snapshot();
    for (auto it = before.recordPriorities.cbegin(); it != before.recordPriorities.cend(); ++it) {
        // A new batch that took the record again starts it anew under its own protocol.
        const QString protocol = after.recordProtocols.value(it.key());
        const bool takenByNewBatch = protocol != before.recordProtocols.value(it.key())
            && after.protocolPriorities.contains(protocol) && !before.protocolPriorities.contains(protocol);
        if (!takenByNewBatch) {
            EXPECT_GE(after.recordPriorities.value(it.key()), it.value()) << "status of " << it.key().toStdString();
        }
    }
    for (auto it = before.protocolPriorities.cbegin(); it != before.protocolPriorities.cend(); ++it)
        EXPECT_GE(after.protocolPriorities.value(it.key()), it.value())
            << "status of protocol " << it.key().toStdString();
}

void FaultFixture::expectListShowsDatabase(const KindCase &kind) const
{
    QHash<QString, QString> stored;
    for (const QStringList &row :
         fixture.rows(QStringLiteral("select %1, coalesce(TavroProtocolo, ''), coalesce(TavroData, ''), "
                                     "coalesce(TavroSituacao, '') from %2")
                          .arg(keyExpression(kind.table), kind.table)))
        stored.insert(row[0], row.mid(1).join(QLatin1Char('|')));
    const TransmissionCells cells = kind.make()->cells();
    ASSERT_GT(list->rowCount(), 0);
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString caption = list->caption(row);
        const QString shown = QStringList{list->subCell(row, cells.protocolo), list->subCell(row, cells.data),
                                          list->subCell(row, cells.situacao)}
                                  .join(QLatin1Char('|'));
        // A record gone since the search holds nothing.
        EXPECT_EQ(shown, stored.value(caption, QStringLiteral("||")))
            << kind.name.toStdString() << " row " << caption.toStdString();
        EXPECT_EQ(list->subCell(row, cells.gravar), QString()) << caption.toStdString();
    }
}

std::unique_ptr<ServerProxy> FaultFixture::serverBehindProxy()
{
    const QString server = testServer();
    if (server.isEmpty())
        return nullptr;
    fixture.useServer(server);
    auto proxy = std::make_unique<ServerProxy>(quint16(server.section(QLatin1Char('/'), 1).toUInt()));
    db.open(QStringLiteral("127.0.0.1/%1:%2").arg(proxy->port()).arg(fixture.path()));
    return proxy;
}

void FaultFixture::expectNextRunSendsTheRest(const KindCase &kind)
{
    const QSet<QString> reference = referenceSentRecords(kind, input);
    ASSERT_FALSE(reference.isEmpty());
    useService();
    fill(kind);
    const SendOutcome outcome = click(kind.kind);
    EXPECT_EQ(outcome.end, SendOutcome::End::AllSent) << outcome.mensagem.toStdString();
    EXPECT_EQ(sentKeys(fixture, kind.table), reference) << kind.name.toStdString();
}

std::vector<FaultCase> callFaults(const QString &missingElement)
{
    using Fault = FaultFixture::Fault;
    return {
        {"Refused", Fault::Refused, QStringLiteral("Connection refused")},
        {"DescriptionRefused", Fault::DescriptionRefused, QStringLiteral("(503)")},
        {"HttpError", Fault::HttpError, QStringLiteral("Service Unavailable (503)")},
        {"SoapFault", Fault::SoapFault, QStringLiteral("Falha interna do serviço")},
        // An answer that is not the service's may come from a gateway that lost the service's own.
        {"HtmlPage", Fault::HtmlPage, QStringLiteral("SOAP expects \"text/xml\""), true},
        {"WrongRoot", Fault::WrongRoot, QStringLiteral("DocumentElement"), true},
        {"Malformed", Fault::Malformed, QStringLiteral("tag mismatch"), true},
        // A transfer failure, not a malformed answer: the network's text, endpoint and action.
        {"CutOff", Fault::CutOff, QStringLiteral("/async - SOAPAction:tav:"), true},
        {"EmptyBody", Fault::EmptyBody, missingElement, true},
        {"OtherElement", Fault::OtherElement, missingElement, true},
        {"Silent", Fault::Silent, QStringLiteral("tempo limite (1 s)"), true},
        {"Stalled", Fault::Stalled, QStringLiteral("O serviço não respondeu dentro do tempo limite (1 s) - URL:"),
         true},
        // The connection closes after the request went: a failure, never a second post.
        {"Killed", Fault::Killed, ClosedUnanswered, true},
        {"LogFolderIsAFile", Fault::LogFolderIsAFile,
         QStringLiteral("Não foi possível gravar o log do pedido na pasta")},
    };
}

} // namespace tavro::test
