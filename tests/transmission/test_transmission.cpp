#include "KindCases.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"
#include "TransmissionSetup.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/ProtocolSummary.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace tavro;
using tavro::test::RunEnds;
using tavro::test::runEnds;
using tavro::test::SimProcess;
using tavro::test::TestDatabase;

namespace {

class Transmission : public ::testing::Test, public test::TransmissionSetup
{
protected:
    Transmission()
    {
        onRun = [this](const RunReport &run) { listed += account.add(run); };
    }

    // The request logs written so far, oldest first.
    QStringList requests() const
    {
        QStringList texts;
        const QDir dir(logFolder);
        for (const QString &name : dir.entryList({QStringLiteral("*_req.xml")}, QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::ReadOnly);
            texts << QString::fromUtf8(f.readAll());
        }
        return texts;
    }

    TransmissionAccount account;
    QList<TransmissionAccount::Line> listed; // the error tab's lines as the account lets them through
};

} // namespace

TEST_F(Transmission, StockBatchEndToEnd)
{
    startSim();
    RecordList &stock = fill(MovementKind::Estoque);
    const SendOutcome outcome = click(MovementKind::Estoque);
    EXPECT_EQ(outcome.end, SendOutcome::End::AllSent);
    EXPECT_EQ(runEnds(outcome), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    // Products without a catalogue code: two lines each, in every run.
    EXPECT_EQ(report.erros.count(
                  QStringLiteral("Falta Código de Identificação para o produto: 5031 - ALGODÃO HIDRÓFILO 500G")),
              2);
    EXPECT_EQ(report.erros.count(QStringLiteral("Código de produto inválido! 5032 - GAZE ESTÉRIL 7,5X7,5CM")), 2);

    const QString protocol = report.retornos.value().value(0);
    ASSERT_FALSE(protocol.isEmpty());
    EXPECT_EQ(
        fixture.rows(QStringLiteral("select Protocolo, Data, DataLancamento, Situacao, SituacaoPrioridade, Tipo, cnes, "
                                    "ProtocoloAntigo from TavroProtocolos")),
        (QList<QStringList>{
            {protocol, report.retornos->value(1), "2019-02-01", "Aguardando", "10", "Estoque", "2345678", "<null>"}}));
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1' and TavroSituacao = "
                             "'Aguardando' and TavroSituacaoPrioridade = 10 and data = '2019-01-31' and codunidade = 1")
                  .arg(protocol)),
        9);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null")), 9);
    for (int row = 0; row < stock.rowCount(); ++row) {
        const bool sent = !stock.subCell(row, EstoqueCell::Produto).isEmpty()
            && stock.subCell(row, EstoqueCell::Produto).size() == 15;
        EXPECT_EQ(stock.subCell(row, EstoqueCell::Situacao), sent ? QStringLiteral("Aguardando") : QString());
        EXPECT_EQ(stock.subCell(row, EstoqueCell::Gravar), QString());
    }
    const QStringList sentRequests = requests();
    ASSERT_EQ(sentRequests.size(), 1);
    const QString &request = sentRequests.first();
    EXPECT_TRUE(
        request.contains(QStringLiteral("<coRegistroOrigem>0000005023-000000000000101-AMX1801</coRegistroOrigem>")));
    EXPECT_TRUE(request.contains(QStringLiteral("<dtValidade>30-06-2020</dtValidade>")));
    EXPECT_TRUE(request.contains(QStringLiteral("<dtRegistro>31-01-2019</dtRegistro>")));
    EXPECT_TRUE(request.contains(QStringLiteral("<coTipoEstabelecimento>F</coTipoEstabelecimento>")));
    EXPECT_EQ(request.count(QStringLiteral("<registro>")), 9);
    EXPECT_FALSE(request.contains(QStringLiteral("sgProgramaSaude")));
}

