#include "followup/ProtocolList.h"

#include "common/Status.h"
#include "db/Database.h"
#include "lists/RecordList.h"

namespace tavro {

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
    if (filter.estoque || filter.entradas || filter.saidas || filter.dispensacoes) {
        query.add(QStringLiteral("and (1<>1 "));
        if (filter.estoque)
            query.add(QStringLiteral("or p.tipo = 'Estoque'"));
        if (filter.entradas)
            query.add(QStringLiteral("or p.tipo = 'Entrada'"));
        if (filter.saidas)
            query.add(QStringLiteral("or p.tipo = 'Saída'"));
        if (filter.dispensacoes)
            query.add(QStringLiteral("or p.tipo = 'Dispensação'"));
        query.add(QStringLiteral(")"));
    }
    if (filter.aguardando || filter.finalizados || filter.inconsistencias || filter.ok || filter.okRetificado) {
        query.add(QStringLiteral("and (1<>1 "));
        if (filter.aguardando)
            query.add(QStringLiteral("or p.situacao = 'Aguardando'"));
        if (filter.finalizados)
            query.add(QStringLiteral("or p.situacao = 'Finalizado'"));
        if (filter.inconsistencias)
            query.add(QStringLiteral("or p.situacao = 'Inconsistência'"));
        if (filter.ok) {
            query.add(QStringLiteral("or p.situacao = 'Ok'"));
            query.add(QStringLiteral("or p.situacao = 'Ok (Inc.)'"));
        }
        if (filter.okRetificado)
            query.add(QStringLiteral("or p.situacao = 'Ok-Retificado'"));
        query.add(QStringLiteral(")"));
    }
    query.add(QStringLiteral("order by lancamento descending"));
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
            rows.append(cursor.text(column));
    }
    cursor.close();
    list.replaceRows(std::move(rows));
}

} // namespace tavro
