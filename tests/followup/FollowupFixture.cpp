#include "FollowupFixture.h"

#include "transmission/StatusWrites.h"

namespace tavro::test {

namespace {

// The condition that picks a record by its local key.
QString whereKey(const QString &tipo, const QString &key)
{
    QString where = QStringLiteral("lancamento = %1").arg(key.section(QLatin1Char('-'), 0, 0));
    if (kindOfTipo(tipo) != MovementKind::Estoque)
        where += QStringLiteral(" and item = %1").arg(key.section(QLatin1Char('-'), 1, 1));
    return where;
}

} // namespace

FollowupFixture::FollowupFixture()
{
    m_db.open(m_fixture.path());
    m_db.startTransaction();
}

void FollowupFixture::startSim(const QStringList &arguments)
{
    m_sim = std::make_unique<SimProcess>(simArguments(m_login, arguments));
    useServer(localOrigin(m_sim->port()));
}

void FollowupFixture::useUnreachableService()
{
    useServer(localOrigin(unusedPort()));
}

void FollowupFixture::useServer(const QString &origin)
{
    m_client = makeClient(m_transport, origin, m_logs.path(), m_login, 30);
    m_sender = std::make_unique<BatchSender>(m_db, *m_client);
    m_checks = std::make_unique<ProtocolFollowup>(m_db, *m_client, [this](const QString &line) { m_lines << line; });
}

QString FollowupFixture::processamento(const QString &protocolo)
{
    const QStringList c = registryCells(m_fixture, protocolo);
    return m_checks->ProtocolosVerificarProcessamento(c[0], c[1], c[2], c[3], c[4]);
}

QString FollowupFixture::inconsistencia(const QString &protocolo)
{
    const QStringList c = registryCells(m_fixture, protocolo);
    return m_checks->ProtocolosVerificarInconsistencia(c[0], c[1], c[2], c[3], c[4]);
}

QStringList FollowupFixture::record(const QString &tipo, const QString &key) const
{
    const QList<QStringList> rows = m_fixture.rows(
        QStringLiteral("select TavroSituacao, TavroSituacaoPrioridade, TavroProtocolo, TavroCoRegistro, TavroData "
                       "from %1 where %2")
            .arg(tableName(kindOfTipo(tipo)), whereKey(tipo, key)));
    return rows.value(0);
}

void FollowupFixture::setRecord(const QString &tipo, const QString &key, const QString &assignments) const
{
    m_fixture.exec(
        QStringLiteral("update %1 set %2 where %3").arg(tableName(kindOfTipo(tipo)), assignments, whereKey(tipo, key)));
}

QStringList FollowupFixture::protocolRow(const QString &protocolo) const
{
    return m_fixture
        .rows(QStringLiteral("select Situacao, SituacaoPrioridade from TavroProtocolos where Protocolo = '%1'")
                  .arg(protocolo))
        .value(0);
}

} // namespace tavro::test
