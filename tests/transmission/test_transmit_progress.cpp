#include "common/ProgressObserver.h"
#include "transmission/Transmission.h"

#include <gtest/gtest.h>

using namespace tavro;

namespace {

// Records every report and asks to stop once `stopAfter` runs have ended.
class Recorder : public ProgressObserver
{
public:
    explicit Recorder(int stopAfter = -1)
        : m_stopAfter(stopAfter)
    {
    }
    void progressed(const Progress &progress) override { reports.append(progress); }
    bool stopRequested() override { return m_stopAfter >= 0 && ended >= m_stopAfter; }

    QList<Progress> reports;
    int ended = 0;

private:
    int m_stopAfter;
};

// A run that takes `batch` rows and returns the next of `results`.
struct ScriptedRuns
{
    QStringList results;
    int batch = 5;
    Recorder *recorder = nullptr;
    int calls = 0;

    QString operator()(RunReport &report)
    {
        report.batchSize = results.at(calls) == RunResult::Pronto ? 0 : batch;
        ++recorder->ended;
        return results.at(calls++);
    }
};

const QString Hibernate = QStringLiteral("Could not roll back Hibernate transaction");

} // namespace

TEST(TransmitProgress, CountsAndStopsBetweenRuns)
{
    const struct
    {
        const char *name;
        QStringList results;
        int vezes;
        int stopAfter;
        int runs;
        ClickOutcome::End end;
        bool stopped;
        qint64 enviados, recusados;
    } cases[] = {
        {"runs used up",
         {"transmitido", "transmitido", "transmitido"},
         3,
         -1,
         3,
         ClickOutcome::RunsUsedUp,
         false,
         15,
         0},
        {"stop after the first run",
         {"transmitido", "transmitido", "transmitido"},
         3,
         1,
         1,
         ClickOutcome::RunsUsedUp,
         true,
         5,
         0},
        {"a refused batch goes on",
         {"transmitido", Hibernate, "transmitido", "pronto"},
         20,
         -1,
         4,
         ClickOutcome::AllSent,
         false,
         10,
         5},
        {"stop after a refused batch", {Hibernate, "transmitido"}, 20, 1, 1, ClickOutcome::RunsUsedUp, true, 0, 5},
        {"an error ends before a stop", {"transmitido", "Falha de rede"}, 20, 2, 2, ClickOutcome::Aborted, false, 5, 5},
        {"stop asked before the first run", {"transmitido"}, 20, 0, 0, ClickOutcome::RunsUsedUp, true, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder recorder(c.stopAfter);
        ScriptedRuns runs{c.results, 5, &recorder};
        const ClickOutcome outcome = transmitRepeatedly(c.vezes, std::ref(runs), recorder);
        EXPECT_EQ(runs.calls, c.runs);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_EQ(outcome.stopped, c.stopped);
        ASSERT_EQ(recorder.reports.size(), 2 * c.runs); // before and after each run
        if (c.runs == 0)
            continue;
        const Progress &last = recorder.reports.last();
        EXPECT_EQ(last.work, Progress::Work::Transmissao);
        EXPECT_EQ(last.current, c.runs);
        EXPECT_EQ(last.total, c.vezes);
        EXPECT_EQ(last.enviados, c.enviados);
        EXPECT_EQ(last.recusados, c.recusados);
        EXPECT_EQ(recorder.reports.first().enviados, 0);
    }
}

TEST(TransmitProgress, TextsOfEachWork)
{
    using Work = Progress::Work;
    const struct
    {
        Progress progress;
        const char *text;
    } cases[] = {
        {{.work = Work::Transmissao,
          .current = 3,
          .total = 20,
          .enviados = 1000,
          .recusados = 500,
          .elapsedMs = 83'400},
         "Lote 3 de até 20: 1000 registros enviados, 500 recusados (1:23)"},
        {{.work = Work::Verificacao, .current = 4, .total = 12, .round = 2, .rounds = 3, .elapsedMs = 5'000},
         "Protocolo 4 de 12, vez 2 de 3 (0:05)"},
        {{.work = Work::Verificacao, .current = 4, .total = 12, .round = 2, .rounds = 1, .elapsedMs = 5'000},
         "Protocolo 4 de 12 (0:05)"},
        {{.work = Work::Pesquisa, .current = 6000}, "6000 linhas lidas (0:00)"},
        // A batch of one list of a whole run names the list.
        {{.work = Work::Transmissao,
          .current = 2,
          .total = 5,
          .enviados = 500,
          .elapsedMs = 4'000,
          .etapa = QStringLiteral("Entradas 01/2019")},
         "Entradas 01/2019: Lote 2 de até 5: 500 registros enviados, 0 recusados (0:04)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(progressText(c.progress), QString::fromUtf8(c.text));
}
