#include "transmission/BatchClaim.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/StatusWrites.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

#include <limits>
#include <numeric>

namespace tavro {

namespace {

// The rows of a batch travel to the database as one text: each row's fields end with
// FieldEnd, each row with RowEnd. A block of statements walks them on the server. The text
// goes as bytes (in the connection's character set: UTF-8, or the code page in a database
// without one), since finding a place in a UTF-8 text costs the server a walk from its start,
// which made each row's step longer the longer the text; a field taken out of it goes into a
// variable of the connection's character set, which meets the columns as a parameter would.
const QChar FieldEnd(0x1f);
const QChar RowEnd(0x1e);
// Bytes of one text parameter, under the 32765 a varchar holds.
constexpr qsizetype ChunkBytes = 32000;
const QString KeysParameter = QStringLiteral("pchaves varchar(32000) character set octets = :pchaves");
// Characters of one field of a row: far above any key or status column, and small enough that
// the server's copy of each field into its variable stays cheap (it grows with the declared size).
constexpr int FieldCharacters = 1000;

// Rows of one claim request: each row's outcome comes back in a text of at most ChunkBytes
// (a code, a quantity of at most 24 characters and a separator).
constexpr qsizetype ClaimChunkRows = 1000;

// The pause before held records are tried again.
constexpr int RetryPauseMs = 200;

const QString ExpectedProtocol = QStringLiteral("pesperadoprotocolo");
const QString ExpectedStatus = QStringLiteral("pesperadosituacao");

// A variable of a block, as its statements name it: :"NAME", which a statement's named
// parameters (:name) leave alone.
QString variable(const QString &name)
{
    return QStringLiteral(":\"") + name.toUpper() + QLatin1Char('"');
}

QString keyText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate); // the one form the server reads unambiguously
    return value.toString();
}

// A block that walks the rows of `pchaves`: its own declarations, the statements before the
// walk, those run once per row (each field of the row given to its variable in turn first),
// and those after it.
struct RowWalk
{
    QStringList rowVariables; // the fields of a row, in order
    QStringList declarations;
    QStringList before;
    QStringList perRow;
    QStringList after;
};

QStringList walkRows(const RowWalk &walk)
{
    QStringList lines = walk.declarations;
    lines << QStringLiteral("declare variable inicio integer = 1;") << QStringLiteral("declare variable fim integer;")
          << QStringLiteral("declare variable campo integer;")
          << QStringLiteral("declare variable linha_texto varchar(32000) character set octets;");
    for (const QString &name : walk.rowVariables)
        lines << QStringLiteral("declare variable %1 varchar(%2);").arg(name).arg(FieldCharacters);
    lines << QStringLiteral("begin") << walk.before << QStringLiteral("  while (inicio < char_length(pchaves)) do")
          << QStringLiteral("  begin") << QStringLiteral("    fim = position(ascii_char(30), pchaves, inicio);")
          << QStringLiteral("    linha_texto = substring(pchaves from inicio for fim - inicio);")
          << QStringLiteral("    inicio = fim + 1;") << QStringLiteral("    campo = 1;");
    for (const QString &name : walk.rowVariables) {
        lines << QStringLiteral("    fim = position(ascii_char(31), linha_texto, campo);")
              << QStringLiteral("    %1 = substring(linha_texto from campo for fim - campo);").arg(name)
              << QStringLiteral("    campo = fim + 1;");
    }
    lines << walk.perRow << QStringLiteral("  end") << walk.after << QStringLiteral("end");
    return lines;
}

// The key's lines with its parameters turned into the block's variables of the same names.
QStringList keyLines(const RecordKey &key)
{
    QStringList lines = key.lines;
    for (const auto &param : key.params) {
        const QRegularExpression reference(QStringLiteral(":%1\\b").arg(param.first),
                                           QRegularExpression::CaseInsensitiveOption);
        lines.replaceInStrings(reference, variable(param.first));
    }
    return lines;
}

QStringList keyNames(const RecordKey &key)
{
    QStringList names;
    for (const auto &param : key.params)
        names.append(param.first);
    return names;
}

// `rows` joined into texts of at most ChunkBytes bytes of UTF-8 and `maxRows` rows each.
QStringList chunks(const QStringList &rows, qsizetype maxRows = std::numeric_limits<qsizetype>::max())
{
    QStringList texts{QString()};
    qsizetype bytes = 0;
    qsizetype count = 0;
    for (const QString &row : rows) {
        const qsizetype rowBytes = row.toUtf8().size();
        if (!texts.last().isEmpty() && (bytes + rowBytes > ChunkBytes || count == maxRows)) {
            texts.append(QString());
            bytes = 0;
            count = 0;
        }
        texts.last() += row;
        bytes += rowBytes;
        ++count;
    }
    return texts;
}