TEST_F(Transmission, BatchLimitAndRepeatCount)
{
    startSim();
    fill(MovementKind::Estoque);
    input.loteMaximo = 4;
    const SendOutcome outcome = click(MovementKind::Estoque, 2);
    EXPECT_EQ(outcome.end, SendOutcome::End::RunsUsedUp);
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), 8);
    // The ninth row, then nothing.
    EXPECT_EQ(runEnds(click(MovementKind::Estoque, 3)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
}

// Lots whose UTF-8 is longer than their text, in a batch large enough that its keys reach the
// database in several texts: each record is claimed and marked by its own key.
TEST_F(Transmission, LargeBatchOfAccentedKeysIsClaimedAndMarkedWhole)
{
    fixture.exec(
        QStringLiteral("execute block as declare n integer = 0; begin"
                       "  while (n < 1500) do begin"
                       "    insert into novolotes (codproduto, lote, dtvalidade, codfabricante)"
                       "      values (101, 'ÇÃÕÉÍÚÂÊ-' || :n, '2020-06-30', 1);"
                       "    insert into conciliacao (lancamento, codunidade, codproduto, lote, data, quantidade)"
                       "      values (90000 + :n, 1, 101, 'ÇÃÕÉÍÚÂÊ-' || :n, '2019-01-31', 10);"
                       "    n = n + 1;"
                       "  end end"));
    startSim();
    fill(MovementKind::Estoque);
    input.loteMaximo = 2000;
    EXPECT_EQ(runEnds(click(MovementKind::Estoque)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    const QString protocol = report.retornos.value().value(0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where lote starting with 'ÇÃÕÉÍÚÂÊ-' and "
                                   "TavroProtocolo = '%1' and TavroSituacao = 'Aguardando'")
                        .arg(protocol)),
              1500);
    EXPECT_TRUE(requests().value(0).contains(QStringLiteral("-ÇÃÕÉÍÚÂÊ-1499</coRegistroOrigem>")));
}

TEST_F(Transmission, ClickAccountMatchesTheDatabaseAndListsEachRefusalOnce)
{
    startSim();
    fixture.exec(QStringLiteral("update conciliacao set quantidade = -3 where lancamento = 5023")); // refused silently
    RecordList &stock = fill(MovementKind::Estoque);
    input.loteMaximo = 3;
    EstoqueTransmission kind;
    const struct
    {
        int vezes;
        SendOutcome::End end;
        int enviados, recusados, restam;
        QString text;
    } clicks[] = {
        {2, SendOutcome::End::RunsUsedUp, 6, 3, 2, QStringLiteral("Enviados 6, recusados 3 (ver Erros), restam 2")},
        {5, SendOutcome::End::AllSent, 2, 3, 0, QStringLiteral("Enviados 2, recusados 3 (ver Erros), restam 0")},
    };
    int sent = 0;
    for (const auto &c : clicks) {
        account = {};
        listed.clear();
        report.erros.clear();
        EXPECT_EQ(click(MovementKind::Estoque, c.vezes).end, c.end);
        account.countRows(kind, stock, input.protocolo);
        EXPECT_EQ(account.enviados(), c.enviados);
        EXPECT_EQ(account.recusados(), c.recusados);
        EXPECT_EQ(account.restam(), c.restam);
        EXPECT_EQ(account.text(), c.text);
        sent += c.enviados;
        // Against the database: what the account calls sent is marked there, the rest is not.
        EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), sent);
        EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where data = '2019-01-31' and codunidade = 1 "
                                       "and TavroSituacao is null")),
                  account.recusados() + account.restam());
        // Every run repeats the checks' lines; the tab gets each once, with the row it names.
        QStringList texts, captions;
        for (const TransmissionAccount::Line &line : listed) {
            texts << line.text;
            captions << line.caption;
        }
        const QString algodao = QStringLiteral("5031 - ALGODÃO HIDRÓFILO 500G");
        const QString gaze = QStringLiteral("5032 - GAZE ESTÉRIL 7,5X7,5CM");
        EXPECT_EQ(texts,
                  (QStringList{QStringLiteral("Falta Código de Identificação para o produto: ") + algodao,
                               QStringLiteral("Código de produto inválido! ") + algodao,
                               QStringLiteral("Falta Código de Identificação para o produto: ") + gaze,
                               QStringLiteral("Código de produto inválido! ") + gaze}));
        EXPECT_EQ(captions, (QStringList{"5031", "5031", "5032", "5032"}));
        EXPECT_GT(report.erros.size(), texts.size());
    }
}

