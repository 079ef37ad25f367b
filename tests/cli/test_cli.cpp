#include "CliFixture.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tavro::test;

TEST_F(Cli, ListsEachKindWithCaptionsAndCells)
{
    const QByteArray configBefore = configText();

    const CliRun stock = listar({"estoque", "--dia", "31/01/2019"});
    ASSERT_EQ(stock.exitCode, 0) << stock.err.toStdString();
    EXPECT_EQ(stock.err, QString());
    const QStringList lines = stock.lines();
    ASSERT_EQ(lines.size(), 1 + 9);
    EXPECT_EQ(lines.at(0),
        QStringLiteral("Lanc.\tCodigo\tProduto\tNome\tLote\tValidade\tQuantidade\tData\t"
                       "Programa Saude\tIUM\tProtocolo\tData\tSituação\tCoReg.\tGravar"));
    EXPECT_EQ(lines.at(1),
        QStringLiteral("5023\t101\tBR0268143000016\tAMOXICILINA 500MG CAPSULA\tAMX1801\t30/06/2020\t"
                       "379\t31/01/2019\t\t\t\t\t\t\t"));

    const struct {
        const char *kind;
        int columns;
        QStringList captions;
    } periods[] = {
        {"entradas", 20, {"1001-1", "1001-2", "1001-3", "1002-1", "1002-2", "1003-1", "1003-2", "1004-1"}},
        {"saidas", 20, {"2001-1", "2001-2", "2003-1", "2003-2", "2004-1", "3006-1"}},
        {"dispensacoes", 25, {"3001-1", "3001-2", "3002-1", "3003-1", "3004-1", "3005-1", "3006-1"}},
    };
    for (const auto &p : periods) {
        SCOPED_TRACE(p.kind);
        const CliRun r = listar(QStringList{p.kind} + January);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("Código\tProduto\tNome\tLote\t")));
        EXPECT_EQ(r.captions(), p.captions);
        for (const QString &line : r.lines())
            EXPECT_EQ(line.count(QLatin1Char('\t')), p.columns - 1) << line.toStdString();
    }

    // Unit 2, chosen by code, has four positions that day.
    const CliRun other
        = run({"--usuario", "FARMACIA", "--unidade", "2", "listar", "estoque", "--dia", "31/01/2019", "--sem-codigo"});
    ASSERT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_EQ(other.captions().size(), 4);

    EXPECT_EQ(configText(), configBefore); // the command line never writes config.ini
}

TEST_F(Cli, StatusAndProtocolFiltersWithAQuote)
{
    fixture.exec("update itenssaidas set TavroProtocolo = 'P''1', TavroSituacao = 'Ok (Inc.)' where lancamento = 3001");
    fixture.exec("update itenssaidas set TavroProtocolo = 'P2', TavroSituacao = 'Aguardando' where lancamento = 3002");

    const CliRun quoted = listar(QStringList{"dispensacoes", "--protocolo", "P'1"} + January);
    ASSERT_EQ(quoted.exitCode, 0) << quoted.err.toStdString();
    EXPECT_EQ(quoted.captions(), (QStringList{"3001-1", "3001-2"}));
    EXPECT_TRUE(quoted.lines().value(1).contains(QStringLiteral("\tP'1\t\tOk (Inc.)\t")));

    const CliRun okOnly = listar(QStringList{"dispensacoes", "--situacao", "ok"} + January);
    EXPECT_EQ(okOnly.captions(), (QStringList{"3001-1", "3001-2", "3003-1", "3004-1", "3005-1", "3006-1"}));
    const CliRun waiting = listar(QStringList{"dispensacoes", "--situacao", "aguardando,finalizados"} + January);
    EXPECT_EQ(waiting.captions(), (QStringList{"3002-1", "3003-1", "3004-1", "3005-1", "3006-1"}));
    EXPECT_EQ(listar(QStringList{"dispensacoes", "--sem-codigo"} + January).captions().size(), 8);
}

TEST_F(Cli, WrongUsageExitsTwoWithUsageText)
{
    const QList<QStringList> cases = {
        {},
        {"--usuario", "FARMACIA", "listar"},
        {"--usuario", "FARMACIA", "listar", "estoque"},
        {"--usuario", "FARMACIA", "listar", "vendas", "--dia", "31/01/2019"},
        {"--usuario", "FARMACIA", "listar", "entradas", "--de", "01/01/2019"},
        {"--usuario", "FARMACIA", "listar", "saidas", "--de", "01/01/2019", "--ate", "31/01/2019", "--situacao",
            "ok,x"},
        {"--usuario", "FARMACIA", "listar", "estoque", "--dia", "31/01/2019", "--de", "01/01/2019"},
        {"--usuario", "FARMACIA", "protocolos", "--dia", "31/01/2019"},
        {"--usuario", "FARMACIA", "transmitir"},
        {"--usuario", "FARMACIA", "--nada", "protocolos"},
        {"--usuario", "FARMACIA", "protocolos", "--senha"},
        {"protocolos"},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CliRun r = run(arguments);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Uso:"))) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
    }
    EXPECT_EQ(run({"--usuario", "FARMACIA", "protocolos"}, QString()).exitCode, 2); // no password anywhere
}