// The rows a text of chunks() holds.
int textRows(const QString &text)
{
    return int(text.count(RowEnd));
}

QString rowText(const QStringList &fields)
{
    QString text;
    for (const QString &field : fields)
        text += field + FieldEnd;
    return text + RowEnd;
}

// Shows the record as the database holds it now.
void refreshCells(Database &db, MovementKind table, const RecordKey &key, const TransmissionCells &cells,
                  RecordList &list, int row)
{
    SqlStatement query{QStringLiteral("select TavroProtocolo, TavroData, TavroSituacao from ") + tableName(table)};
    addKey(query, key);
    SqlCursor cursor = db.select(query);
    const bool found = cursor.next();
    list.setSubCell(row, cells.gravar, QString());
    list.setSubCell(row, cells.protocolo, found ? cursor.text(0) : QString());
    list.setSubCell(row, cells.data, found ? protocolDateText(cursor.text(1)) : QString());
    list.setSubCell(row, cells.situacao, found ? cursor.text(2) : QString());
}

} // namespace

QString recordHeldMessage(const QString &caption)
{
    return QStringLiteral("O registro %1 está em uso por outra estação; fica para o próximo envio.").arg(caption);
}

BatchClaim::BatchClaim(Database &db, const TransmissionKind &kind, const TransmissionInput &input)
    : m_db(db)
    , m_kind(kind)
    , m_input(input)
{
}

