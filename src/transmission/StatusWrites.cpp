#include "transmission/StatusWrites.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/UFunc.h"
#include "lists/ListKinds.h"

#include <QRandomGenerator>

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

QString tableName(MovementKind table)
{
    return kindFacts(table).table;
}

QString updateLine(MovementKind table)
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

RecordKey recordKeyOf(MovementKind table, const QString &origem)
{
    const QChar separator = QLatin1Char('-');
    if (kindFacts(table).keyFields == 1)
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

bool markRecordSent(Database &db, MovementKind table, const QString &protocolo, const QString &data,
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
    return kindFacts(table).keyFields == 1 ? changed > 0 : changed == 1;
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
}

BlockPart provisionalRegistryInsert(const BatchRegistration &batch)
{
    // The registry's own serial makes the id unique among the stations of this database; the
    // random part keeps apart the logs of two databases that share a log folder.
    const QString suffix
        = QString::number(QRandomGenerator::system()->generate() & 0xffffff, 16).rightJustified(6, QLatin1Char('0'));
    BlockPart part;
    part.parameters = QStringList{QStringLiteral("pdatalancamento date = :pdatalancamento"),
                                  QStringLiteral("psituacao varchar(40) = :psituacao"),
                                  QStringLiteral("psitprio integer = :psitprio"),
                                  QStringLiteral("ptipo varchar(40) = :ptipo"),
                                  QStringLiteral("pcnes varchar(40) = :pcnes"),
                                  QStringLiteral("pprotocoloantigo varchar(40) = :pprotocoloantigo"),
                                  QStringLiteral("pprefixo varchar(10) = :pprefixo"),
                                  QStringLiteral("psufixo varchar(10) = :psufixo")};
    part.declarations = QStringList{QStringLiteral("declare variable lancamento integer;")};
    // Inside a block a variable is written :"NAME", which the statement's own named
    // parameters (:name) leave alone.
    part.statements = QStringList{
        // The database's clock, the one every station's age of a batch is measured against.
        QStringLiteral("  data = substring(cast(current_timestamp as varchar(30)) from 1 for 19);"),
        QStringLiteral(
            "  insert into TavroProtocolos (Data, DataLancamento, Situacao, SituacaoPrioridade, Tipo, cnes,"),
        QStringLiteral("    ProtocoloAntigo) values (:\"DATA\", :\"PDATALANCAMENTO\", :\"PSITUACAO\", :\"PSITPRIO\","),
        QStringLiteral("    :\"PTIPO\", :\"PCNES\", nullif(:\"PPROTOCOLOANTIGO\", ''))"),
        QStringLiteral("    returning Lancamento into :\"LANCAMENTO\";"),
        QStringLiteral("  protocolo = pprefixo || lancamento || '-' || psufixo;"),
        QStringLiteral("  update TavroProtocolos set Protocolo = :\"PROTOCOLO\" where Lancamento = :\"LANCAMENTO\";")};
    part.values = {{QStringLiteral("pdatalancamento"), batch.dataLancamento},
                   {QStringLiteral("psituacao"), Situacao::Preparando},
                   {QStringLiteral("psitprio"), int(PrioridadeSituacao(Situacao::Preparando))},
                   {QStringLiteral("ptipo"), batch.tipo},
                   {QStringLiteral("pcnes"), batch.cnes},
                   {QStringLiteral("pprotocoloantigo"), batch.protocoloAntigo},
                   {QStringLiteral("psufixo"), suffix},
                   {QStringLiteral("pprefixo"), ProvisionalPrefix}};
    return part;
}

namespace {

const QString UnresolvedCondition = QStringLiteral("and Situacao in (:ppreparando, :penviando, :psemresposta)");

void setUnresolved(SqlStatement &query)
{
    query.setParam(QStringLiteral("ppreparando"), Situacao::Preparando);
    query.setParam(QStringLiteral("penviando"), Situacao::Enviando);
    query.setParam(QStringLiteral("psemresposta"), Situacao::SemResposta);
}

// Runs `update`, a statement that changes at most one registry row, and tells whether it
// changed one, in one request: the row it returns is the changed row's, or nulls.
bool changedRegistryRow(Database &db, SqlStatement &update)
{
    update.add(QStringLiteral("returning Lancamento"));
    SqlCursor cursor = db.selectRow(update);
    return cursor.next() && !cursor.value(0).isNull();
}

// Moves the registry row of a batch not yet resolved to `situacao` ("Liberado", "Não enviado"),
// forgetting the chosen protocol its records went back to; true when it changed.
bool closeRegistryRow(Database &db, const QString &provisorio, const QString &situacao)
{
    SqlStatement registry{QStringLiteral("update TavroProtocolos set ")};
    bool separator = false;
    setStatus(registry, separator, QStringLiteral("Situacao"), situacao);
    registry.add(QStringLiteral(",ProtocoloAntigo = null"));
    registry.add(QStringLiteral("where Protocolo = :pprovisorio"));
    registry.add(UnresolvedCondition);
    registry.setParam(QStringLiteral("pprovisorio"), provisorio);
    setUnresolved(registry);
    return changedRegistryRow(db, registry);
}

} // namespace

std::optional<int> recordAnswer(Database &db, MovementKind table, const QString &provisorio, const QString &protocolo,
                                const QString &data, bool rectifies)
{
    // One block, so the registry row and the records cost one request: the records move only
    // when the registry row did. Inside it a variable is written :"NAME".
    SqlStatement block{
        QStringLiteral(
            "execute block (pprovisorio varchar(100) = :pprovisorio, pprotocolo varchar(100) = :pprotocolo,"),
        QStringLiteral(
            "  pdata varchar(100) = :pdata, psituacao varchar(40) = :psituacao, psitprio integer = :psitprio,"),
        QStringLiteral("  pesquece integer = :pesquece, ppreparando varchar(40) = :ppreparando,"),
        QStringLiteral("  penviando varchar(40) = :penviando, psemresposta varchar(40) = :psemresposta)"),
        QStringLiteral("returns (registro integer, registros integer)"), QStringLiteral("as"), QStringLiteral("begin"),
        QStringLiteral("  registros = 0;"),
        QStringLiteral("  update TavroProtocolos set Protocolo = :\"PPROTOCOLO\", Data = :\"PDATA\","),
        QStringLiteral("    Situacao = :\"PSITUACAO\", SituacaoPrioridade = :\"PSITPRIO\","),
        // The row kept the chosen protocol so a release can give its records back; only a
        // rectification names it once the batch is accepted.
        QStringLiteral("    ProtocoloAntigo = iif(:\"PESQUECE\" = 1, null, ProtocoloAntigo)"),
        QStringLiteral("    where Protocolo = :\"PPROVISORIO\""),
        QStringLiteral("    and Situacao in (:\"PPREPARANDO\", :\"PENVIANDO\", :\"PSEMRESPOSTA\");"),
        QStringLiteral("  registro = row_count;"), QStringLiteral("  if (registro > 0) then"),
        QStringLiteral("  begin"),
        QStringLiteral("    ") + updateLine(table) + QStringLiteral("TavroProtocolo = :\"PPROTOCOLO\","),
        QStringLiteral("      TavroData = :\"PDATA\", TavroSituacao = :\"PSITUACAO\","),
        QStringLiteral("      TavroSituacaoPrioridade = :\"PSITPRIO\" where TavroProtocolo = :\"PPROVISORIO\";"),
        QStringLiteral("    registros = row_count;"), QStringLiteral("  end"), QStringLiteral("  suspend;"),
        QStringLiteral("end")};
    block.setParam(QStringLiteral("pprovisorio"), provisorio);
    block.setParam(QStringLiteral("pprotocolo"), protocolo.left(StoredProtocolLength));
    block.setParam(QStringLiteral("pdata"), data.left(StoredProtocolLength));
    block.setParam(QStringLiteral("psituacao"), Situacao::Aguardando);
    block.setParam(QStringLiteral("psitprio"), int(PrioridadeSituacao(Situacao::Aguardando)));
    block.setParam(QStringLiteral("pesquece"), rectifies ? 0 : 1);
    setUnresolved(block);
    SqlCursor cursor = db.selectRow(block);
    if (!cursor.next() || cursor.value(0).toInt() == 0)
        return std::nullopt; // resolved or released meanwhile: its records may be on their way again
    return cursor.value(1).toInt();
}

bool releaseBatch(Database &db, MovementKind table, const QString &provisorio, const QString &protocoloAntigo,
                  const QString &situacao)
{
    if (!closeRegistryRow(db, provisorio, situacao))
        return false;
    SqlStatement records{updateLine(table)};
    bool separator = false;
    if (protocoloAntigo.isEmpty()) {
        records.add(QStringLiteral("TavroProtocolo = null, TavroData = null, TavroSituacao = null, "
                                   "TavroSituacaoPrioridade = null"));
    } else {
        // The "Ok" records of a chosen protocol go back to it, as they were before the batch.
        AlteraCampo(records, separator, QStringLiteral("TavroProtocolo"), protocoloAntigo, QStringLiteral("s"));
        records.add(QStringLiteral(",TavroData = (select first 1 Data from TavroProtocolos "
                                   "where Protocolo = :pTavroProtocolo)"));
        setStatus(records, separator, QStringLiteral("TavroSituacao"), Situacao::Ok);
    }
    records.add(QStringLiteral("where TavroProtocolo = :pprovisorio"));
    records.setParam(QStringLiteral("pprovisorio"), provisorio);
    db.execute(records);
    return true;
}

bool markPosting(Database &db, const QString &provisorio)
{
    SqlStatement registry{QStringLiteral("update TavroProtocolos set ")};
    bool separator = false;
    setStatus(registry, separator, QStringLiteral("Situacao"), Situacao::Enviando);
    registry.add(QStringLiteral("where Protocolo = :pprovisorio and Situacao = :ppreparando"));
    registry.setParam(QStringLiteral("pprovisorio"), provisorio);
    registry.setParam(QStringLiteral("ppreparando"), Situacao::Preparando);
    return changedRegistryRow(db, registry);
}

bool markNotSent(Database &db, const QString &provisorio)
{
    return closeRegistryRow(db, provisorio, Situacao::NaoEnviado);
}

bool markUnanswered(Database &db, const QString &provisorio)
{
    SqlStatement registry{QStringLiteral("update TavroProtocolos set ")};
    bool separator = false;
    setStatus(registry, separator, QStringLiteral("Situacao"), Situacao::SemResposta);
    registry.add(QStringLiteral("where Protocolo = :pprovisorio and Situacao = :penviando"));
    registry.setParam(QStringLiteral("pprovisorio"), provisorio);
    registry.setParam(QStringLiteral("penviando"), Situacao::Enviando);
    return changedRegistryRow(db, registry);
}

void raiseRecordsOfProtocol(Database &db, MovementKind table, const QString &protocolo, const QString &situacao,
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

void raiseReportedRecord(Database &db, MovementKind table, const QString &protocolo, const RecordKey &key,
                         const QString &situacao, const QString &coRegistro, int psitprio)
{
    SqlStatement query;
    query.add(updateLine(table));
    bool separator = false;
    setStatus(query, separator, QStringLiteral("TavroSituacao"), situacao);
    AlteraCampo(query, separator, QStringLiteral("TavroCoRegistro"), coRegistro, QStringLiteral("s"));
    addKey(query, key);
    // Issue and dispensation lines are also rewritten at an equal priority.
    query.add(kindFacts(table).rewrittenAtEqualPriority ? PriorityAtMost : PriorityBelow);
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

void storeRegistrationCode(Database &db, MovementKind table, const QString &protocolo, const RecordKey &key,
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

void moveRectifiedRecord(Database &db, MovementKind table, const QString &protocoloAntigo, const RecordKey &key,
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
