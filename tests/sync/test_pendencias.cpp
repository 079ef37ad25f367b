#include "TransmissionSetup.h"

#include "common/CnsNumber.h"
#include "lists/MovementLists.h"
#include "sync/Pendencias.h"
#include "sync/PendingPeriods.h"
#include "transmission/RowCheckMessages.h"
#include "transmission/SendOperation.h"
#include "transmission/TransmissionKinds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tavro;
using tavro::test::TransmissionSetup;

namespace {

TEST(CnsNumber, CheckDigitOfDefinitiveAndProvisionalCards)
{
    const struct
    {
        const char *cns;
        bool valid;
    } cases[] = {
        // Definitive: the PIS, "000" and its check digit.
        {"123456789010000", true},
        {"200000000010009", true},
        {"182736455000018", true},
        // Definitive whose PIS check digit would be 10: "001" and the digit of the sum plus 2.
        {"100000000060018", true},
        // Provisional: the weighted sum alone.
        {"700000000000005", true},
        {"898765432101233", true},
        {"912345678901239", true},
        // One digit changed.
        {"123456789010001", false},
        {"123456789020000", false},
        {"100000000060008", false}, // the filler "000" where "001" belongs
        {"700000000000006", false},
        {"898765432101333", false},
        {"912345678901230", false},
        // A weighted sum that meets the rule but a definitive card's layout that does not.
        {"100000000000100", false},
        // No card: another first digit, a wrong length, not digits.
        {"300000000000009", false},
        {"70000000000000", false},
        {"7000000000000050", false},
        {"70000000000000X", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cns);
        EXPECT_EQ(cnsCheckDigitValid(QString::fromLatin1(c.cns)), c.valid);
    }
}

// A row of a list, as the listing and the sends name it.
using RowKey = std::pair<QString, QString>; // list name, caption

// The demo, with at least one row for every group a send's checks make.
void addEveryCase(const test::TestDatabase &fixture)
{
    fixture.exec("update pessoas set cartaosus = '70640103596' where codigo = 2"); // a card too short
    fixture.exec("update unidades set numero = null where codigo = 2"); // the destination of an issue unknown
    fixture.exec("update novolotes set dtvalidade = null where lote = 'CAP2500'"); // a lot without expiry
    // A position without lot.
    fixture.exec(
        "insert into novolotes (codproduto, lote, dtvalidade, codfabricante) values (101, '', '2020-06-30', 1)");
    fixture.exec("update conciliacao set lote = '' where lancamento = 5001");
    // A product name with a character the service's XML cannot carry.
    fixture.exec("update produtos set descricao = 'LOSARTANA' || ascii_char(1) where codigo = 103");
}

TEST(Pendencias, ListEqualsWhatEverySendThenRefusesRowByRow)
{
    TransmissionSetup setup;
    addEveryCase(setup.fixture);
    setup.startSim();

    PendenciasRequest request;
    request.unidades = {QStringLiteral("1")};
    const Pendencias pendencias = listPendencias(setup.db, request);
    std::map<RowKey, QStringList> listed;
    std::set<QString> titles;
    for (const PendenciaGroup &group : pendencias.grupos) {
        titles.insert(group.titulo);
        EXPECT_GT(group.registros(), 0) << group.titulo.toStdString();
        if (group.aviso)
            continue;
        for (const PendenciaItem &item : group.itens) {
            for (const PendenciaRow &row : item.rows)
                listed[{listKind(row.list).name, row.chave}].append(row.texto);
        }
    }
    for (const char *title : {"Pessoa sem CNS", "CNS zerado ou incompleto", "Produto sem código", "Lote sem fabricante",
                              "Lote sem validade", "Produto sem lote", "Entrada sem distribuidor", "Saída sem destino",
                              "Valores ilegíveis", "CNS inválido (dígito verificador)"})
        EXPECT_TRUE(titles.count(QString::fromUtf8(title))) << title;
    EXPECT_EQ(int(listed.size()), pendencias.recusados);

    // Nothing was written or sent by the listing.
    EXPECT_EQ(setup.count("select count(*) from tavroprotocolos"), 0);

    // Every kind sent as the clerk sends it, the dispensations without a card first; the rows
    // still to send afterwards, with the lines the sends wrote about them.
    std::map<RowKey, QStringList> refused;
    for (const Period &period : pendingMonths(setup.db, QStringLiteral("1"), QStringLiteral("1"))) {
        for (const MovementKind list : AllMovementKinds) {
            QStringList days{QString()};
            if (list == MovementKind::Estoque)
                days = pendingStockDays(setup.db, QStringLiteral("1"), period);
            for (const QString &dia : days) {
                ListSearch search;
                search.kind = list;
                search.unidade = QStringLiteral("1");
                search.period = period;
                search.dia = dia;
                search.exibirSemCodigo = true;
                search.status = StatusBoxes{false, false, false, false, false};
                std::unique_ptr<RecordList> rows(newMovementList(list, nullptr));
                fillMovementList(setup.db, search, *rows);
                QHash<QString, QStringList> lines;
                for (const TransmitKind kind : {TransmitKind::SemCartao, TransmitKind::Estoque, TransmitKind::Entradas,
                                                TransmitKind::Saidas, TransmitKind::Dispensacoes}) {
                    if (kindEntry(kind).list != list)
                        continue;
                    SendRequest send;
                    send.kind = kind;
                    send.input = setup.input;
                    send.input.dia = dia;
                    // Every run's own lines: a send's account lists a text once, under the first row it names.
                    struct RunLines : SendObserver
                    {
                        QHash<QString, QStringList> &lines;
                        explicit RunLines(QHash<QString, QStringList> &lines)
                            : lines(lines)
                        {
                        }
                        void runEnded(const SendRun &run) override
                        {
                            for (const RowRefusal &refusal : run.report.recusas)
                                lines[refusal.caption].append(refusal.line);
                        }
                    } observer(lines);
                    const SendOutcome outcome = transmit(setup.db, *setup.client, *rows, send, observer);
                    EXPECT_NE(outcome.end, SendOutcome::End::Aborted) << outcome.mensagem.toStdString();
                }
                const TransmissionCells cells = listKind(list).cells;
                for (int row = 0; row < rows->rowCount(); ++row) {
                    if (rowToSend(*rows, row, cells, QString()) && lines.contains(rows->caption(row)))
                        refused[{listKind(list).name, rows->caption(row)}] = lines.value(rows->caption(row));
                }
            }
        }
    }

    std::set<RowKey> listedRows;
    std::set<RowKey> refusedRows;
    for (const auto &entry : listed)
        listedRows.insert(entry.first);
    for (const auto &entry : refused)
        refusedRows.insert(entry.first);
    EXPECT_EQ(listedRows, refusedRows);
    for (const auto &[key, texts] : listed) {
        for (const QString &text : texts)
            EXPECT_TRUE(refused[key].contains(text)) << key.second.toStdString() << ": " << text.toStdString();
    }
}

TEST(Pendencias, MonthsUnitsAndStop)
{
    TransmissionSetup setup;
    const auto rows = [&](const PendenciasRequest &request) {
        QSet<QString> keys;
        for (const PendenciaGroup &group : listPendencias(setup.db, request).grupos) {
            for (const PendenciaItem &item : group.itens) {
                for (const PendenciaRow &row : item.rows)
                    keys.insert(row.unidade + QLatin1Char('/') + row.data.right(7));
            }
        }
        return keys;
    };
    PendenciasRequest january;
    january.unidades = {QStringLiteral("1")};
    january.de = january.ate = QDate(2019, 1, 1);
    EXPECT_EQ(rows(january), QSet<QString>{QStringLiteral("1/01/2019")});
    PendenciasRequest february = january;
    february.de = QDate(2019, 2, 1);
    february.ate = QDate();
    EXPECT_EQ(rows(february), QSet<QString>{QStringLiteral("1/02/2019")});

    // Every unit of the database, each listed under its own code.
    setup.fixture.exec("update itenssaidas set codunidade = 2 where lancamento = 3005");
    PendenciasRequest all;
    all.unidades = allUnitCodes(setup.db);
    const QSet<QString> everyUnit = rows(all);
    EXPECT_TRUE(everyUnit.contains(QStringLiteral("2/01/2019")));
    EXPECT_TRUE(everyUnit.contains(QStringLiteral("1/01/2019")));

    // "Parar" between two lists: what was examined so far, marked as interrupted.
    struct StopAfterFirst : ProgressObserver
    {
        int reports = 0;
        void progressed(const Progress &progress) override
        {
            EXPECT_EQ(progress.work, Progress::Work::Pendencias);
            ++reports;
        }
        bool stopRequested() override { return reports > 0; }
    } stop;
    const Pendencias stopped = listPendencias(setup.db, all, &stop);
    EXPECT_TRUE(stopped.interrompido);
    EXPECT_EQ(stop.reports, 1);
    EXPECT_LT(stopped.listas, listPendencias(setup.db, all).listas);
}

} // namespace