std::optional<QList<ClaimOutcome>> BatchClaim::claim(RecordList &list, const QList<int> &rows, bool stopAtUnresolved)
{
    QElapsedTimer clock;
    clock.start();
    const auto addTime = qScopeGuard([&] { m_claimingNs += clock.nsecsElapsed(); });
    if (rows.isEmpty()) {
        if (stopAtUnresolved && hasUnresolvedBatches(m_db))
            return std::nullopt;
        return QList<ClaimOutcome>();
    }

    const TransmissionCells cells = m_kind.cells();
    const RecordKey shape = m_kind.key(list, rows.first(), m_input);
    QStringList texts;
    for (const int row : rows)
        texts.append(
            rowText(keyFields(list, row) << list.subCell(row, cells.protocolo) << list.subCell(row, cells.situacao)));
    // The rows' outcomes come back in one text, so a chunk of rows costs one request: for each
    // row its code (0 changed, 1 claimed, 2 held), the quantity read under the lock, FieldEnd.
    // The first request looks for unresolved batches first, and claims nothing if it finds one.
    RowWalk walk;
    walk.rowVariables = keyNames(shape) << ExpectedProtocol << ExpectedStatus;
    walk.declarations << QStringLiteral("declare variable resultado integer;")
                      << QStringLiteral("declare variable quantidade double precision;")
                      << QStringLiteral("declare variable parte varchar(64) character set ascii;");
    walk.before << QStringLiteral("  pendentes = 0;") << QStringLiteral("  resultados = '';")
                << QStringLiteral("  if (pverifica = 1) then")
                << QStringLiteral(
                       "    select count(*) from TavroProtocolos where Protocolo starting with :\"PPREFIXO\"")
                << QStringLiteral("      and Situacao in (:\"PPREPARANDO\", :\"PENVIANDO\", :\"PSEMRESPOSTA\")")
                << QStringLiteral("      into :\"PENDENTES\";") << QStringLiteral("  if (pendentes = 0) then");
    walk.perRow << QStringLiteral("    resultado = 0;") << QStringLiteral("    quantidade = null;")
                << QStringLiteral("    begin")
                << QStringLiteral("      for select quantidade from ") + tableName(m_kind.table());
    for (const QString &line : keyLines(shape))
        walk.perRow.append(QStringLiteral("        ") + line);
    walk.perRow << QStringLiteral("        and coalesce(TavroProtocolo, '') = ") + variable(ExpectedProtocol)
                << QStringLiteral("        and coalesce(TavroSituacao, '') = ") + variable(ExpectedStatus)
                << QStringLiteral("        with lock into ") + variable(QStringLiteral("quantidade"))
                << QStringLiteral("      do resultado = 1;")
                << QStringLiteral("      when gdscode lock_conflict, gdscode lock_timeout, gdscode update_conflict, "
                                  "gdscode deadlock do")
                << QStringLiteral("        resultado = 2;")
                << QStringLiteral("    end")
                // The row's part is made in the result's character set, which a mix of the
                // connection's would turn into a longer one that holds fewer characters.
                << QStringLiteral(
                       "    parte = resultado || coalesce(cast(quantidade as varchar(40)), '') || ascii_char(31);")
                << QStringLiteral("    resultados = resultados || parte;");
    walk.after << QStringLiteral("  suspend;");
    SqlStatement block{
        QStringLiteral("execute block (") + KeysParameter + QStringLiteral(", pverifica integer = :pverifica,"),
        QStringLiteral("  pprefixo varchar(10) = :pprefixo, ppreparando varchar(40) = :ppreparando,"),
        QStringLiteral("  penviando varchar(40) = :penviando, psemresposta varchar(40) = :psemresposta)"),
        // Bytes: a text out of a block comes in the connection's character set,
        // whose UTF-8 would hold a quarter of the characters.
        QStringLiteral("returns (pendentes integer, resultados varchar(%1) character set octets)").arg(ChunkBytes),
        QStringLiteral("as")};
    for (const QString &line : walkRows(walk))
        block.add(line);
    block.setParam(QStringLiteral("pprefixo"), ProvisionalPrefix);
    block.setParam(QStringLiteral("ppreparando"), Situacao::Preparando);
    block.setParam(QStringLiteral("penviando"), Situacao::Enviando);
    block.setParam(QStringLiteral("psemresposta"), Situacao::SemResposta);

    // Records held by another transaction are tried again until the lock time-out has passed,
    // so the whole claim waits at most that long however many records are held.
    QList<ClaimOutcome> outcomes(rows.size(), ClaimOutcome::Held);
    QList<qsizetype> pending(rows.size());
    std::iota(pending.begin(), pending.end(), 0);
    QDeadlineTimer deadline(ClaimLockTimeoutSeconds * 1000);
    bool verify = stopAtUnresolved;
    while (true) {
        QStringList pendingTexts;
        for (const qsizetype i : pending)
            pendingTexts.append(texts.at(i));
        QList<qsizetype> held;
        qsizetype next = 0;
        for (const QString &text : chunks(pendingTexts, ClaimChunkRows)) {
            block.setParam(QStringLiteral("pchaves"), text);
            block.setParam(QStringLiteral("pverifica"), verify ? 1 : 0);
            verify = false;
            SqlCursor cursor = m_db.selectRow(block);
            if (!cursor.next())
                throw Error(QStringLiteral("The claim gave no answer"));
            if (cursor.value(0).toInt() > 0)
                return std::nullopt;
            for (const QString &result : cursor.text(1).split(FieldEnd, Qt::SkipEmptyParts)) {
                const qsizetype i = pending.at(next++);
                const int resultado = result.left(1).toInt();
                if (resultado == 1) {
                    const QString quantidade = result.mid(1);
                    list.setSubCell(rows.at(i), m_kind.cells().quantidade,
                                    quantidade.isEmpty() ? QString() : fieldText(quantidade.toDouble()));
                }
                outcomes[i] = resultado == 1 ? ClaimOutcome::Claimed
                    : resultado == 2         ? ClaimOutcome::Held
                                             : ClaimOutcome::Changed;
                if (resultado == 2)
                    held.append(i);
            }
        }
        if (held.isEmpty() || deadline.hasExpired())
            break;
        QThread::msleep(qMin<qint64>(RetryPauseMs, deadline.remainingTime()));
        pending = held;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (outcomes.at(i) == ClaimOutcome::Changed)
            refreshCells(m_db, m_kind.table(), m_kind.key(list, rows.at(i), m_input), cells, list, rows.at(i));
    }
    return outcomes;
}

QStringList BatchClaim::keyFields(const RecordList &list, int row) const
{
    QStringList fields;
    for (const auto &param : m_kind.key(list, row, m_input).params)
        fields.append(keyText(param.second));
    return fields;
}