TEST_F(Transmission, StockRectificationCarriesRegistrationCodes)
{
    startSim({QStringLiteral("--aguardando"), QStringLiteral("0")});
    fill(MovementKind::Estoque);
    EstoqueTransmission kind;
    ASSERT_EQ(runEnds(click(MovementKind::Estoque, 1)), RunEnds{RunResult::End::Sent});
    const QString old = report.retornos->value(0);
    // The service rectifies only a protocol whose processing has finished.
    TavroWSAsync port = GetTavroWSAsync(true, QString(), *client);
    port.consultarResultadoProcessamento(ProtocoloType{old, report.retornos->value(1)});
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40, "
                                "TavroCoRegistro = lancamento + 900000 where TavroProtocolo = '%1'")
                     .arg(old));
    fixture.exec(QStringLiteral("update TavroProtocolos set Situacao = 'Ok'"));
    db.rollback();
    fill(MovementKind::Estoque);
    input.protocolo = old;
    input.loteMaximo = 2; // no limit applies to a rectification
    account = {};
    EXPECT_EQ(runEnds(click(MovementKind::Estoque)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    account.countRows(kind, *list, old);
    EXPECT_EQ(account.text(), QStringLiteral("Enviados 9, recusados 0, restam 0"));
    const QString fresh = report.retornos->value(0);
    EXPECT_EQ(report.retornos->value(1), old); // the rectified protocol, between number and time
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select ProtocoloAntigo from TavroProtocolos where Protocolo = '%1'").arg(fresh)),
        old);
    EXPECT_EQ(count(QStringLiteral(
                        "select count(*) from conciliacao where TavroProtocolo = '%1' and TavroSituacao = 'Aguardando'")
                        .arg(fresh)),
              9);
    const QString request = requests().last();
    EXPECT_TRUE(request.contains(QStringLiteral("<nuProtocoloEntrada>%1</nuProtocoloEntrada>").arg(old)));
    EXPECT_TRUE(request.contains(QStringLiteral("<coRegistro>905023</coRegistro>")));
}

TEST_F(Transmission, LineKindsSendTheirRecordsAndChecks)
{
    startSim();
    const struct
    {
        const test::KindCase &kind;
        QString tipo;
        int sent;
        QStringList lines;
        QStringList inRequest;
    } cases[] = {
        {test::kindCase("Entrada"),
         QStringLiteral("Entrada"),
         6,
         {QStringLiteral("Falta CNPJ do Distribuidor do lançamento: 1003-2 - CAPTOPRIL 25MG COMPRIMIDO"),
          QStringLiteral(
              "Falta CNPJ do Fabricante ou Número Internacional o lançamento: 1004-2 - GAZE ESTÉRIL 7,5X7,5CM")},
         {QStringLiteral("<tpEntradaEstoque>E-O</tpEntradaEstoque>"),
          QStringLiteral("<nuValorUnitario>0.1200</nuValorUnitario>"),
          QStringLiteral("<nuCNPJDistribuidor>12345678000195</nuCNPJDistribuidor>"),
          QStringLiteral("<noFabricanteInternacional>IL-4410293</noFabricanteInternacional>")}},
        {test::kindCase("Saida"),
         QStringLiteral("Saída"),
         5,
         {QStringLiteral("Código de produto inválido! Lançamento: 2002-1 - ALGODÃO HIDRÓFILO 500G"),
          QStringLiteral("Falta identificação do fabridante! Lançamento: 2003-2 - METFORMINA 850MG COMPRIMIDO")},
         {QStringLiteral("<idIdentificacao>CNPJ</idIdentificacao><nuCNPJ>34567890000110</nuCNPJ>"),
          QStringLiteral("<idIdentificacao>CNES</idIdentificacao><coCNES>3456789</coCNES>"),
          QStringLiteral("<tpSaida>S-TR</tpSaida>")}},
        {test::kindCase("Dispensacao"),
         QStringLiteral("Dispensação"),
         3,
         {QStringLiteral("Informe o CNS para a pessoa: ANA CLÁUDIA DE SOUZA"),
          QStringLiteral("Informe o CNS correto para a pessoa: JOSÉ CARLOS OLIVEIRA")},
         {QStringLiteral("<nuCNS>898001160580009</nuCNS><peso>68.5</peso><altura>162</altura><cid-10>I10</cid-10>")}},
        {test::kindCase("DispensacaoSemCartao"),
         QStringLiteral("Dispensação"),
         3,
         {QStringLiteral(
             "Apenas Cartões SUS 000000000000000 ou em branco serão transmitidos como Usuário sem Cartão SUS: "
             "MARIA DAS DORES DA SILVA")},
         {QStringLiteral("<tpSaida>S-PA</tpSaida>"),
          QStringLiteral("<idIdentificacao>CNES</idIdentificacao><coCNES>2345678</coCNES>")}},
    };
    for (const auto &c : cases) {
        fixture.exec(QStringLiteral(
            "update itenssaidas set TavroProtocolo = null, TavroSituacao = null, TavroSituacaoPrioridade = null"));
        fixture.exec(QStringLiteral("delete from TavroProtocolos"));
        db.rollback();
        report = {};
        fill(c.kind.list);
        const auto kind = c.kind.make();
        const SendOutcome outcome = click(c.kind.kind);
        EXPECT_EQ(runEnds(outcome), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}))
            << c.tipo.toStdString();
        for (const QString &line : c.lines)
            EXPECT_TRUE(report.erros.contains(line)) << line.toStdString() << "\n"
                                                     << report.erros.join('\n').toStdString();
        const QString request = requests().last();
        EXPECT_EQ(request.count(QStringLiteral("<registro>")), c.sent) << c.tipo.toStdString();
        for (const QString &part : c.inRequest)
            EXPECT_TRUE(request.contains(part)) << part.toStdString();
        EXPECT_EQ(fixture.rows(QStringLiteral("select Tipo, ProtocoloAntigo from TavroProtocolos")),
                  (QList<QStringList>{{c.tipo, QStringLiteral("<null>")}}));
    }
}

