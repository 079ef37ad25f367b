#include "transmission/ProtocolSummary.h"

#include "db/Database.h"
#include "db/SqlStatement.h"

namespace tavro {

QString ProtocolSummary::descricao() const
{
    if (tipo.isEmpty())
        return protocolo;
    return QStringLiteral("%1 - %2 - %3").arg(protocolo, data, tipo);
}

QString ProtocolSummary::retransmissionQuestion(int registros) const
{
    const QString what = tipo.isEmpty() ? QStringLiteral("protocolo %1").arg(protocolo)
                                        : QStringLiteral("protocolo %1, de %2 (%3)").arg(protocolo, data, tipo);
    const QString rows = registros == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(registros);
    return QStringLiteral("Retransmitir o %1?\n%2 serão enviados de novo ao Tavro como retificação.").arg(what, rows);
}

ProtocolSummary summarizeProtocol(Database &db, const QString &protocolo)
{
    ProtocolSummary summary{protocolo, QString(), QString()};
    if (protocolo.isEmpty())
        return summary;
    SqlStatement query{QStringLiteral("select Data, Tipo from TavroProtocolos where Protocolo = :pprotocolo")};
    query.setParam(QStringLiteral("pprotocolo"), protocolo);
    SqlCursor cursor = db.select(query);
    if (cursor.next()) {
        summary.data = cursor.text(0).trimmed();
        summary.tipo = cursor.text(1).trimmed();
    }
    cursor.close();
    return summary;
}

QList<ProtocolSummary> summarizeProtocols(Database &db, const QStringList &protocolos)
{
    QList<ProtocolSummary> summaries;
    summaries.reserve(protocolos.size());
    for (const QString &protocolo : protocolos)
        summaries.append(summarizeProtocol(db, protocolo));
    return summaries;
}

} // namespace tavro
