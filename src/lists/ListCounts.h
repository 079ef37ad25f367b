#pragma once

#include <QList>
#include <QString>

namespace tavro {

class RecordList;

// How many rows a list holds, in all and per status.
struct ListCounts
{
    struct Status
    {
        QString situacao; // empty: never sent
        int rows = 0;
    };

    int total = 0;
    QList<Status> porSituacao; // the statuses present, in alphabetical order, the empty one first

    // "11 registros: Não enviados 2, Aguardando 9"; "Nenhum registro" for an empty list.
    QString text() const;
};

ListCounts countRows(const RecordList &list);

} // namespace tavro