TEST_F(Transmission, EmptiedCnpjMasksCountAsNoCnpj)
{
    startSim();
    const QString mask = QStringLiteral("'  .   .   /    -  '");
    fixture.exec(
        QStringLiteral("update Fabricantes set cnpj = %1 where codigo = 3").arg(mask)); // has an international number
    fixture.exec(QStringLiteral("insert into FORNECEDORES (CODIGO, nome, CNPJ) values (4, 'SEM CNPJ NA MÁSCARA', %1)")
                     .arg(mask));
    fixture.exec(QStringLiteral("update ENTRADAS set codfornecedor = 4 where lancamento = 1001"));
    fixture.exec(
        QStringLiteral("update PESSOAS set cnpj = %1 where codigo = 7").arg(mask)); // destination of an S-TR issue
    db.rollback();
    const QRegularExpression blankCnpj(QStringLiteral("<(nuCNPJFabricante|nuCNPJDistribuidor|nuCNPJ)>[ ./-]*</"));

    fill(MovementKind::Entradas);
    EXPECT_EQ(runEnds(click(MovementKind::Entradas)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    QString request = requests().last();
    EXPECT_TRUE(request.contains(QStringLiteral("<noFabricanteInternacional>IL-4410293</noFabricanteInternacional>")));
    EXPECT_FALSE(request.contains(blankCnpj)) << request.toStdString();
    EXPECT_TRUE(std::any_of(report.erros.begin(), report.erros.end(), [](const QString &line) {
        return line.startsWith(QStringLiteral("Falta CNPJ do Distribuidor do lançamento: 1001-1 - "));
    })) << report.erros.join('\n').toStdString();

    report = {};
    fill(MovementKind::Saidas);
    EXPECT_EQ(runEnds(click(MovementKind::Saidas)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    request = requests().last();
    EXPECT_FALSE(request.contains(blankCnpj)) << request.toStdString();
    EXPECT_TRUE(report.erros.contains(QStringLiteral("Falta identificação do destino da saída! Lançamento: 2003-1 - ")
                                      + QStringLiteral("LOSARTANA POTASSICA 50MG COMPRIMIDO")))
        << report.erros.join('\n').toStdString();
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from itenssaidas where lancamento = 2003 and TavroProtocolo is null")),
        count(QStringLiteral("select count(*) from itenssaidas where lancamento = 2003")));
}

TEST_F(Transmission, IssuesOfAChosenProtocolGoAgainAsANewBatch)
{
    startSim();
    fill(MovementKind::Saidas);
    ASSERT_EQ(runEnds(click(MovementKind::Saidas, 1)), RunEnds{RunResult::End::Sent});
    const QString first = report.retornos->value(0);
    fixture.exec(QStringLiteral(
        "update itenssaidas set TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40 where lancamento = 2001"));
    db.rollback();
    fill(MovementKind::Saidas);
    input.protocolo = first;
    EXPECT_EQ(runEnds(click(MovementKind::Saidas)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    EXPECT_EQ(requests().last().count(QStringLiteral("<registro>")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos where ProtocoloAntigo is null")), 2);
}

TEST_F(Transmission, FailuresLeaveNothingWritten)
{
    const struct
    {
        QStringList simArguments;
        QString ibge;
        QString expected;
    } cases[] = {
        {{QStringLiteral("--falha-fault"), QStringLiteral("Falha interna do serviço")},
         QStringLiteral("3550308"),
         QStringLiteral("Falha interna do serviço")},
        {{}, QStringLiteral("35x"), QStringLiteral("'35x' is not a valid integer value")},
    };
    for (const auto &c : cases) {
        startSim(c.simArguments);
        input.ibge = c.ibge;
        RecordList &stock = fill(MovementKind::Estoque);
        const SendOutcome outcome = click(MovementKind::Estoque);
        EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
        EXPECT_EQ(outcome.mensagem, c.expected);
        EXPECT_FALSE(db.inTransaction()); // rolled back at once: no later commit can keep a mark
        // A batch the service refused keeps its registry row, as "Não enviado", and nothing else.
        EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos where Situacao <> 'Não enviado'")), 0);
        EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null")), 0);
        for (int row = 0; row < stock.rowCount(); ++row) {
            EXPECT_EQ(stock.subCell(row, EstoqueCell::Gravar), QString());
            EXPECT_EQ(stock.subCell(row, EstoqueCell::Situacao), QString());
        }
    }
}

// One mistyped line must not hold back its kind: the row is refused with a line naming it,
// and the others go out.
TEST_F(Transmission, UnreadableRowIsRefusedAndTheOthersGoOut)
{
    startSim();
    const struct
    {
        const test::KindCase &kind;
        QString update;
        QString undo;        // the demo's own value again, for the next case
        QStringList refused; // captions
        QString conversion;
        int sent;
    } cases[] = {
        {test::kindCase("Entrada"),
         QStringLiteral("update itensentradas set QUANTIDADE = 2.5 where lancamento = 1001 and item = 2"),
         QStringLiteral("update itensentradas set QUANTIDADE = 1000 where lancamento = 1001 and item = 2"),
         {QStringLiteral("1001-2")},
         QStringLiteral("'2,5' is not a valid integer value"),
         5},
        {test::kindCase("Saida"),
         QStringLiteral("update itenssaidas set QUANTIDADE = 0.5 where lancamento = 2001 and item = 1"),
         QStringLiteral("update itenssaidas set QUANTIDADE = 100 where lancamento = 2001 and item = 1"),
         {QStringLiteral("2001-1")},
         QStringLiteral("'0,5' is not a valid integer value"),
         4},
        {test::kindCase("Dispensacao"),
         QStringLiteral("update saidas set altura = 1.62 where lancamento = 3001"),
         QStringLiteral("update saidas set altura = 162 where lancamento = 3001"),
         {QStringLiteral("3001-1"), QStringLiteral("3001-2")},
         QStringLiteral("'1,62' is not a valid integer value"),
         1},
        {test::kindCase("DispensacaoSemCartao"),
         QStringLiteral("update itenssaidas set QUANTIDADE = 2.5 where lancamento = 3004"),
         QString(),
         {QStringLiteral("3004-1")},
         QStringLiteral("'2,5' is not a valid integer value"),
         2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.update.toStdString());
        fixture.exec(QStringLiteral("update itenssaidas set TavroProtocolo = null, TavroSituacao = null, "
                                    "TavroSituacaoPrioridade = null"));
        fixture.exec(QStringLiteral("update itensentradas set TavroProtocolo = null, TavroSituacao = null, "
                                    "TavroSituacaoPrioridade = null"));
        fixture.exec(QStringLiteral("delete from TavroProtocolos"));
        fixture.exec(c.update);
        db.rollback();
        report = {};
        RecordList &rows = fill(c.kind.list);
        const auto kind = c.kind.make();
        EXPECT_EQ(runEnds(click(c.kind.kind)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
        EXPECT_EQ(requests().last().count(QStringLiteral("<registro>")), c.sent);
        EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2' and TavroSituacao = "
                                       "'Aguardando'")
                            .arg(c.kind.table, report.retornos->value(0))),
                  c.sent);
        for (const QString &caption : c.refused) {
            const QStringList key = caption.split(QLatin1Char('-'));
            EXPECT_EQ(
                fixture.scalar(QStringLiteral("select coalesce(TavroProtocolo, '') || coalesce(TavroSituacao, '') "
                                              "from %1 where lancamento = %2 and item = %3")
                                   .arg(c.kind.table, key[0], key[1])),
                QString());
            int row = 0;
            while (row < rows.rowCount() && rows.caption(row) != caption)
                ++row;
            ASSERT_LT(row, rows.rowCount());
            EXPECT_EQ(rows.subCell(row, kind->cells().situacao), QString());
            EXPECT_EQ(rows.subCell(row, kind->cells().gravar), QString());
            // Once per run that met the row.
            EXPECT_EQ(report.erros.count(UnreadableRowMessage + caption + QStringLiteral(" - ")
                                         + rows.subCell(row, kind->cells().nome) + QStringLiteral(" - ")
                                         + c.conversion),
                      2)
                << report.erros.join('\n').toStdString();
        }
        if (!c.undo.isEmpty())
            fixture.exec(c.undo);
    }
}

// The rectified record's registration code concerns the whole rectification: without it the
// run still ends, with nothing sent or written.
TEST_F(Transmission, RectificationWithoutARegistrationCodeStillEndsTheRun)
{
    startSim();
    for (const QString &table : {QStringLiteral("conciliacao"), QStringLiteral("itensentradas")})
        fixture.exec(
            QStringLiteral("update %1 set TavroProtocolo = 'P1', TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40")
                .arg(table));
    db.rollback();
    input.protocolo = QStringLiteral("P1");
    for (const char *id : {"Estoque", "Entrada"}) {
        const test::KindCase &c = test::kindCase(id);
        fill(c.list);
        const SendOutcome outcome = click(c.kind);
        EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
        EXPECT_EQ(outcome.mensagem, QStringLiteral("'' is not a valid integer value"));
    }
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao <> 'Ok'")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from itensentradas where TavroSituacao <> 'Ok'")), 0);
}

TEST_F(Transmission, PassingServerTextStartsTheNextRun)
{
    startSim({QStringLiteral("--falha-fault"), QStringLiteral("O identificador não está no estado correto"),
              QStringLiteral("--falhas"), QStringLiteral("1")});
    fill(MovementKind::Estoque);
    EstoqueTransmission kind;
    const SendOutcome outcome = click(MovementKind::Estoque);
    EXPECT_EQ(outcome.end, SendOutcome::End::AllSent);
    ASSERT_EQ(runEnds(outcome).size(), 3);
    EXPECT_EQ(runEnds(outcome).mid(1), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    EXPECT_TRUE(outcome.serverText());
    EXPECT_EQ(report.erros.filter(QStringLiteral("O identificador não está no estado correto")).size(), 1);
    EXPECT_FALSE(rowsLeftToSend(kind, *list, input));
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), 9);
}

// A service that answers every run with a passing text sends nothing: each run's text
// is in "Erros", the rows stay as the database holds them and are still to send, for a
// new batch and for the rectification of a protocol alike.
TEST_F(Transmission, PassingServerTextOnEveryRunLeavesTheRowsToSend)
{
    startSim({QStringLiteral("--falha-fault"), QStringLiteral("O identificador não está no estado correto")});
    fixture.exec(
        QStringLiteral("update conciliacao set TavroProtocolo = 'P1', TavroData = 'D1', TavroSituacao = 'Ok', "
                       "TavroSituacaoPrioridade = 40, TavroCoRegistro = '77' where lancamento in (5023, 5024)"));
    for (const QString &protocolo : {QString(), QStringLiteral("P1")}) {
        SCOPED_TRACE(protocolo.isEmpty() ? "new batch" : "rectification");
        input.protocolo = protocolo;
        report = {};
        RecordList &stock = fill(MovementKind::Estoque);
        EstoqueTransmission kind;
        const SendOutcome outcome = click(MovementKind::Estoque, 3);
        EXPECT_EQ(outcome.end, SendOutcome::End::StoppedByServer); // its runs used up
        EXPECT_TRUE(outcome.serverText());
        EXPECT_EQ(report.erros.filter(QStringLiteral("O identificador não está no estado correto")).size(), 3);
        EXPECT_TRUE(rowsLeftToSend(kind, stock, input));
        EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), 0);
        EXPECT_EQ(fixture.rows(QStringLiteral("select TavroProtocolo, TavroSituacao from conciliacao "
                                              "where lancamento = 5023")),
                  (QList<QStringList>{{QStringLiteral("P1"), QStringLiteral("Ok")}}));
        for (int row = 0; row < stock.rowCount(); ++row) {
            if (stock.caption(row) == QLatin1String("5023")) {
                EXPECT_EQ(stock.subCell(row, EstoqueCell::Situacao), QStringLiteral("Ok"));
            }
        }
    }
}

