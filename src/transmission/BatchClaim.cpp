#include "transmission/BatchClaim.h"

#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

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

// The statement lines that walk the rows of `pchaves`, giving each field to its variable in
// turn, and run `body` once per row. `rowVariables` are the fields of a row, in order.
QStringList walkRows(const QStringList &rowVariables, const QStringList &body)
{
    QStringList lines;
    lines << QStringLiteral("declare variable inicio integer = 1;") << QStringLiteral("declare variable fim integer;")
          << QStringLiteral("declare variable campo integer;")
          << QStringLiteral("declare variable linha_texto varchar(32000) character set octets;");
    for (const QString &name : rowVariables)
        lines << QStringLiteral("declare variable %1 varchar(%2);").arg(name).arg(FieldCharacters);
    lines << QStringLiteral("begin") << QStringLiteral("  while (inicio < char_length(pchaves)) do")
          << QStringLiteral("  begin") << QStringLiteral("    fim = position(ascii_char(30), pchaves, inicio);")
          << QStringLiteral("    linha_texto = substring(pchaves from inicio for fim - inicio);")
          << QStringLiteral("    inicio = fim + 1;") << QStringLiteral("    campo = 1;");
    for (const QString &name : rowVariables) {
        lines << QStringLiteral("    fim = position(ascii_char(31), linha_texto, campo);")
              << QStringLiteral("    %1 = substring(linha_texto from campo for fim - campo);").arg(name)
              << QStringLiteral("    campo = fim + 1;");
    }
    lines << body << QStringLiteral("  end") << QStringLiteral("end");
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

// `rows` joined into texts of at most ChunkBytes bytes of UTF-8 each.
QStringList chunks(const QStringList &rows)
{
    QStringList texts{QString()};
    qsizetype bytes = 0;
    for (const QString &row : rows) {
        const qsizetype rowBytes = row.toUtf8().size();
        if (!texts.last().isEmpty() && bytes + rowBytes > ChunkBytes) {
            texts.append(QString());
            bytes = 0;
        }
        texts.last() += row;
        bytes += rowBytes;
    }
    return texts;
}

QString rowText(const QStringList &fields)
{
    QString text;
    for (const QString &field : fields)
        text += field + FieldEnd;
    return text + RowEnd;
}

int quantityCell(RecordTable table)
{
    return table == RecordTable::Conciliacao ? int(EstoqueCell::Quantidade) : int(ItemCell::Quantidade);
}

// Shows the record as the database holds it now.
void refreshCells(Database &db, RecordTable table, const RecordKey &key, const TransmissionCells &cells,
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

QList<ClaimOutcome> BatchClaim::claim(RecordList &list, const QList<int> &rows)
{
    if (rows.isEmpty())
        return {};
    QElapsedTimer clock;
    clock.start();
    const auto addTime = qScopeGuard([&] { m_claimingNs += clock.nsecsElapsed(); });
    m_db.startLockingTransaction(0);

    const TransmissionCells cells = m_kind.cells();
    const RecordKey shape = m_kind.key(list, rows.first(), m_input);
    QStringList texts;
    for (const int row : rows) {
        QStringList fields;
        for (const auto &param : m_kind.key(list, row, m_input).params)
            fields.append(keyText(param.second));
        fields << list.subCell(row, cells.protocolo) << list.subCell(row, cells.situacao);
        texts.append(rowText(fields));
    }
    QStringList body{QStringLiteral("    resultado = 0;"), QStringLiteral("    quantidade = null;"),
                     QStringLiteral("    begin"),
                     QStringLiteral("      for select quantidade from ") + tableName(m_kind.table())};
    for (const QString &line : keyLines(shape))
        body.append(QStringLiteral("        ") + line);
    body << QStringLiteral("        and coalesce(TavroProtocolo, '') = ") + variable(ExpectedProtocol)
         << QStringLiteral("        and coalesce(TavroSituacao, '') = ") + variable(ExpectedStatus)
         << QStringLiteral("        with lock into ") + variable(QStringLiteral("quantidade"))
         << QStringLiteral("      do resultado = 1;")
         << QStringLiteral("      when gdscode lock_conflict, gdscode lock_timeout, gdscode update_conflict, "
                           "gdscode deadlock do")
         << QStringLiteral("        resultado = 2;") << QStringLiteral("    end") << QStringLiteral("    suspend;");
    SqlStatement block{QStringLiteral("execute block (") + KeysParameter + QLatin1Char(')'),
                       QStringLiteral("returns (resultado integer, quantidade double precision)"),
                       QStringLiteral("as")};
    for (const QString &line : walkRows(keyNames(shape) << ExpectedProtocol << ExpectedStatus, body))
        block.add(line);

    // Records held by another transaction are tried again until the lock time-out has passed,
    // so the whole claim waits at most that long however many records are held.
    QList<ClaimOutcome> outcomes(rows.size(), ClaimOutcome::Held);
    QList<qsizetype> pending(rows.size());
    std::iota(pending.begin(), pending.end(), 0);
    QDeadlineTimer deadline(ClaimLockTimeoutSeconds * 1000);
    while (true) {
        QStringList pendingTexts;
        for (const qsizetype i : pending)
            pendingTexts.append(texts.at(i));
        QList<qsizetype> held;
        qsizetype next = 0;
        for (const QString &text : chunks(pendingTexts)) {
            block.setParam(QStringLiteral("pchaves"), text);
            SqlCursor cursor = m_db.select(block);
            while (cursor.next()) {
                const qsizetype i = pending.at(next++);
                const int resultado = cursor.value(0).toInt();
                if (resultado == 1)
                    list.setSubCell(rows.at(i), quantityCell(m_kind.table()), fieldText(cursor.value(1)));
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

void BatchClaim::markSending(const RecordList &list, const QList<int> &rows, const ProvisionalBatch &batch)
{
    writeMarks(list, rows, QList<RecordMark>(rows.size(), {batch.protocolo, batch.data, Situacao::Enviando}));
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
        QStringList fields;
        for (const auto &param : m_kind.key(list, rows.at(i), m_input).params)
            fields.append(keyText(param.second));
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
    const QStringList markFields{QStringLiteral("marca_protocolo"), QStringLiteral("marca_data"),
                                 QStringLiteral("marca_situacao"), QStringLiteral("marca_prioridade")};
    for (const QString &line : walkRows(keyNames(shape) + markFields, body))
        block.add(line);
    for (const QString &text : chunks(texts)) {
        block.setParam(QStringLiteral("pchaves"), text);
        m_db.run(block);
    }
}

} // namespace tavro
