#include "followup/ProtocolList.h"

#include "db/DateText.h"

#include "common/Status.h"
#include "db/Database.h"
#include "lists/RecordList.h"

namespace tavro {

namespace {

// One line per text after "and (1<>1 ", so each ticked box adds "or p.column = 'text'".
// The texts are the system's own vocabulary, never typed input.
void addOneOf(SqlStatement &query, const QString &column, const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    query.add(QStringLiteral("and (1<>1 "));
    for (const QString &text : texts)
        query.add(QStringLiteral("or p.%1 = %2").arg(column, sqlText(text)));
    query.add(QStringLiteral(")"));
}

// The kinds' boxes, in the order of the lists.
constexpr bool ProtocolFilter::*KindBoxes[] = {&ProtocolFilter::estoque, &ProtocolFilter::entradas,
                                               &ProtocolFilter::saidas, &ProtocolFilter::dispensacoes};
static_assert(std::size(KindBoxes) == std::size(AllLists));

} // namespace

bool &ProtocolFilter::shows(MovementKind kind)
{
    return this->*KindBoxes[std::size_t(kindFacts(kind).list)];
}

bool ProtocolFilter::shows(MovementKind kind) const
{
    return this->*KindBoxes[std::size_t(kindFacts(kind).list)];
}

SqlStatement protocolListStatement(const ProtocolFilter &filter)
{
    SqlStatement query;
    query.add(QStringLiteral("select p.*"));
    query.add(QStringLiteral("from TavroProtocolos p"));
    query.add(QStringLiteral("where 1 = 1"));
    if (!filter.todosCnes) {
        query.add(QStringLiteral("and p.cnes = :pcnes"));
        query.setParam(QStringLiteral("pcnes"), filter.cnes);
    }
    // The boxes' lines make one alternative; a held batch is the other.
    if (filter.retidos)
        query.add(QStringLiteral("and ((1 = 1"));
    QStringList tipos;
    for (const MovementKind kind : AllLists) {
        if (filter.shows(kind))
            tipos.append(kindFacts(kind).tipo);
    }
    addOneOf(query, QStringLiteral("tipo"), tipos);
    addOneOf(query, QStringLiteral("situacao"), filter.status.situacoes());
    if (filter.retidos) {
        const QString held = heldCondition(QStringLiteral("p.situacao"));
        query.add(QStringLiteral(") or %1)").arg(held));
        query.add(QStringLiteral("order by case when %1 then 0 else 1 end, lancamento descending").arg(held));
    } else {
        query.add(QStringLiteral("order by lancamento descending"));
    }
    return query;
}

RecordList *newProtocolList(QObject *parent)
{
    return new RecordList({{QStringLiteral("Lançamento"), 70},
                           {QStringLiteral("Protocolo"), 140},
                           {QStringLiteral("Data"), 120},
                           {QStringLiteral("Tipo"), 80},
                           {QStringLiteral("Situação"), 85},
                           {QStringLiteral("Prot. Retificado"), 140},
                           {QStringLiteral("CNES"), 0}},
                          ProtocolCell::Situacao, protocolStatusColour, parent);
}

void CarregaProtocolos(Database &db, const ProtocolFilter &filter, const QString &usuarioSessao, RecordList &list)
{
    if (usuarioSessao.isEmpty())
        return;
    db.restartTransaction();
    SqlCursor cursor = db.select(protocolListStatement(filter));
    const int columns[] = {
        cursor.indexOf(QStringLiteral("Lancamento")), cursor.indexOf(QStringLiteral("Protocolo")),
        cursor.indexOf(QStringLiteral("Data")),       cursor.indexOf(QStringLiteral("Tipo")),
        cursor.indexOf(QStringLiteral("Situacao")),   cursor.indexOf(QStringLiteral("ProtocoloAntigo")),
        cursor.indexOf(QStringLiteral("cnes")),
    };
    RecordRows rows = list.newRows();
    while (cursor.next()) {
        for (const int column : columns)
            rows.append(column == columns[2] ? protocolDateText(cursor.text(column)) : cursor.text(column));
    }
    cursor.close();
    list.replaceRows(std::move(rows));
}

int protocolRow(const RecordList &list, const QString &protocolo)
{
    for (int row = 0; !protocolo.isEmpty() && row < list.rowCount(); ++row) {
        if (list.subCell(row, ProtocolCell::Protocolo) == protocolo)
            return row;
    }
    return -1;
}

} // namespace tavro
