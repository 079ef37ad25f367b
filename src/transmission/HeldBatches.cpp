#include "transmission/HeldBatches.h"

#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "transmission/StatusWrites.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace tavro {

namespace {

const QString DataFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

int recordsOf(Database &db, const QString &tipo, const QString &protocolo)
{
    SqlStatement query{QStringLiteral("select count(*) from ") + tableName(kindOfTipo(tipo)),
                       QStringLiteral("where TavroProtocolo = :pprovisorio")};
    query.setParam(QStringLiteral("pprovisorio"), protocolo);
    SqlCursor cursor = db.select(query);
    return cursor.next() ? cursor.value(0).toInt() : 0;
}

// A time of today as the clock reads it; another day with its date.
QString momentText(const QDateTime &moment)
{
    return moment.date() == QDate::currentDate() ? moment.toString(QStringLiteral("HH:mm"))
                                                 : moment.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

} // namespace

QDateTime HeldBatch::releasableFrom(int unansweredAfter) const
{
    return QDateTime::fromString(data, DataFormat).addSecs(unansweredAfter);
}

int HeldRecords::registros() const
{
    int total = 0;
    for (const HeldBatch &batch : lotes)
        total += batch.registros;
    return total;
}

QMap<QString, int> HeldRecords::porSituacao() const
{
    QMap<QString, int> counts;
    for (const HeldBatch &batch : lotes)
        counts[batch.situacao] += batch.registros;
    return counts;
}

QMap<QString, int> HeldRecords::porTipo() const
{
    QMap<QString, int> counts;
    for (const HeldBatch &batch : lotes)
        counts[batch.tipo] += batch.registros;
    return counts;
}

QString HeldRecords::text() const
{
    const int total = registros();
    if (total == 0)
        return QString();
    int unanswered = 0;
    for (const HeldBatch &batch : lotes) {
        if (batch.situacao == Situacao::SemResposta)
            ++unanswered;
    }
    const QString state = unanswered == lotes.size() ? QStringLiteral("sem resposta")
        : unanswered == 0                            ? QStringLiteral("aguardando resposta")
                                                     : QStringLiteral("aguardando ou sem resposta");
    return QStringLiteral("%1 %2 em %3 %4")
        .arg(total)
        .arg(total == 1 ? QStringLiteral("registro retido") : QStringLiteral("registros retidos"))
        .arg(lotes.size())
        .arg((lotes.size() == 1 ? QStringLiteral("lote ") : QStringLiteral("lotes ")) + state);
}

HeldRecords heldRecords(Database &db, const QString &cnes, const QString &tipo)
{
    SqlStatement query{QStringLiteral("select Protocolo, Data, Tipo, Situacao, cnes from TavroProtocolos"),
                       QStringLiteral("where Protocolo starting with :pprefixo")};
    query.add(QStringLiteral("and ") + heldCondition(QStringLiteral("Situacao")));
    query.setParam(QStringLiteral("pprefixo"), ProvisionalPrefix);
    if (!cnes.isEmpty()) {
        query.add(QStringLiteral("and cnes = :pcnes"));
        query.setParam(QStringLiteral("pcnes"), cnes);
    }
    if (!tipo.isEmpty()) {
        query.add(QStringLiteral("and Tipo = :ptipo"));
        query.setParam(QStringLiteral("ptipo"), tipo);
    }
    query.add(QStringLiteral("order by Lancamento"));

    HeldRecords records;
    const ReadSnapshot snapshot(db);
    {
        SqlCursor cursor = db.select(query);
        while (cursor.next())
            records.lotes.append({cursor.text(0), cursor.text(1), cursor.text(2), cursor.text(3), cursor.text(4)});
    }
    for (HeldBatch &batch : records.lotes)
        batch.registros = recordsOf(db, batch.tipo, batch.protocolo);
    return records;
}

bool ReleasedBatch::sent(const QString &origem) const
{
    // The key stands alone as an element's text in the request.
    return !origem.isEmpty() && requestLog.contains(QByteArray(">" + origem.toUtf8() + "<"));
}

QList<ReleasedBatch> releasedBatches(Database &db, const QString &logFolder, const QString &tipo)
{
    SqlStatement query{QStringLiteral("select Protocolo, Data from TavroProtocolos"),
                       QStringLiteral("where Protocolo starting with :pprefixo and Situacao = :pliberado"),
                       QStringLiteral("and Tipo = :ptipo order by Lancamento")};
    query.setParam(QStringLiteral("pprefixo"), ProvisionalPrefix);
    query.setParam(QStringLiteral("pliberado"), Situacao::Liberado);
    query.setParam(QStringLiteral("ptipo"), tipo);
    QList<ReleasedBatch> batches;
    SqlCursor cursor = db.select(query);
    while (cursor.next())
        batches.append({cursor.text(0), cursor.text(1), {}});
    cursor.close();
    for (ReleasedBatch &batch : batches) {
        QFile log(QDir(logFolder).filePath(batch.protocolo + QStringLiteral("_req.xml")));
        if (log.open(QIODevice::ReadOnly))
            batch.requestLog = log.readAll();
    }
    return batches;
}

QString heldBatchAdvice(const HeldBatch &batch, int unansweredAfter)
{
    const QString heading = QStringLiteral("Lote %1 (%2), %3 em %4, %5 registro(s) retido(s).")
                                .arg(batch.protocolo, batch.tipo,
                                     batch.situacao == Situacao::Preparando ? QStringLiteral("preparado")
                                                                            : QStringLiteral("enviado"),
                                     batch.data)
                                .arg(batch.registros);
    QString advice;
    if (batch.situacao == Situacao::Preparando) {
        advice = QStringLiteral(
            "Ainda não saiu para o serviço: seus registros voltam ao envio na próxima verificação.");
    } else if (batch.situacao == Situacao::Enviando) {
        advice = QStringLiteral("Aguardando a resposta do serviço. Se ela não chegar, o lote poderá ser liberado "
                                "para reenvio a partir de %1.")
                     .arg(momentText(batch.releasableFrom(unansweredAfter)));
    } else {
        advice = QStringLiteral("Sem resposta do serviço, que pode já ter recebido o lote. Para enviar os registros "
                                "de novo, use \"Liberar para reenvio\"; uma cópia que o serviço já tinha volta como "
                                "\"Ok (Inc.)\".");
    }
    return heading + QLatin1Char('\n') + advice;
}

QString notYetReleasableMessage(const HeldBatch &batch, int unansweredAfter)
{
    return QStringLiteral("Lote %1 ainda aguardando resposta; poderá ser liberado a partir de %2.")
        .arg(batch.protocolo, momentText(batch.releasableFrom(unansweredAfter)));
}

} // namespace tavro