ProvisionalBatch BatchClaim::writeAhead(const RecordList &list, const QList<int> &rows,
                                        const BatchRegistration &registration)
{
    QElapsedTimer clock;
    clock.start();
    const RecordKey shape = m_kind.key(list, rows.first(), m_input);
    QStringList texts;
    for (const int row : rows)
        texts.append(rowText(keyFields(list, row)));
    const QStringList keyTexts = chunks(texts);
    // The registry row and the marks of the first chunk of records go in one request.
    const BlockPart insert = provisionalRegistryInsert(registration);
    RowWalk walk;
    walk.rowVariables = keyNames(shape);
    walk.declarations = insert.declarations;
    walk.before = insert.statements;
    walk.perRow << QStringLiteral("    update ") + tableName(m_kind.table())
                << QStringLiteral("      set TavroProtocolo = :\"PROTOCOLO\", TavroData = :\"DATA\",")
                << QStringLiteral(
                       "      TavroSituacao = :\"PMARCASITUACAO\", TavroSituacaoPrioridade = :\"PMARCAPRIORIDADE\"");
    for (const QString &line : keyLines(shape))
        walk.perRow.append(QStringLiteral("      ") + line);
    walk.perRow.last() += QLatin1Char(';');
    walk.after << QStringLiteral("  suspend;");
    SqlStatement block{QStringLiteral("execute block (") + KeysParameter + QStringLiteral(", ")
                           + insert.parameters.join(QStringLiteral(", ")) + QLatin1Char(','),
                       QStringLiteral("  pmarcasituacao varchar(40) = :pmarcasituacao,"),
                       QStringLiteral("  pmarcaprioridade integer = :pmarcaprioridade)"),
                       QStringLiteral("returns (protocolo varchar(25), data varchar(25))"), QStringLiteral("as")};
    for (const QString &line : walkRows(walk))
        block.add(line);
    for (const auto &[name, value] : insert.values)
        block.setParam(name, value);
    block.setParam(QStringLiteral("pmarcasituacao"), Situacao::Enviando);
    block.setParam(QStringLiteral("pmarcaprioridade"), int(PrioridadeSituacao(Situacao::Enviando)));
    block.setParam(QStringLiteral("pchaves"), keyTexts.first());
    SqlCursor cursor = m_db.selectRow(block);
    if (!cursor.next())
        throw Error(QStringLiteral("The registry row of the batch was not written"));
    const ProvisionalBatch batch{cursor.text(0), cursor.text(1)};
    m_markingNs += clock.nsecsElapsed();
    if (keyTexts.size() > 1) {
        const QList<int> rest = rows.mid(textRows(keyTexts.first()));
        writeMarks(list, rest, QList<RecordMark>(rest.size(), {batch.protocolo, batch.data, Situacao::Enviando}));
    }
    return batch;
}

void BatchClaim::writeMarks(const RecordList &list, const QList<int> &rows, const QList<RecordMark> &marks)
{
    if (rows.isEmpty())
        return;
    QElapsedTimer clock;
    clock.start();
    const auto addTime = qScopeGuard([&] { m_markingNs += clock.nsecsElapsed(); });
    const RecordKey shape = m_kind.key(list, rows.first(), m_input);
    QStringList texts;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QStringList fields = keyFields(list, rows.at(i));
        const RecordMark &mark = marks.at(i);
        fields << mark.protocolo << mark.data << mark.situacao
               << (mark.situacao.isEmpty() ? QString() : QString::number(PrioridadeSituacao(mark.situacao)));
        texts.append(rowText(fields));
    }
    // An empty text stands for null, as a record never sent holds it.
    QStringList body{QStringLiteral("    update ") + tableName(m_kind.table()),
                     QStringLiteral("      set TavroProtocolo = nullif(:\"MARCA_PROTOCOLO\", ''),"),
                     QStringLiteral("      TavroData = nullif(:\"MARCA_DATA\", ''),"),
                     QStringLiteral("      TavroSituacao = nullif(:\"MARCA_SITUACAO\", ''),"),
                     QStringLiteral("      TavroSituacaoPrioridade = nullif(:\"MARCA_PRIORIDADE\", '')")};
    for (const QString &line : keyLines(shape))
        body.append(QStringLiteral("      ") + line);
    body.last() += QLatin1Char(';');
    SqlStatement block{QStringLiteral("execute block (") + KeysParameter + QLatin1Char(')'), QStringLiteral("as")};
    RowWalk walk;
    walk.rowVariables = keyNames(shape) << QStringLiteral("marca_protocolo") << QStringLiteral("marca_data")
                                        << QStringLiteral("marca_situacao") << QStringLiteral("marca_prioridade");
    walk.perRow = body;
    for (const QString &line : walkRows(walk))
        block.add(line);
    for (const QString &text : chunks(texts)) {
        block.setParam(QStringLiteral("pchaves"), text);
        m_db.run(block);
    }
}

} // namespace tavro
