#pragma once

#include "common/Period.h"
#include "followup/BulkVerification.h"
#include "transmission/HeldBatches.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tavro {

// What one kind's transmission did over every list it worked on.
struct KindSummary
{
    QString name;         // as `--tipos` names it: estoque, entradas, saidas, dispensacoes, sem-cartao
    int lists = 0;        // lists searched (stock: one per day)
    int batches = 0;      // batches the service accepted
    int sent = 0;         // records of those batches
    int refused = 0;      // records still to send that the kind's checks refuse
    QStringList messages; // the first distinct lines of those refusals
    int pending = 0;      // records still to send that the checks would let through
    QStringList failures; // lists whose runs failed: "<list>: <message>"
};

// The follow-up of the protocols of one registry kind ("Estoque", "Entrada", ...).
struct FollowupSummary
{
    QString tipo;
    int checked = 0;             // protocols that were not final when the walk began
    QMap<QString, int> statuses; // status after the walk -> protocols
    int waiting = 0;             // still "Aguardando" or "Finalizado": the service owes an answer
};

// The report of one unattended run: what a person reads in the morning, and what
// monitoring reads as JSON.
struct SyncSummary
{
    QDateTime started;
    QDateTime finished;
    QString database;
    QString unidade;
    QString cnes;
    QList<Period> periods;
    QList<KindSummary> kinds;
    QList<FollowupSummary> followup;
    QList<FailedCheck> failedChecks;
    // Rows still to send that every send of their list refuses, by what to fix, in the
    // registration list's groups and order.
    QList<QPair<QString, int>> pendencias;
    QStringList liberados;    // batches without answer whose records the run released, one line each
    HeldRecords retidos;      // the unit's batches still holding records when the run ended
    QString failure;          // an error that ended the whole run early
    bool interrupted = false; // stopped by the operator ("Parar") before its end
    bool manual = false;      // run from the window rather than by the schedule

    bool failed() const;
    // Adds one list's counts to `pendencias`.
    void addPendencias(const QList<QPair<QString, int>> &counts);
};

// How the run ended: "com falhas", "interrompida pelo usuário" or "concluída".
QString runEnd(const SyncSummary &summary);
// That end followed by the records still held (", 9 registros retidos em 1 lote sem resposta").
QString summaryEnd(const SyncSummary &summary);

// The summary as text, in Portuguese as every text the clerk reads.
QString summaryText(const SyncSummary &summary);

QByteArray summaryJson(const SyncSummary &summary);
// The held records as the JSON reports give them: the total, a field per kind and per status
// (zeros included), and each batch.
QJsonObject heldJson(const HeldRecords &held);
// Reads what summaryJson wrote; false when the text is not such a summary.
bool summaryFromJson(const QByteArray &json, SyncSummary &summary);

// The status strip's line about a run: when it ended and whether it failed (what stays held has
// a line of its own in the strip).
QString lastRunLine(const SyncSummary &summary);

// Writes a summary's JSON whole or not at all, so monitoring never reads half a report;
// the refusals in it may name patients, so it is private as the logs are. False with the
// reason in `error` when it could not.
bool writeSummaryJson(const QString &path, const QByteArray &json, QString &error);

// Where each run leaves its summary for the window: sincronizar-ultimo.json in the data
// folder, which the window and the nightly run share.
QString lastSummaryPath(const QString &dataFolder);

} // namespace tavro
