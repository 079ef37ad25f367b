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

QString ProtocolSummary::retransmissionQuestion(int registros, bool rectifies) const
{
    const QString what = tipo.isEmpty() ? QStringLiteral("protocolo %1").arg(protocolo)
                                        : QStringLiteral("protocolo %1, de %2 (%3)").arg(protocolo, data, tipo);
    const QString rows = registros == 1 ? QStringLiteral("1 registro será enviado")
                                        : QStringLiteral("%1 registros serão enviados").arg(registros);
    const QString how = rectifies ? QStringLiteral("como retificação") : QStringLiteral("num novo lote");
    return QStringLiteral("Retransmitir o %1?\n%2 de novo ao Tavro %3.").arg(what, rows, how);
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
