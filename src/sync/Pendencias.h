#pragma once

#include "lists/ListKinds.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;
class ProgressObserver;
class RecordList;

// One row a send would refuse (or warn about): its list, unit, key (the list's caption), date
// and the check's line.
struct PendenciaRow
{
    MovementKind list = MovementKind::Estoque;
    QString unidade;
    QString chave;
    QString data;
    QString texto;
};

// What one fix concerns: a person, a product, a lot, an issue or a value, with its rows.
struct PendenciaItem
{
    QString assunto;
    QList<PendenciaRow> rows;
};

// The rows that one kind of fix would let through.
struct PendenciaGroup
{
    QString titulo;
    bool aviso = false; // a warning: the send takes these rows
    QList<PendenciaItem> itens;

    int registros() const;
};

inline const QString CnsInvalidoGroup = QStringLiteral("CNS inválido (dígito verificador)");

// The registration list: the refusals grouped by what to fix (people, products, lots, issues,
// values that cannot be read, then any other text of the checks, by its text), then the
// warnings.
struct Pendencias
{
    QList<PendenciaGroup> grupos;
    int recusados = 0; // rows every send of their list refuses
    int avisos = 0;    // rows only warned about
    int listas = 0;    // lists examined
    bool interrompido = false;

    // The refusal groups' counts by title, as a run's summary carries them.
    QList<QPair<QString, int>> contagens() const;
};

// What to look at: the units (by code) and the months, the first and last included (their
// first days; a null date leaves that end open).
struct PendenciasRequest
{
    QStringList unidades;
    QDate de;
    QDate ate;
};

// Every unit of the database, by code.
QStringList allUnitCodes(Database &db);

// Runs each kind's own row checks over every record still to send, in every month and stock
// day of the request that has any, without claiming, marking or calling anything: a row is
// pending when every send of its list refuses it (the dispensation list's rows go with a card
// or without one), and listed under each of the refusal lines those sends would write. Rows
// whose card fails its check digit are listed apart as warnings. Reads in fresh snapshots and
// rolls them back. The observer hears after each list and may stop the work between two lists.
Pendencias listPendencias(Database &db, const PendenciasRequest &request, ProgressObserver *observer = nullptr);

// The refusal groups' counts of one list's rows still to send, as listPendencias counts them.
QList<QPair<QString, int>> pendenciaCounts(MovementKind kind, const RecordList &list);

} // namespace tavro
