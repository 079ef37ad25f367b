#include "transmission/StatusWrites.h"

#include "common/Status.h"
#include "db/Database.h"
#include "db/UFunc.h"
#include "lists/ListKinds.h"

namespace tavro {

namespace {

const QString PriorityBelow = QStringLiteral(
    "and (tavrosituacaoPrioridade < :psitprio or tavrosituacaoprioridade is null)");
const QString PriorityAtMost = QStringLiteral(
    "and (tavrosituacaoprioridade <= :psitprio or tavrosituacaoprioridade is null)");

// A status column and its priority column (the same name + "Prioridade"), the priority
// always that of the status.
void setStatus(SqlStatement &query, bool &separator, const QString &column, const QString &situacao)
{
    AlteraCampo(query, separator, column, situacao, QStringLiteral("s"));
    AlteraCampo(query, separator, column + QStringLiteral("Prioridade"), QString::number(PrioridadeSituacao(situacao)),
                QStringLiteral("i"));
}

} // namespace

RecordTable tableForTipo(const QString &tipo)
{
    return knownTableForTipo(tipo).value_or(RecordTable::Conciliacao);
}

std::optional<RecordTable> knownTableForTipo(const QString &tipo)
{
    const std::optional<MovementKind> kind = movementKindOfTipo(tipo);
    if (!kind)
        return std::nullopt;
    return listKind(*kind).table;
}

QString tableName(RecordTable table)
{
    switch (table) {
    case RecordTable::Conciliacao:
        return QStringLiteral("conciliacao");
    case RecordTable::ItensEntradas:
        return QStringLiteral("itensEntradas");
    case RecordTable::ItensSaidas:
        return QStringLiteral("itensSaidas");
    }
    Q_UNREACHABLE();
}

QString updateLine(RecordTable table)
{
    return QStringLiteral("update ") + tableName(table) + QStringLiteral(" set ");
}

RecordKey itemKey(const QString &lancamento, const QString &item)
{
    return RecordKey{{QStringLiteral("where lancamento = :plancamento"), QStringLiteral("and item = :pitem")},
                     {{QStringLiteral("plancamento"), lancamento}, {QStringLiteral("pitem"), item}}};
}

RecordKey stockKey(const QString &lancamento)
{
    return RecordKey{{QStringLiteral("where lancamento = :plancamento")},
                     {{QStringLiteral("plancamento"), lancamento}}};
}

RecordKey recordKeyOf(RecordTable table, const QString &origem)
{
    const QChar separator = QLatin1Char('-');
    if (table == RecordTable::Conciliacao)
        return stockKey(PegaCampo(origem, 1, separator));
    return itemKey(PegaCampo(origem, 1, separator), PegaCampo(origem, 2, separator));
}

void addKey(SqlStatement &query, const RecordKey &key)
{
    for (const QString &line : key.lines)
        query.add(line);
    for (const auto &[name, value] : key.params)
        query.setParam(name, value);
}

bool markRecordSent(Database &db, RecordTable table, const QString &protocolo, const QString &data,
                    const RecordKey &key)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    AlteraCampo(query, separator, QStringLiteral("TavroProtocolo"), protocolo.left(StoredProtocolLength),
                QStringLiteral("s"));
    AlteraCampo(query, separator, QStringLiteral("TavroData"), data.left(StoredProtocolLength), QStringLiteral("s"));
    setStatus(query, separator, QStringLiteral("TavroSituacao"), Situacao::Aguardando);
    addKey(query, key);
    const int changed = db.execute(query);
    return table == RecordTable::Conciliacao ? changed > 0 : changed == 1;
}

int markRecordRecovered(Database &db, RecordTable table, const QString &protocolo, const QString &data,
                        const RecordKey &key)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    const QString stored = protocolo.left(StoredProtocolLength);
    AlteraCampo(query, separator, QStringLiteral("TavroProtocolo"), stored, QStringLiteral("s"));
    AlteraCampo(query, separator, QStringLiteral("TavroData"), data.left(StoredProtocolLength), QStringLiteral("s"));
    setStatus(query, separator, QStringLiteral("TavroSituacao"), Situacao::Aguardando);
    addKey(query, key);
    query.add(QStringLiteral("and (coalesce(TavroProtocolo, '') = '' or char_length(TavroProtocolo) < :ptamanho"));
    query.add(QStringLiteral("  or (char_length(TavroProtocolo) = :ptamanho and TavroProtocolo < :precuperado)"));
    query.add(QStringLiteral("  or (TavroProtocolo = :precuperado"));
    query.add(QStringLiteral("      and (tavrosituacaoprioridade < :psitprio or tavrosituacaoprioridade is null)))"));
    query.setParam(QStringLiteral("ptamanho"), int(stored.size()));
    query.setParam(QStringLiteral("precuperado"), stored);
    query.setParam(QStringLiteral("psitprio"), int(PrioridadeSituacao(Situacao::Aguardando)));
    return db.execute(query);
}

