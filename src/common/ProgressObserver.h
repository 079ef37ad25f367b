#pragma once

#include <QString>

namespace tavro {

// How far long work has come. Which fields count depends on the work.
struct Progress
{
    enum class Work { Transmissao, Verificacao, Pesquisa, Registros, Pendencias };
    Work work = Work::Transmissao;
    // Transmission: the batch (run) under way or just done, of at most `total` (the repeat
    // count). Bulk verification: the protocol, of `total` listed, in round `round` of `rounds`.
    // Search: the rows fetched so far; `total` stays 0. Logs: the logs surveyed so far
    // (`total` 0), or removed of `total`. Registration list: the lists examined, of `total`
    // (every month's four), with `recusados` the rows found pending so far.
    qint64 current = 0;
    qint64 total = 0;
    int round = 0;
    int rounds = 0;
    // Transmission: records of the batches the service accepted, and of those it did not.
    qint64 enviados = 0;
    qint64 recusados = 0;
    qint64 elapsedMs = 0;
    // The part of a larger work this progress is of ("Entradas 01/2019" of a whole run), or empty.
    QString etapa;
};

// Follows long work as it runs: a transmission loop, the bulk verification, a large
// search. The work asks `stopRequested` only between two batches or checks, never inside
// one, and then ends as it ends when its repetitions are used up; a search never asks,
// since half a list would be worse than waiting.
class ProgressObserver
{
public:
    virtual ~ProgressObserver() = default;
    virtual void progressed(const Progress &progress) = 0;
    virtual bool stopRequested() { return false; }
};

// The short text of a progress, as the status strip and the command line show it.
QString progressText(const Progress &progress);

// How work the user stopped ends: "Interrompido pelo usuário: 2 lotes enviados, 18 restam."
QString interruptedText(qint64 lotes, qint64 restam);

} // namespace tavro