TEST_F(Transmission, UnitWithoutAKnownTypeStopsBeforeSending)
{
    startSim();
    input.cnes = QStringLiteral("4567890"); // "farmácia básica": lower-case f
    fill(MovementKind::Estoque);
    const SendOutcome outcome = click(MovementKind::Estoque);
    EXPECT_EQ(outcome.end, SendOutcome::End::UnitTypeMissing);
    EXPECT_EQ(runEnds(outcome), RunEnds{RunResult::End::UnitTypeMissing});
    EXPECT_EQ(outcome.mensagem, UnitTypeMissingMessage);
    EXPECT_TRUE(requests().isEmpty());
}

TEST_F(Transmission, AnswerWhoseLogCannotBeWrittenIsStillRecorded)
{
    startSim({QStringLiteral("--atraso"), QStringLiteral("1500")});
    fill(MovementKind::Estoque);
    // Once the request is logged, the log folder's place is taken by a file, so writing the
    // answer's log fails after the answer arrived.
    QTimer takeFolder;
    QObject::connect(&takeFolder, &QTimer::timeout, [&] {
        if (QDir(logFolder).entryList({QStringLiteral("*_req.xml")}).isEmpty())
            return;
        takeFolder.stop();
        QDir().rename(logFolder, logFolder + QStringLiteral("-moved"));
        QFile file(logFolder);
        file.open(QIODevice::WriteOnly);
    });
    takeFolder.start(50);
    EXPECT_EQ(runEnds(click(MovementKind::Estoque, 1)), RunEnds{RunResult::End::Sent});
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), 9);
    ASSERT_FALSE(report.erros.filter(QStringLiteral("Não foi possível gravar o log da resposta na pasta")).isEmpty())
        << report.erros.join('\n').toStdString();
}

TEST(ProtocolSummary, TellsTheProtocolAndHowItGoesAgain)
{
    const ProtocolSummary known{QStringLiteral("123"), QStringLiteral("2019-02-01T10:00:00"), QStringLiteral("Saída")};
    const ProtocolSummary unknown{QStringLiteral("456"), QString(), QString()};
    EXPECT_EQ(known.descricao(), QStringLiteral("123 - 2019-02-01T10:00:00 - Saída"));
    EXPECT_EQ(unknown.descricao(), QStringLiteral("456"));
    EXPECT_EQ(known.retransmissionQuestion(1, false),
              QStringLiteral("Retransmitir o protocolo 123, de 2019-02-01T10:00:00 (Saída)?\n"
                             "1 registro será enviado de novo ao Tavro num novo lote."));
    EXPECT_EQ(
        unknown.retransmissionQuestion(9, true),
        QStringLiteral("Retransmitir o protocolo 456?\n9 registros serão enviados de novo ao Tavro como retificação."));
}