TEST_F(Cli, LoginAsTheWindowDoes)
{
    const QStringList protocolos{"--usuario", "FARMACIA", "protocolos"};
    const CliRun refused = run(protocolos, QStringLiteral("errada"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("Usuário ou Senha incorretos!\n"));
    EXPECT_EQ(refused.out, QString());
    EXPECT_EQ(run(protocolos + QStringList{"--senha", Password}, QStringLiteral("errada")).exitCode, 0);

    fixture.exec("insert into TavroProtocolos (Protocolo, Data, Situacao, Tipo, cnes) "
                 "values ('111', '10/01/2019 10:00:00', 'Aguardando', 'Estoque', '2345678')");
    fixture.exec("insert into TavroProtocolos (Protocolo, Data, Situacao, Tipo, cnes) "
                 "values ('222', '11/01/2019 10:00:00', 'Ok', 'Entrada', '3456789')");
    const CliRun restricted = run(protocolos, MasterPassword);
    ASSERT_EQ(restricted.exitCode, 0) << restricted.err.toStdString();
    EXPECT_EQ(restricted.lines(),
        (QStringList{"Lançamento\tProtocolo\tData\tTipo\tSituação\tProt. Retificado\tCNES",
            "1\t111\t10/01/2019 10:00:00\tEstoque\tAguardando\t\t2345678"}));
    EXPECT_EQ(run(protocolos + QStringList{"--todos-cnes"}, MasterPassword).captions(), (QStringList{"2", "1"}));
    // Another unit by code: its CNES is looked up for the protocol list.
    EXPECT_EQ(run(protocolos + QStringList{"--unidade", "2"}, MasterPassword).captions(), QStringList{"2"});
    const CliRun unknownUnit = run(protocolos + QStringList{"--unidade", "99"});
    EXPECT_EQ(unknownUnit.exitCode, 1);
    EXPECT_EQ(unknownUnit.out, QString());

    const CliRun refusedList
        = run({"--usuario", "FARMACIA", "listar", "estoque", "--dia", "31/01/2019"}, MasterPassword);
    EXPECT_EQ(refusedList.exitCode, 1);
    EXPECT_EQ(refusedList.out, QString());
    EXPECT_TRUE(refusedList.err.contains(QStringLiteral("senha mestra"))) << refusedList.err.toStdString();
}

TEST_F(Cli, FailuresExitOneWithTheWindowsTexts)
{
    const CliRun badDate = listar({"entradas", "--de", "01/01/2019", "--ate", "31/02/2019"});
    EXPECT_EQ(badDate.exitCode, 1);
    EXPECT_EQ(badDate.err, QStringLiteral("'31/02/2019' is not a valid date\n"));
    EXPECT_EQ(badDate.out, QString());

    const QString missing = fixture.folder() + QStringLiteral("/nada/ausente.fdb");
    writeConfig(missing);
    const CliRun r = listar({"estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(r.exitCode, 1);
    const QStringList err = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(err.size(), 2) << r.err.toStdString();
    EXPECT_EQ(err.at(0), QStringLiteral("Não encontrado arquivo de banco de dados em ") + missing);
    EXPECT_FALSE(err.at(1).trimmed().isEmpty());
    EXPECT_EQ(r.out, QString());
}

namespace {

const QString ListHeader = QStringLiteral("Lançamento\tProtocolo\tData\tTipo\tSituação\tProt. Retificado\tCNES");

} // namespace

TEST_F(CliFollowup, ChecksPrintTheirLinesThenTheListAndRefuseAsTheButtons)
{
    startSim({"--aguardando", "1"});
    const QString stock = send(QStringLiteral("Estoque"), {"5001", "5002"});

    const CliRun waiting = verb({"processamento", stock});
    ASSERT_EQ(waiting.exitCode, 0) << waiting.err.toStdString();
    EXPECT_EQ(waiting.lines().mid(0, 4), (QStringList{"M", "3550308", "Aguardando", ListHeader}));
    EXPECT_TRUE(waiting.lines().value(4).contains(stock + "\t")) << waiting.out.toStdString();

    const CliRun early = verb({"inconsistencia", stock});
    EXPECT_EQ(early.exitCode, 1);
    EXPECT_EQ(early.err,
              QStringLiteral("Somente protocolos Finalizados podem ter as Inconsistências verificadas!\n"));
    EXPECT_EQ(early.out, QString());

    EXPECT_EQ(verb({"processamento", stock}).lines().value(2), QStringLiteral("Finalizado"));
    const CliRun ok = verb({"inconsistencia", stock});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.lines().mid(0, 3), (QStringList{"M", "3550308", ListHeader}));
    EXPECT_EQ(status(stock), QStringLiteral("Ok"));
    EXPECT_EQ(fixture.scalar("select count(*) from conciliacao where TavroSituacao = 'Ok'"), QStringLiteral("2"));

    const CliRun unknown = verb({"processamento", "999"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, QStringLiteral("Selecione o protocolo!\n"));
}

TEST_F(CliFollowup, VerificarWalksTheFilteredListAsManyTimesAsAsked)
{
    startSim({"--aguardando", "1"});
    const QString stock = send(QStringLiteral("Estoque"), {"5001"});
    const QString dispensing = send(QStringLiteral("Dispensação"), {"3001-1", "3001-2"}, {"3001-2"});

    const CliRun r = verb({"verificar", "--vezes", "2", "--tipo", "dispensacoes"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.lines().contains(QStringLiteral("codigoerro=E026"))) << r.out.toStdString();
    const QStringList list = r.lines().mid(r.lines().indexOf(ListHeader));
    ASSERT_EQ(list.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(list.at(1).contains(QStringLiteral("\tInconsistência\t"))) << list.at(1).toStdString();
    EXPECT_EQ(status(dispensing), QStringLiteral("Inconsistência"));
    EXPECT_EQ(fixture.scalar("select TavroSituacao from itenssaidas where lancamento = 3001 and item = 1"),
              QStringLiteral("Ok"));
    EXPECT_EQ(status(stock), QStringLiteral("Aguardando"));
}

TEST_F(CliFollowup, FailedCheckExitsOneAndCommitsNothing)
{
    startSim({"--aguardando", "0"});
    const QString protocolo = send(QStringLiteral("Saída"), {"2001-1"});
    sim.reset(); // nothing listens at the configured address any more

    const CliRun r = verb({"processamento", protocolo});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.trimmed().isEmpty());
    EXPECT_EQ(r.lines().value(0), ListHeader);
    EXPECT_EQ(status(protocolo), QStringLiteral("Aguardando"));

    EXPECT_EQ(run({"--usuario", "FARMACIA", "verificar"}, MasterPassword).exitCode, 1);
    for (const QStringList &usage : {QStringList{"processamento"}, QStringList{"verificar", "--vezes", "x"},
                                     QStringList{"verificar", "--tipo", "vendas"},
                                     QStringList{"processamento", "1", "--vezes", "2"}}) {
        EXPECT_EQ(verb(usage).exitCode, 2) << usage.join(' ').toStdString();
    }
}

TEST_F(CliFollowup, TransmitThenFollowUpThenPrintTheWholeCycle)
{
    startSim({"--aguardando", "0"});
    const CliRun sent = verb({"transmitir", "estoque", "--dia", "31/01/2019", "--lote", "5", "--vezes", "3"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(sent.lines().mid(0, 3), (QStringList{"transmitido", "transmitido", "pronto"}));
    EXPECT_TRUE(sent.err.contains(QStringLiteral("Atenção! Todos os registros já foram transferidos!")));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Tipo = 'Estoque'")), "2");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")), "9");

    const CliRun checked = verb({"verificar"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err.toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Ok'")), "9");

    const QString pdf = fixture.folder() + QStringLiteral("/listagem.pdf");
    const CliRun printed = verb(QStringList{"imprimir", "--pdf", pdf} + January);
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

TEST_F(CliFollowup, TransmitAbortsWithTheServiceTextAndWritesNothing)
{
    startSim({"--falha-fault", "Falha interna do serviço"});
    const CliRun r = verb(QStringList{"transmitir", "sem-cartao"} + January);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Erro, transmissão abortada! Falha interna do serviço"))) << r.err.toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), "0");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from itenssaidas where TavroSituacao is not null")), "0");
    EXPECT_EQ(verb(QStringList{"transmitir", "tudo"} + January).exitCode, 2);
    EXPECT_EQ(verb({"imprimir", "--de", "01/01/2019", "--ate", "31/01/2019"}).exitCode, 2); // no --pdf
}