void registerBatch(Database &db, const BatchRegistration &batch)
{
    SqlStatement query;
    query.add(QStringLiteral("insert into TavroProtocolos("));
    query.add(QStringLiteral("values("));
    bool separator = false;
    const QString s = QStringLiteral("s");
    InsereCampo(query, separator, QStringLiteral("Protocolo"), batch.protocolo.left(StoredProtocolLength), s);
    InsereCampo(query, separator, QStringLiteral("Data"), batch.data.left(StoredProtocolLength), s);
    InsereCampo(query, separator, QStringLiteral("DataLancamento"),
                batch.dataLancamento.toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("d"));
    InsereCampo(query, separator, QStringLiteral("Situacao"), Situacao::Aguardando, s);
    InsereCampo(query, separator, QStringLiteral("SituacaoPrioridade"),
                QString::number(PrioridadeSituacao(Situacao::Aguardando)), QStringLiteral("i"));
    InsereCampo(query, separator, QStringLiteral("Tipo"), batch.tipo, s);
    InsereCampo(query, separator, QStringLiteral("cnes"), batch.cnes, s);
    if (!batch.protocoloAntigo.isEmpty())
        InsereCampo(query, separator, QStringLiteral("ProtocoloAntigo"), batch.protocoloAntigo, s);
    query.lines()[0] += QLatin1Char(')');
    query.lines()[1] += QStringLiteral(");");
    db.execute(query);
    db.commit();
}

void raiseRecordsOfProtocol(Database &db, RecordTable table, const QString &protocolo, const QString &situacao,
                            int psitprio)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    setStatus(query, separator, QStringLiteral("TavroSituacao"), situacao);
    query.add(QStringLiteral("where tavroprotocolo = :ptavroprotocolo"));
    query.add(PriorityBelow);
    query.setParam(QStringLiteral("ptavroprotocolo"), protocolo);
    query.setParam(QStringLiteral("psitprio"), psitprio);
    db.execute(query);
}

void raiseReportedRecord(Database &db, RecordTable table, const QString &protocolo, const RecordKey &key,
                         const QString &situacao, const QString &coRegistro, int psitprio)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    setStatus(query, separator, QStringLiteral("TavroSituacao"), situacao);
    AlteraCampo(query, separator, QStringLiteral("TavroCoRegistro"), coRegistro, QStringLiteral("s"));
    addKey(query, key);
    // Issue and dispensation lines are also rewritten at an equal priority.
    query.add(table == RecordTable::ItensSaidas ? PriorityAtMost : PriorityBelow);
    query.add(QStringLiteral("and tavroprotocolo = :ptavroprotocolo"));
    query.setParam(QStringLiteral("psitprio"), psitprio);
    query.setParam(QStringLiteral("ptavroprotocolo"), protocolo);
    db.execute(query);
}

void raiseProtocol(Database &db, const QString &protocolo, const QString &situacao)
{
    SqlStatement query;
    query.add(QStringLiteral("update TavroProtocolos set "));
    bool separator = false;
    setStatus(query, separator, QStringLiteral("Situacao"), situacao);
    query.add(QStringLiteral("where protocolo = :pprotocolo"));
    query.add(QStringLiteral("and (situacaoprioridade < :psitprio or situacaoprioridade is null)"));
    query.setParam(QStringLiteral("pprotocolo"), protocolo);
    query.setParam(QStringLiteral("psitprio"), int(PrioridadeSituacao(situacao)));
    db.execute(query);
}

void storeRegistrationCode(Database &db, RecordTable table, const QString &protocolo, const RecordKey &key,
                           const QString &coRegistro)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    AlteraCampo(query, separator, QStringLiteral("TavroCoRegistro"), coRegistro, QStringLiteral("s"));
    addKey(query, key);
    query.add(QStringLiteral("and tavroprotocolo = :ptavroprotocolo"));
    query.setParam(QStringLiteral("ptavroprotocolo"), protocolo);
    db.execute(query);
}

void moveRectifiedRecord(Database &db, RecordTable table, const QString &protocoloAntigo, const RecordKey &key,
                         const QString &protocolo, const QString &data, const QString &coRegistro)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    const QString s = QStringLiteral("s");
    AlteraCampo(query, separator, QStringLiteral("TavroProtocolo"), protocolo, s);
    AlteraCampo(query, separator, QStringLiteral("TavroData"), data, s);
    AlteraCampo(query, separator, QStringLiteral("TavroCoRegistro"), coRegistro, s);
    addKey(query, key);
    query.add(QStringLiteral("and tavroprotocolo = :pprotocoloantigo"));
    query.setParam(QStringLiteral("pprotocoloantigo"), protocoloAntigo);
    db.execute(query);
}

void markProtocolRectified(Database &db, const QString &protocoloAntigo)
{
    SqlStatement query;
    query.add(QStringLiteral("update TavroProtocolos set "));
    bool separator = false;
    setStatus(query, separator, QStringLiteral("Situacao"), Situacao::OkRetificado);
    query.add(QStringLiteral("where protocolo = :pprotocolo"));
    query.setParam(QStringLiteral("pprotocolo"), protocoloAntigo);
    db.execute(query);
}

} // namespace tavro
