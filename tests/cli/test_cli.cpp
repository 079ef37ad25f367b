#include "CliFixture.h"
#include "FileMode.h"
#include "PdfText.h"

#include "cli/CliVerbs.h"
#include "db/Database.h"
#include "service/SoapClient.h"
#include "session/Login.h"
#include "transmission/Transmission.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <tuple>

#include <memory>

#include <csignal>
#include <sys/types.h>

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

    const struct
    {
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
    const CliRun other = run(
        {"--usuario", "FARMACIA", "--unidade", "2", "listar", "estoque", "--dia", "31/01/2019", "--sem-codigo"});
    ASSERT_EQ(other.exitCode, 0) << other.err.toStdString();
    EXPECT_EQ(other.captions().size(), 4);

    EXPECT_EQ(configText(), configBefore); // the command line never writes config.ini
}

// A short year means what the window's date field makes of it: within fifty years of today.
TEST_F(Cli, ShortYearsListWhatFourDigitYearsList)
{
    const struct
    {
        QStringList shortYears, fullYears;
    } cases[] = {
        {{"--de", "01/01/19", "--ate", "31/01/19"}, January},
        {{"--de", "1/1/80", "--ate", "31/01/19"}, {"--de", "01/01/1980", "--ate", "31/01/2019"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shortYears.join(QLatin1Char(' ')).toStdString());
        const CliRun shortYears = listar(QStringList{"entradas"} + c.shortYears);
        ASSERT_EQ(shortYears.exitCode, 0) << shortYears.err.toStdString();
        EXPECT_EQ(shortYears.captions().size(), 8);
        EXPECT_EQ(shortYears.out, listar(QStringList{"entradas"} + c.fullYears).out);
    }
}

// Without --pdf the listing goes where the window's print dialog offers it: the user's
// documents folder, in a file of its own for the unit and the period.
TEST_F(Cli, PrintsTheListingIntoTheDocumentsFolderByDefault)
{
    const QString home = fixture.folder() + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Documents")));
    QProcessEnvironment env = environment(Password);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    const CliRun r = exec(
        cliPath(),
        {"--config", configPath(), "--usuario", "FARMACIA", "imprimir", "--de", "01/01/19", "--ate", "31/01/19"}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString path = home + QStringLiteral("/Documents/Dispensacoes_2345678_2019-01-01_a_2019-01-31.pdf");
    EXPECT_EQ(r.lines(), QStringList{QStringLiteral("Listagem gravada em: ") + path});
    const QStringList pages = pdfPages(path);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages.first().contains(QStringLiteral("Período de 01/01/2019 a 31/01/2019")));
    EXPECT_TRUE(pages.first().contains(QStringLiteral("3006 - 1")));
    EXPECT_TRUE(pages.first().contains(QStringLiteral("Página 1 de 1")));
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
        {"--onde", "protocolos"},
        {"--usuario", "FARMACIA", "protocolos", "--limpar"},
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

// Each verb reads its own options, by its own table: an option's value is never taken for
// a verb, nor a verb's name in a value for the verb.
TEST_F(Cli, EachVerbReadsItsOwnOptions)
{
    fixture.exec(
        "insert into Usuarios (Usuario, Nome, Senha, TavroUsuario, TavroSenha) "
        "select 'SINCRONIZAR', Nome, Senha, TavroUsuario, TavroSenha from Usuarios where Usuario = 'FARMACIA'");
    const CliRun named = run({"--usuario", "sincronizar", "--senha", Password, "situacao", "--json"});
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(named.out.toUtf8()).object().contains("linhas"));
    const CliRun places = run({"--usuario", "imprimir", "--onde"});
    EXPECT_EQ(places.exitCode, 0);
    EXPECT_TRUE(places.out.contains(QStringLiteral("config.ini"))) << places.out.toStdString();
    EXPECT_EQ(places.err, QString()); // no GUI application, so no platform notice
    // A verb option before the verb, when every verb reads it the same way.
    EXPECT_EQ(run({"--dia", "31/01/2019", "--usuario", "FARMACIA", "listar", "estoque"}).exitCode, 0);

    const struct
    {
        QStringList arguments;
        int exitCode;
        QString out; // a part of stdout
        QString err; // a part of stderr
    } cases[] = {
        {{"listar", "--help"}, 0, "listar estoque --dia DD/MM/AAAA", ""},
        {{"situacao", "--help"}, 0, "um objeto JSON", ""},
        {{"sincronizar", "-h"}, 0, "--json ARQUIVO", ""},
        {{"--help"}, 0, "Opções comuns:", ""},
        {{"--version"}, 0, "tavro-cli 2.", ""},
        {{"--usuario", "F", "situacao", "--json=x.json"}, 2, "", "A opção --json não leva valor"},
        {{"--usuario", "F", "sincronizar", "--json"}, 2, "", "Falta o valor da opção --json (ARQUIVO)"},
        {{"--usuario", "F", "protocolos", "--nada"}, 2, "", "Opção desconhecida: --nada"},
        {{"--usuario", "F", "protocolos", "--lote", "3"}, 2, "", "A opção --lote não se aplica a protocolos"},
        {{"--usuario", "F", "--json", "x.json", "sincronizar"}, 2, "", "A opção --json vem depois do comando"},
        {{"--usuario", "F", "--pdf", "x.pdf", "listar", "estoque"}, 2, "", "A opção --pdf não se aplica a listar"},
        {{"--usuario", "F", "enviar"}, 2, "", "Comando desconhecido: enviar"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.out)) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
}

// The usage texts are made from the verb table the parser reads: the general one names every
// verb and every option, each with its value, and a verb's own usage is its part of the general
// one over the same common options. What a verb's part says of options, it says of its own.
TEST_F(Cli, UsageTextsComeFromTheVerbTable)
{
    const CliRun general = run({"--help"});
    ASSERT_EQ(general.exitCode, 0) << general.err.toStdString();
    const auto named = [](const tavro::CliOption &option) -> QString {
        return QStringLiteral("  --") + option.name
            + (option.takesValue() ? QLatin1Char(' ') + option.valueName : QString()) + QLatin1Char(' ');
    };
    for (const tavro::CliOption &option : tavro::commonOptions().all)
        EXPECT_TRUE(general.out.contains(named(option))) << option.name.toStdString();

    const QString common = QStringLiteral("\nOpções comuns:\n");
    const QRegularExpression optionWord(QStringLiteral("--([a-z][a-z-]*)"));
    for (const tavro::CliVerbSpec &verb : tavro::cliVerbs()) {
        SCOPED_TRACE(verb.name.toStdString());
        const CliRun own = run({verb.name, "--help"});
        ASSERT_EQ(own.exitCode, 0) << own.err.toStdString();
        ASSERT_TRUE(own.out.startsWith(QStringLiteral("Uso:\n"))) << own.out.toStdString();
        const qsizetype commonAt = own.out.indexOf(common);
        ASSERT_GT(commonAt, 0) << own.out.toStdString();
        const QString part = own.out.mid(4, commonAt - 4 + 1);
        EXPECT_TRUE(general.out.contains(part)) << part.toStdString();
        EXPECT_TRUE(general.out.contains(own.out.mid(commonAt))) << own.out.mid(commonAt).toStdString();

        EXPECT_TRUE(part.contains(QStringLiteral("\n  tavro-cli [opções] ") + verb.name)) << part.toStdString();
        EXPECT_TRUE(general.out.contains(QStringLiteral("\n  ") + verb.name + QLatin1Char(' ')));
        for (const tavro::CliOption &option : verb.options)
            EXPECT_TRUE(part.contains(named(option))) << option.name.toStdString();
        for (auto it = optionWord.globalMatch(part); it.hasNext();) {
            const QString name = it.next().captured(1);
            EXPECT_TRUE(verb.option(name)) << name.toStdString();
        }
    }
}

TEST_F(Cli, SituacaoCountsEveryKindMonthAndStatus)
{
    fixture.exec("update itensentradas set TavroSituacao = 'Estranho' where lancamento = 1001 and item = 1");
    fixture.exec("update itenssaidas set TavroSituacao = 'Ok (Inc.)' where lancamento = 3001");
    const QStringList situacao{"--usuario", "FARMACIA", "situacao"};
    const CliRun year = run(situacao + QStringList{"--ano", "2019"});
    ASSERT_EQ(year.exitCode, 0) << year.err.toStdString();
    const QStringList lines = year.lines();
    EXPECT_EQ(lines.first(), QStringLiteral("tipo\tmes\tsituacao\tquantidade"));
    EXPECT_EQ(lines.size(), 1 + 4 * 12 * 8); // the empty status, six of the vocabulary and "Estranho"
    for (const char *line : {"estoque\t01/2019\t\t27", "entradas\t01/2019\t\t7", "entradas\t01/2019\tEstranho\t1",
                             "entradas\t02/2019\t\t1", "saidas\t01/2019\t\t6", "dispensacoes\t01/2019\tOk (Inc.)\t2",
                             "dispensacoes\t12/2019\tOk-Retificado\t0"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    const QStringList year2019{"--ano", "2019"};
    EXPECT_TRUE(run(situacao + year2019 + QStringList{"--sem-codigo"}).lines().contains("estoque\t01/2019\t\t33"));
    EXPECT_TRUE(run(situacao + year2019 + QStringList{"--unidade", "2"}).lines().contains("estoque\t01/2019\t\t4"));

    const CliRun json = run(situacao + QStringList{"--de", "12/2018", "--ate", "02/2019", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(document.value("de").toString(), QStringLiteral("12/2018"));
    EXPECT_EQ(document.value("ate").toString(), QStringLiteral("02/2019"));
    EXPECT_EQ(document.value("cnes").toString(), QStringLiteral("2345678"));
    const QJsonArray rows = document.value("linhas").toArray();
    EXPECT_EQ(rows.size(), 4 * 3 * 8);
    EXPECT_TRUE(
        rows.contains(QJsonObject{{"tipo", "entradas"}, {"mes", "02/2019"}, {"situacao", ""}, {"quantidade", 1}}));

    // By default, as the window opens: the twelve months up to the unit's latest record.
    const CliRun recent = run(situacao);
    ASSERT_EQ(recent.exitCode, 0) << recent.err.toStdString();
    EXPECT_TRUE(recent.lines().value(1).startsWith(QStringLiteral("estoque\t03/2018\t"))) << recent.out.toStdString();
    EXPECT_TRUE(recent.lines().contains("entradas\t02/2019\t\t1"));
    EXPECT_TRUE(recent.lines().contains("estoque\t01/2019\t\t27"));
    EXPECT_EQ(recent.lines().size(), 1 + 4 * 12 * 8);

    // A held batch: counted in a last line, and in the JSON per kind and status.
    fixture.exec("insert into TavroProtocolos (Protocolo, Data, Situacao, Tipo, cnes) values ('ENV901-aaaaaa', "
                 "'2026-12-10 17:30:05', 'Sem resposta', 'Entrada', '2345678')");
    fixture.exec("update itensentradas set TavroProtocolo = 'ENV901-aaaaaa', TavroSituacao = 'Enviando', "
                 "TavroSituacaoPrioridade = 100 where lancamento = 1001 and item in (2, 3)");
    const CliRun held = run(situacao);
    EXPECT_EQ(held.lines().last(),
              QStringLiteral("Registros retidos: 2 registros retidos em 1 lote sem resposta: "
                             "veja tavro-cli protocolos."));
    const QJsonObject retidos = QJsonDocument::fromJson(run(situacao + QStringList{"--json"}).out.toUtf8())
                                    .object()
                                    .value("retidos")
                                    .toObject();
    EXPECT_EQ(retidos.value("registros").toInt(), 2);
    EXPECT_EQ(retidos.value("porTipo").toObject(),
              (QJsonObject{
                  {"Estoque", 0}, {"Entrada", 2}, {QStringLiteral("Saída"), 0}, {QStringLiteral("Dispensação"), 0}}));
    EXPECT_EQ(retidos.value("porSituacao").toObject(),
              (QJsonObject{{"Preparando", 0}, {"Enviando", 0}, {"Sem resposta", 2}}));
    EXPECT_EQ(retidos.value("lotes").toArray().size(), 1);

    const QList<QStringList> usage = {
        {"--ano", "19"},
        {"--ano", "2019", "--de", "01/2019", "--ate", "02/2019"},
        {"--de", "01/2019"},
        {"--de", "13/2019", "--ate", "01/2020"},
        {"--de", "02/2019", "--ate", "01/2019"},
        {"--dia", "31/01/2019"},
        {"estoque"},
    };
    for (const QStringList &arguments : usage) {
        const CliRun r = run(situacao + arguments);
        EXPECT_EQ(r.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(r.out, QString());
    }
    EXPECT_EQ(listar(QStringList{"entradas", "--json"} + January).exitCode, 2);
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

    const CliRun refusedList = run({"--usuario", "FARMACIA", "listar", "estoque", "--dia", "31/01/2019"},
                                   MasterPassword);
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
    ASSERT_EQ(err.size(), 3) << r.err.toStdString();
    EXPECT_EQ(err.at(0), QStringLiteral("Não encontrado arquivo de banco de dados em ") + missing);
    // The reason in Portuguese, then the engine's own text.
    EXPECT_EQ(err.at(1),
              QStringLiteral("O arquivo do banco de dados (%1) não existe: confira a chave DATABASE da seção "
                             "[GERAL] do config.ini.")
                  .arg(missing));
    EXPECT_TRUE(err.at(2).contains(QStringLiteral("I/O error"))) << err.at(2).toStdString();
    EXPECT_EQ(r.out, QString());

    // Without DATABASE the hint names the file read and the key to set.
    writeConfig(QString());
    const QStringList empty = listar({"estoque", "--dia", "31/01/2019"}).err.split(QLatin1Char('\n'));
    ASSERT_GE(empty.size(), 2);
    EXPECT_EQ(empty.at(0), QStringLiteral("Não encontrado arquivo de banco de dados em "));
    EXPECT_TRUE(empty.at(1).contains(configPath()) && empty.at(1).contains(QStringLiteral("DATABASE da seção [GERAL]")))
        << empty.at(1).toStdString();
    EXPECT_FALSE(empty.join('\n').contains(QStringLiteral("I/O error"))); // no engine text about an empty name
}

// A login the Firebird server refuses says which keys to check before the engine's English.
TEST_F(CliOnServer, ARefusedDatabaseLoginSaysWhichKeysToCheck)
{
    ConfigFile config{fixture.address()};
    config.geral = {QStringLiteral("UsuarioBanco=NINGUEM"), QStringLiteral("SenhaBanco=errada")};
    ::tavro::test::writeConfig(configPath(), config);
    const CliRun r = listar({"estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(r.exitCode, 1);
    const QStringList err = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(err.size(), 3) << r.err.toStdString();
    EXPECT_EQ(err.at(1),
              QStringLiteral("O Firebird recusou o usuário NINGUEM no banco de dados (%1): confira "
                             "UsuarioBanco e SenhaBanco na seção [GERAL] do config.ini.")
                  .arg(fixture.address()));
    EXPECT_TRUE(err.at(2).contains(QStringLiteral("user name and password"))) << err.at(2).toStdString();
}

// Without --config: config.ini beside the program, else the system's file under the user's.
// The program runs from the test's copy, so no config.ini of the build's is seen.
TEST_F(Cli, LooksUpItsConfigurationBesideTheProgramThenSystemAndUser)
{
    const QString folder = fixture.folder();
    const QString program = cliPath();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/cfg"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/dados"));
    env.insert(QStringLiteral("TAVRO_SENHA"), Password);
    const QString user = folder + QStringLiteral("/cfg/tavro/config.ini");
    const QStringList stock{"--usuario", "FARMACIA", "listar", "estoque", "--dia", "31/01/2019"};

    const CliRun where = exec(program, {"--onde"}, env);
    ASSERT_EQ(where.exitCode, 0) << where.err.toStdString();
    const QStringList lines = where.lines();
    ASSERT_EQ(lines.size(), 5) << where.out.toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("Configuração lida de: /etc/tavro/config.ini")));
    EXPECT_EQ(lines.at(1), QStringLiteral("Configuração lida de: %1 (não existe)").arg(user));
    EXPECT_EQ(lines.at(2), QStringLiteral("Configuração gravada em: ") + user);
    EXPECT_EQ(lines.at(3), QStringLiteral("Pasta de dados: ") + folder + QStringLiteral("/bin (ao lado do programa)"));
    EXPECT_EQ(lines.at(4), QStringLiteral("Registros do serviço em: ") + folder + QStringLiteral("/bin/Tavro"));

    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/cfg/tavro")));
    ASSERT_TRUE(QFile::copy(configPath(), user));
    const CliRun fromUser = exec(program, stock, env);
    EXPECT_EQ(fromUser.exitCode, 0) << fromUser.err.toStdString();
    EXPECT_EQ(fromUser.captions().size(), 9);

    const QString missing = folder + QStringLiteral("/ausente.fdb");
    const QString beside = tavro::test::writeConfig(folder + QStringLiteral("/bin/config.ini"), ConfigFile{missing});
    const CliRun fromBeside = exec(program, stock, env);
    EXPECT_EQ(fromBeside.exitCode, 1);
    EXPECT_TRUE(fromBeside.err.startsWith(QStringLiteral("Não encontrado arquivo de banco de dados em ") + missing));
    EXPECT_EQ(exec(program, {"--onde"}, env).lines().value(0), QStringLiteral("Configuração lida de: ") + beside);

    const CliRun fromOption = exec(program, QStringList{"--config", configPath()} + stock, env);
    EXPECT_EQ(fromOption.exitCode, 0) << fromOption.err.toStdString();
    EXPECT_EQ(exec(program, {"--config", configPath(), "--onde"}, env).lines().value(0),
              QStringLiteral("Configuração lida de: ") + configPath());
}

// A PastaDados that does not exist is made, private; one that cannot be made ends the run
// before the database is opened, while --onde still names it.
TEST_F(Cli, DataFolderOfTheKeyIsMadeOrEndsTheRunNamingItsReason)
{
    QFile file(fixture.folder() + QStringLiteral("/arquivo"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto useDataFolder = [&](const QString &path) {
        writeConfig(fixture.path(), {QStringLiteral("PastaDados=") + path});
    };

    const QString made = fixture.folder() + QStringLiteral("/var/lib/tavro");
    useDataFolder(made);
    const CliRun listed = listar({"estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.err, QString());
    for (const QString &folder : {made, QString(made + QStringLiteral("/Tavro"))})
        EXPECT_EQ(modeOf(folder), mode_t(02770)) << folder.toStdString();

    const QString bad = file.fileName() + QStringLiteral("/dados");
    useDataFolder(bad);
    const CliRun refused = listar({"estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err,
              QStringLiteral("Não foi possível usar a pasta de dados %1 (chave PastaDados): parte do "
                             "caminho não é uma pasta. Nada foi enviado.\n")
                  .arg(bad));
    EXPECT_EQ(refused.out, QString());
    const CliRun where = run({"--onde"});
    EXPECT_EQ(where.exitCode, 0);
    EXPECT_TRUE(where.lines().contains(QStringLiteral("Pasta de dados: %1 (chave PastaDados)").arg(bad)))
        << where.out.toStdString();
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
    EXPECT_EQ(early.err, QStringLiteral("Somente protocolos Finalizados podem ter as Inconsistências verificadas!\n"));
    EXPECT_EQ(early.out, QString());

    EXPECT_EQ(verb({"processamento", stock}).lines().value(2), QStringLiteral("Finalizado"));
    const CliRun ok = verb({"inconsistencia", stock});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.lines().mid(0, 4), (QStringList{"M", "3550308", "Nenhuma inconsistência.", ListHeader}));
    EXPECT_EQ(status(stock), QStringLiteral("Ok"));
    EXPECT_EQ(fixture.scalar("select count(*) from conciliacao where TavroSituacao = 'Ok'"), QStringLiteral("2"));

    const CliRun unknown = verb({"processamento", "999"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, QStringLiteral("Selecione o protocolo!\n"));
}

// A held or released batch: listed first by `protocolos` whatever its filters, with what to do
// on stderr; the checks refuse it without a call, and "verificar" walks past it.
TEST_F(CliFollowup, ProvisionalRowsAreListedFirstAndNeverSentToTheService)
{
    startSim({});
    const QString stock = send(QStringLiteral("Estoque"), {"5001"});
    for (const auto &[protocolo, situacao] :
         {std::pair{"ENV901-aaaaaa", "Sem resposta"}, std::pair{"ENV902-bbbbbb", "Liberado"}})
        fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Situacao, Tipo, cnes, "
                                    "ProtocoloAntigo) values ('%1', '2026-12-10 17:30:05', '%2', 'Estoque', "
                                    "'2345678', '%3')")
                         .arg(QLatin1String(protocolo), QString::fromUtf8(situacao), stock));
    fixture.exec("update conciliacao set TavroProtocolo = 'ENV901-aaaaaa', TavroSituacao = 'Enviando', "
                 "TavroSituacaoPrioridade = 100 where lancamento = 5002");

    const CliRun listed = verb({"protocolos", "--situacao", "ok", "--tipo", "entradas"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.lines().size(), 2) << listed.out.toStdString();
    EXPECT_TRUE(listed.lines().value(1).contains(QStringLiteral("\tENV901-aaaaaa\t"))) << listed.out.toStdString();
    EXPECT_TRUE(listed.err.contains(QStringLiteral("Lote ENV901-aaaaaa (Estoque), enviado em 2026-12-10 17:30:05, 1 "
                                                   "registro(s) retido(s).\nSem resposta do serviço")))
        << listed.err.toStdString();

    sim->requests();
    for (const auto &[verbName, protocolo, situacao] : {std::tuple{"processamento", "ENV901-aaaaaa", "Sem resposta"},
                                                        std::tuple{"inconsistencia", "ENV901-aaaaaa", "Sem resposta"},
                                                        std::tuple{"processamento", "ENV902-bbbbbb", "Liberado"}}) {
        const CliRun refused = verb({QString::fromUtf8(verbName), QString::fromUtf8(protocolo), "--situacao", ""});
        EXPECT_EQ(refused.exitCode, 1) << verbName;
        // After the line about the batch without answer that every writing verb's recovery prints.
        EXPECT_TRUE(refused.err.endsWith(QStringLiteral("\nO protocolo %1 (%2) é provisório, deste programa: o serviço "
                                                        "não deu protocolo a este lote, então não há o que "
                                                        "verificar nele.\n")
                                             .arg(QString::fromUtf8(protocolo), QString::fromUtf8(situacao))))
            << refused.err.toStdString();
        EXPECT_EQ(refused.out, QString());
    }
    EXPECT_TRUE(sim->requests().filter(QStringLiteral("POST")).isEmpty());
    const CliRun walked = verb({"verificar"});
    EXPECT_EQ(walked.exitCode, 0) << walked.err.toStdString();
    EXPECT_EQ(sim->requests().filter(QStringLiteral("POST")).size(), 1); // the service's one protocol
    EXPECT_EQ(status(QStringLiteral("ENV901-aaaaaa")), QStringLiteral("Sem resposta"));
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

    // The walk goes on after a failed check, and names every one.
    const QString other = QStringLiteral("outro");
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Situacao, SituacaoPrioridade, Tipo, "
                                "cnes) values ('%1', 'D', 'Finalizado', 20, 'Saída', '2345678')")
                     .arg(other));
    const CliRun walk = verb({"verificar"});
    EXPECT_EQ(walk.exitCode, 1);
    const QStringList failed = walk.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(failed.size(), 2) << walk.err.toStdString();
    EXPECT_TRUE(failed.filter(QRegularExpression("^" + protocolo + ": .+")).size() == 1) << walk.err.toStdString();
    EXPECT_TRUE(failed.filter(QRegularExpression("^" + other + ": .+")).size() == 1) << walk.err.toStdString();
    EXPECT_EQ(status(protocolo), QStringLiteral("Aguardando"));
    EXPECT_EQ(status(other), QStringLiteral("Finalizado"));

    EXPECT_EQ(run({"--usuario", "FARMACIA", "verificar"}, MasterPassword).exitCode, 1);
    for (const QStringList &usage :
         {QStringList{"processamento"}, QStringList{"verificar", "--vezes", "x"},
          QStringList{"verificar", "--tipo", "vendas"}, QStringList{"processamento", "1", "--vezes", "2"}}) {
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
    // The service's credentials went over plain http: one warning for the run, at its first call.
    EXPECT_EQ(sent.err.count(QStringLiteral("Aviso: o serviço é acessado por http")), 1) << sent.err.toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Tipo = 'Estoque'")), "2");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Aguardando'")),
              "9");

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

// Runs that each end on a passing server text send nothing: the loop goes on as the
// window's does, but the command line tells a script that rows are left.
TEST_F(CliFollowup, TransmitWhoseRunsTheServiceStopsExitsOne)
{
    startSim({"--falha-fault", "O identificador não está no estado correto"});
    const CliRun r = verb({"transmitir", "estoque", "--dia", "31/01/2019", "--vezes", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count(QStringLiteral("O identificador não está no estado correto")), 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(tavro::RegistrosPendentesMessage + '\n')) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(tavro::TodosTransferidosMessage));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Situacao <> 'Não enviado'")),
              "0");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null")), "0");
}

TEST_F(CliFollowup, TransmitAbortsWithTheServiceTextAndWritesNothing)
{
    startSim({"--falha-fault", "Falha interna do serviço"});
    const CliRun r = verb(QStringList{"transmitir", "sem-cartao"} + January);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Erro, transmissão abortada! Falha interna do serviço")))
        << r.err.toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Situacao <> 'Não enviado'")),
              "0");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from itenssaidas where TavroSituacao is not null")), "0");
    EXPECT_EQ(verb(QStringList{"transmitir", "tudo"} + January).exitCode, 2);
}

// A send without the municipality's IBGE code does not start, and one whose unit has no
// registered type stops at its first run: either way the command exits 1 with the window's text
// and nothing reaches the service or the database.
TEST_F(CliFollowup, TransmitWithoutTheIbgeOrTheUnitTypeExitsOneAndSendsNothing)
{
    startSim({});
    ConfigFile withoutIbge{fixture.address()};
    withoutIbge.ibge = QString();
    withoutIbge.tavro += serviceKeys(origem);
    ::tavro::test::writeConfig(configPath(), withoutIbge);
    const CliRun noIbge = verb({"transmitir", "estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(noIbge.exitCode, 1);
    EXPECT_TRUE(noIbge.err.endsWith(tavro::InformeIbgeMessage + '\n')) << noIbge.err.toStdString();
    EXPECT_EQ(noIbge.out, QString());

    useService(origem);
    fixture.exec(QStringLiteral("update unidades set tipoestabelecimento = null"));
    const CliRun noType = verb({"transmitir", "estoque", "--dia", "31/01/2019"});
    EXPECT_EQ(noType.exitCode, 1);
    EXPECT_TRUE(noType.err.contains(tavro::TransmissaoAbortadaCaption + ' ' + tavro::UnitTypeMissingMessage + '\n'))
        << noType.err.toStdString();
    EXPECT_FALSE(noType.err.contains(tavro::TodosTransferidosMessage));

    EXPECT_TRUE(sim->requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty());
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), "0");
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null")), "0");
}

namespace {

// Several real tavro-cli processes on one database served by the Firebird server, against
// one tavro-sim, all logging into the same folder.
class CliTogether : public CliOnServer
{
protected:
    static QByteArray readLog(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QStringList matches(const QByteArray &text, const QString &pattern)
    {
        QStringList found;
        const QRegularExpression expression(pattern);
        for (auto it = expression.globalMatch(QString::fromUtf8(text)); it.hasNext();)
            found.append(it.next().captured(1));
        return found;
    }

    // The origin keys of every request of `operation` the log folder shows, answered or not.
    QHash<QString, int> sentKeys(const QString &operation) const
    {
        QHash<QString, int> sent;
        const QDir dir(logFolder());
        for (const QString &name : dir.entryList({QStringLiteral("*_req.xml")}, QDir::Files)) {
            const QByteArray request = readLog(dir.filePath(name));
            if (request.contains(operation.toUtf8()))
                for (const QString &origem : matches(request, QStringLiteral("<coRegistroOrigem>([^<]*)<")))
                    ++sent[origem];
        }
        return sent;
    }

    // Every accepted batch of `operation` the log folder shows: protocol -> its origin keys.
    QHash<QString, QStringList> acceptedBatches(const QString &operation) const
    {
        QHash<QString, QStringList> batches;
        const QDir dir(logFolder());
        for (const QString &name : dir.entryList({QStringLiteral("*_res.xml")}, QDir::Files)) {
            const QStringList protocol = matches(readLog(dir.filePath(name)),
                                                 QStringLiteral("<nuProtocoloEntrada>([^<]*)<"));
            const QByteArray request = readLog(dir.filePath(name.chopped(8) + "_req.xml"));
            if (!protocol.isEmpty() && request.contains(operation.toUtf8()))
                batches.insert(protocol.first(), matches(request, QStringLiteral("<coRegistroOrigem>([^<]*)<")));
        }
        return batches;
    }

    // No origin key of `operation` went out twice, except those of `resent`, which went out
    // exactly twice; every protocol handed out has its registry row, and each record of its
    // batch carries it.
    void expectEveryRecordOnceAndEveryProtocolRecorded(const QString &operation, const QString &table,
                                                       const QStringList &resent = {})
    {
        const QHash<QString, QStringList> batches = acceptedBatches(operation);
        EXPECT_FALSE(batches.isEmpty());
        for (auto it = batches.cbegin(); it != batches.cend(); ++it) {
            SCOPED_TRACE(it.key().toStdString());
            EXPECT_EQ(fixture.scalar(
                          QStringLiteral("select count(*) from TavroProtocolos where Protocolo = '%1'").arg(it.key())),
                      QStringLiteral("1"));
            EXPECT_EQ(fixture.scalar(
                          QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2'").arg(table, it.key())),
                      QString::number(it.value().size()));
        }
        const QHash<QString, int> sent = sentKeys(operation);
        for (auto it = sent.cbegin(); it != sent.cend(); ++it)
            EXPECT_EQ(it.value(), resent.contains(it.key()) ? 2 : 1) << it.key().toStdString();
    }
};

// transmitir of twenty one-record batches of goods received against a service answering
// after 300 ms, interrupted with `count` signals `signal` while the second batch is on its way.
struct Interrupted
{
    QProcess::ExitStatus status;
    int exitCode;
    QStringList out;
    QString err;
};

} // namespace

// Two transmitters of the same kind, and a transmitter beside a follow-up walk, many
// batches of one record: no record reaches the service twice and no protocol is lost.
TEST_F(CliTogether, TwoProcessesSendEveryRecordAtMostOnce)
{
    startSim({"--aguardando", "0", "--atraso", "30"});
    const QStringList entradas = QStringList{"transmitir", "entradas"} + January + QStringList{"--lote", "1"};
    for (int round = 0; round < 2; ++round) {
        QProcess first;
        QProcess second;
        start(first, QStringList{"--usuario", "FARMACIA"} + entradas + QStringList{"--vezes", "20"});
        start(second, QStringList{"--usuario", "FARMACIA"} + entradas + QStringList{"--vezes", "20"});
        for (QProcess *p : {&first, &second}) {
            const CliRun r = finished(*p);
            // A process that met a record the other one held stops with the held-record message.
            EXPECT_TRUE(r.exitCode == 0 || r.err.contains(QStringLiteral("nada foi enviado"))) << r.err.toStdString();
        }
    }
    const CliRun rest = verb(entradas + QStringList{"--vezes", "20"});
    EXPECT_EQ(rest.exitCode, 0) << rest.err.toStdString();
    EXPECT_TRUE(rest.lines().contains(QStringLiteral("pronto"))) << rest.out.toStdString();
    expectEveryRecordOnceAndEveryProtocolRecorded(QStringLiteral("informarEntradaMedicamentoEmLote"),
                                                  QStringLiteral("itensentradas"));

    const QStringList saidas = QStringList{"transmitir", "saidas"} + January
        + QStringList{"--lote", "1", "--vezes", "20"};
    QProcess transmitter;
    QProcess walker;
    start(transmitter, QStringList{"--usuario", "FARMACIA"} + saidas);
    start(walker, {"--usuario", "FARMACIA", "verificar", "--vezes", "10"});
    const CliRun sent = finished(transmitter);
    EXPECT_TRUE(sent.exitCode == 0 || sent.err.contains(QStringLiteral("nada foi enviado"))) << sent.err.toStdString();
    finished(walker);
    EXPECT_EQ(verb(saidas).exitCode, 0);
    expectEveryRecordOnceAndEveryProtocolRecorded(QStringLiteral("informarSaidaMedicamentoEmLote"),
                                                  QStringLiteral("itenssaidas"));
}

namespace {

// Waits until the log folder holds a file matching `pattern`.
bool waitForLog(const QString &folder, const QString &pattern, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (!QDir(folder).entryList({pattern}, QDir::Files).isEmpty())
            return true;
        QThread::msleep(20);
    }
    return false;
}

} // namespace

// A transmitter killed while its request is at the service: its records stay "Enviando" and
// no run takes them; past its call's time the batch is "Sem resposta", and once the clerk
// releases it the next run sends it again (the service gave the request no identity) and the
// follow-up reports the duplicate; nothing else goes out twice.
TEST_F(CliTogether, KilledBeforeTheAnswerHoldsItsBatchUntilReleased)
{
    startSim({"--aguardando", "0", "--atraso", "20000", "--falhas", "1"});
    const QStringList estoque{"transmitir", "estoque", "--dia", "31/01/2019", "--lote", "2"};
    QProcess doomed;
    start(doomed, QStringList{"--usuario", "FARMACIA"} + estoque + QStringList{"--vezes", "1"});
    ASSERT_TRUE(waitForLog(logFolder(), QStringLiteral("*_req.xml")));
    QThread::msleep(500); // the post reaches the substitute, which holds its answer
    doomed.kill();
    doomed.waitForFinished();
    const QStringList inFlight = matches(
        readLog(QDir(logFolder()).filePath(QDir(logFolder()).entryList({"*_req.xml"}).first())),
        QStringLiteral("<coRegistroOrigem>([^<]*)<"));
    ASSERT_EQ(inFlight.size(), 2);
    const QString provisorio = fixture.scalar("select Protocolo from TavroProtocolos where Situacao = 'Enviando'");
    ASSERT_TRUE(provisorio.startsWith(QStringLiteral("ENV")));
    EXPECT_EQ(fixture.scalar("select count(*) from conciliacao where TavroSituacao = 'Enviando'"), QStringLiteral("2"));

    const CliRun rest = verb(estoque + QStringList{"--vezes", "10"});
    EXPECT_EQ(rest.exitCode, 0) << rest.err.toStdString();
    EXPECT_TRUE(rest.err.endsWith(QStringLiteral("Atenção! Todos os registros já foram transferidos!\n"
                                                 "2 registros retidos em 1 lote aguardando resposta: veja "
                                                 "Protocolos.\n")))
        << rest.err.toStdString();
    const CliRun early = verb({"liberar", provisorio});
    EXPECT_EQ(early.exitCode, 1);
    EXPECT_TRUE(early.err.contains(
        QStringLiteral("Lote %1 ainda aguardando resposta; poderá ser liberado a partir de ").arg(provisorio)))
        << early.err.toStdString();
    expectEveryRecordOnceAndEveryProtocolRecorded(QStringLiteral("informarPosicaoEstoqueEmLote"),
                                                  QStringLiteral("conciliacao"));

    fixture.exec(QStringLiteral("update TavroProtocolos set Data = substring(cast(dateadd(-1 hour to "
                                "current_timestamp) as varchar(30)) from 1 for 19) where Protocolo = '%1'")
                     .arg(provisorio));
    const CliRun recovered = verb({"recuperar"});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
    EXPECT_TRUE(recovered.err.contains(QStringLiteral("Lote %1 sem resposta").arg(provisorio)))
        << recovered.err.toStdString();
    EXPECT_TRUE(recovered.err.contains(QStringLiteral("Estoque, 2 registro(s)"))) << recovered.err.toStdString();
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Sem resposta"));
    const CliRun released = verb({"liberar", provisorio});
    EXPECT_EQ(released.exitCode, 0) << released.err.toStdString();
    EXPECT_EQ(
        released.lines(),
        (QStringList{
            QStringLiteral("O lote %1 pode já estar no serviço: se estiver, os registros reenviados "
                           "voltarão como duplicados (\"Ok (Inc.)\").")
                .arg(provisorio),
            QStringLiteral("Lote %1 liberado para reenvio: seus registros voltam a ser enviados.").arg(provisorio)}));
    EXPECT_EQ(verb({"liberar", provisorio}).exitCode, 1);

    const CliRun again = verb(estoque + QStringList{"--vezes", "10"});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    expectEveryRecordOnceAndEveryProtocolRecorded(QStringLiteral("informarPosicaoEstoqueEmLote"),
                                                  QStringLiteral("conciliacao"), inFlight);
    // The duplicates come back as the service's "already registered", naming the released batch.
    const CliRun checked = verb({"verificar", "--vezes", "2"});
    EXPECT_EQ(checked.exitCode, 0);
    for (const QString &origem : inFlight)
        EXPECT_TRUE(checked.out.contains(
            QStringLiteral("O registro %1 já estava no serviço pelo lote %2 (enviado em ").arg(origem, provisorio)))
            << checked.out.toStdString();
    EXPECT_EQ(fixture.scalar("select count(*) from conciliacao where TavroSituacao = 'Ok (Inc.)'"),
              QStringLiteral("2"));
}

// A transmitter killed after the answer and before its commit (held at the registry row by
// another connection): its records stay "Enviando", the next process records the protocol
// from the answer log its batch names, the follow-up takes it to a final status, and the next
// runs send only what was never sent.
TEST_F(CliTogether, KilledBeforeTheCommitLosesNoProtocol)
{
    startSim({"--aguardando", "0"});
    fixture.exec("create table TestTrava (id integer not null primary key)");
    fixture.exec("insert into TestTrava values (1)");
    fixture.exec("create trigger TestTravaProtocolos for TavroProtocolos before update as "
                 "begin if (new.Situacao = 'Aguardando') then update TestTrava set id = id; end");
    {
        tavro::Database holder;
        holder.open(fixture.address());
        holder.execute(tavro::SqlStatement{QStringLiteral("update TestTrava set id = id")});
        QProcess doomed;
        start(doomed,
              {"--usuario", "FARMACIA", "transmitir", "estoque", "--dia", "31/01/2019", "--lote", "2", "--vezes", "1"});
        ASSERT_TRUE(waitForLog(logFolder(), QStringLiteral("*_res.xml")));
        QThread::msleep(500); // waiting at the registry row
        doomed.kill();
        doomed.waitForFinished();
        holder.rollback();
    }
    const QString lost = acceptedBatches(QStringLiteral("informarPosicaoEstoqueEmLote")).keys().value(0);
    ASSERT_FALSE(lost.isEmpty());
    const QString provisorio = fixture.scalar("select Protocolo from TavroProtocolos where Situacao = 'Enviando'");
    EXPECT_TRUE(provisorio.startsWith(QStringLiteral("ENV")));
    EXPECT_EQ(fixture.scalar("select count(*) from TavroProtocolos"), QStringLiteral("1"));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1' and "
                                            "TavroSituacao = 'Enviando'")
                                 .arg(provisorio)),
              QStringLiteral("2"));

    // Two programs start at once: one of them records the protocol, neither reports a failure.
    QProcess first;
    QProcess second;
    start(first, {"--usuario", "FARMACIA", "recuperar"});
    start(second, {"--usuario", "FARMACIA", "recuperar"});
    const CliRun one = finished(first);
    const CliRun other = finished(second);
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_EQ(other.exitCode, 0) << other.err.toStdString();
    const QString printed = one.out + other.out;
    EXPECT_EQ(printed.count(QStringLiteral("registrado pela resposta")), 1) << printed.toStdString();
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Lote %1 (Estoque) registrado").arg(provisorio)))
        << printed.toStdString();
    EXPECT_EQ(fixture.scalar("select Protocolo from TavroProtocolos"), lost);
    EXPECT_EQ(verb({"recuperar"}).out, QString());

    EXPECT_EQ(verb({"verificar", "--vezes", "2"}).exitCode, 0);
    EXPECT_EQ(status(lost), QStringLiteral("Ok"));
    const CliRun rest = verb({"transmitir", "estoque", "--dia", "31/01/2019", "--lote", "2", "--vezes", "10"});
    EXPECT_EQ(rest.exitCode, 0) << rest.err.toStdString();
    expectEveryRecordOnceAndEveryProtocolRecorded(QStringLiteral("informarPosicaoEstoqueEmLote"),
                                                  QStringLiteral("conciliacao"));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1' and "
                                            "TavroSituacao = 'Ok'")
                                 .arg(lost)),
              QStringLiteral("2"));
}

class CliInterrupt : public CliFollowup
{
protected:
    Interrupted interrupt(int signal, int count)
    {
        addTwentyGoodsReceivedLines();
        startSim({"--atraso", "300"});
        QProcess process;
        start(process,
              QStringList{"--usuario", "FARMACIA", "transmitir", "entradas", "--lote", "1", "--vezes", "20"} + January);
        while (!process.canReadLine() && process.waitForReadyRead(30000)) {
        }
        const QString first = QString::fromUtf8(process.readLine()).trimmed();
        QThread::msleep(150); // the second batch is on its way: its two calls take 600 ms
        for (int i = 0; i < count; ++i) {
            ::kill(pid_t(process.processId()), signal);
            QThread::msleep(50);
        }
        EXPECT_TRUE(process.waitForFinished(60000));
        QStringList out{first};
        out += QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return {process.exitStatus(), process.exitCode(), out, QString::fromUtf8(process.readAllStandardError())};
    }
    // No record is marked sent without its protocol's registry row, and none is lost; a batch
    // cut off on its way holds its one record "Enviando".
    void expectConsistent(int batches)
    {
        EXPECT_EQ(fixture.scalar("select count(*) from TavroProtocolos where Situacao <> 'Enviando'"),
                  QString::number(batches));
        EXPECT_EQ(fixture.scalar("select count(*) from TavroProtocolos where Situacao = 'Enviando'"),
                  fixture.scalar("select count(*) from itensentradas where TavroSituacao = 'Enviando'"));
        EXPECT_EQ(fixture.scalar("select count(*) from itensentradas where TavroSituacao = 'Aguardando'"),
                  QString::number(batches));
        EXPECT_EQ(fixture.scalar("select count(*) from itensentradas ie where ie.TavroProtocolo is not null and not "
                                 "exists (select 1 from TavroProtocolos p where p.Protocolo = ie.TavroProtocolo)"),
                  "0");
    }
};

struct InterruptSignal
{
    int signal;
    const char *name;
};

class CliSignal : public CliInterrupt, public ::testing::WithParamInterface<InterruptSignal>
{
};

// Ctrl+C, a logout or shutdown (SIGTERM) and a closed terminal (SIGHUP) stop the send as the
// window's "Parar" does, and the exit code says which signal ended it.
TEST_P(CliSignal, StopsAfterTheBatchOnItsWay)
{
    const InterruptSignal c = GetParam();
    const Interrupted r = interrupt(c.signal, 1);
    EXPECT_EQ(r.status, QProcess::NormalExit);
    EXPECT_EQ(r.exitCode, 128 + c.signal) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Parando após o lote atual"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("Interrompido pelo usuário: 2 lotes enviados, 24 restam.\n"
                                              "Interrompido pelo sinal %1.\n")
                                   .arg(QLatin1String(c.name))))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("Lote 1 de até"))); // no progress line when stderr is not a terminal
    // Two runs, then the protocol data of the last batch.
    EXPECT_EQ(r.out.mid(0, 3), (QStringList{"transmitido", "transmitido", r.out.value(2)}));
    EXPECT_NE(r.out.value(2), QStringLiteral("transmitido"));
    expectConsistent(2);
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignal,
                         ::testing::Values(InterruptSignal{SIGINT, "SIGINT"}, InterruptSignal{SIGTERM, "SIGTERM"},
                                           InterruptSignal{SIGHUP, "SIGHUP"}),
                         [](const ::testing::TestParamInfo<InterruptSignal> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(CliInterrupt, ASecondCtrlCEndsAtOnce)
{
    const Interrupted r = interrupt(SIGINT, 2);
    EXPECT_EQ(r.status, QProcess::CrashExit);
    // The batch on its way when the program ended was never recorded: it goes out again.
    expectConsistent(1);
}

// The window and the nightly run on one machine open the same plain-path database, each with
// the engine inside its own process: a send holds the file while `situacao` opens it too.
class CliSharedFile : public CliFollowup
{
protected:
    // A Firebird root of the test's own: the system's files, with a firebird.conf that sets
    // `serverMode`, so the case does not depend on the machine's configuration. Its engine
    // looks up its user mappings in a copy of the security database: one in-process engine
    // holding the system's copy would keep the machine's Firebird server from logging anyone
    // in, the other suites' server cases among them.
    QProcessEnvironment engineIn(const QString &serverMode)
    {
        QProcess config;
        config.start(QStringLiteral("fb_config"), {QStringLiteral("--msgdir")});
        EXPECT_TRUE(config.waitForFinished());
        const QDir system(QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed());
        const QString root = fixture.folder() + QStringLiteral("/firebird-") + serverMode;
        EXPECT_TRUE(QDir().mkpath(root));
        for (const QString &entry : system.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            if (entry != QLatin1String("firebird.conf"))
                QFile::link(system.filePath(entry), root + QLatin1Char('/') + entry);
        }
        QFile conf(root + QStringLiteral("/firebird.conf"));
        EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("ServerMode = " + serverMode.toUtf8() + '\n');
        const QString security = root + QStringLiteral("/security3.fdb");
        if (QFile::copy(QStringLiteral("/var/lib/firebird/3.0/system/security3.fdb"), security))
            conf.write("SecurityDatabase = " + security.toUtf8() + '\n');
        QProcessEnvironment env = environment(Password);
        env.insert(QStringLiteral("FIREBIRD"), root);
        return env;
    }
    // `situacao` while a send of twenty one-record batches to a slow service holds the file.
    CliRun situacaoDuringASend(const QProcessEnvironment &env)
    {
        addTwentyGoodsReceivedLines();
        startSim({"--atraso", "300"});
        QProcess sending;
        sending.setProcessEnvironment(env);
        sending.start(cliPath(),
                      QStringList{"--config", configPath(), "--usuario", "FARMACIA", "transmitir", "entradas", "--lote",
                                  "1", "--vezes", "20"}
                          + January);
        while (!sending.canReadLine() && sending.waitForReadyRead(30000)) {
        }
        EXPECT_EQ(QString::fromUtf8(sending.readLine()).trimmed(), QStringLiteral("transmitido"));
        const CliRun r = exec(cliPath(), {"--config", configPath(), "--usuario", "FARMACIA", "situacao"}, env);
        EXPECT_EQ(sending.state(), QProcess::Running); // the file was held all along
        sending.kill();
        sending.waitForFinished();
        return r;
    }
};

TEST_F(CliSharedFile, TwoProgramsOpenOnePlainPathWithTheEngineShared)
{
    const CliRun r = situacaoDuringASend(engineIn(QStringLiteral("SuperClassic")));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.isEmpty());
}

TEST_F(CliSharedFile, WithTheEngineExclusiveTheSecondSaysWhatToSet)
{
    const CliRun r = situacaoDuringASend(engineIn(QStringLiteral("Super")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("está aberto por outro programa desta máquina (a janela do transmissor "
                                              "ou o tavro-cli)")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("ServerMode = SuperClassic"))) << r.err.toStdString();
}

// registros shows the log folder and what DiasRegistros would remove; --limpar removes it,
// and so does every verb that writes, at its start.
TEST_F(CliFollowup, RegistrosShowsTheLogsAndWhatLeavesThenLimparRemovesIt)
{
    startSim({});
    const QString data = fixture.folder() + QStringLiteral("/dados");
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/Tavro"))); // 0755: others may read it
    addConfigKeys({QStringLiteral("PastaDados=") + data, QStringLiteral("DiasRegistros=30")});
    const QDateTime now = QDateTime::currentDateTime();
    const auto writeLog = [&](const QString &name, int daysAgo, int size) {
        QFile log(data + QStringLiteral("/Tavro/") + name);
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(size, 'x'));
        log.flush(); // a later flush would write the time anew
        log.setFileTime(now.addDays(-daysAgo), QFileDevice::FileModificationTime);
    };
    writeLog(QStringLiteral("2026_01_01_02_00_00_req.xml"), 45, 1500);
    writeLog(QStringLiteral("2026_01_01_02_00_00_res.xml"), 44, 500);
    writeLog(QStringLiteral("2026_03_01_02_00_00_req.xml"), 2, 1000);

    const CliRun shown = verb({"registros"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.err,
              QStringLiteral("Aviso: outras contas podem ler a pasta de dados %1, que guarda dados de "
                             "pacientes; corrija com: chmod -R o-rwx %1\n")
                  .arg(data));
    const QString day = QStringLiteral("dd/MM/yyyy HH:mm");
    EXPECT_EQ(
        shown.lines(),
        (QStringList{QStringLiteral("Pasta de dados: %1 (chave PastaDados)").arg(data),
                     QStringLiteral("Registros do serviço em: %1/Tavro").arg(data),
                     QStringLiteral("Registros: 3 (3,0 kB)"),
                     QStringLiteral("Mais antigo: %1 2026_01_01_02_00_00_req.xml").arg(now.addDays(-45).toString(day)),
                     QStringLiteral("Mais recente: %1 2026_03_01_02_00_00_req.xml").arg(now.addDays(-2).toString(day)),
                     QStringLiteral("DiasRegistros: 30 (remove os registros de mais de 30 dias)"),
                     QStringLiteral("A remover: 2 (2,0 kB)")}));
    EXPECT_EQ(QDir(data + QStringLiteral("/Tavro")).entryList(QDir::Files).size(), 3);

    const CliRun cleaned = verb({"registros", "--limpar"});
    EXPECT_EQ(cleaned.exitCode, 0) << cleaned.err.toStdString();
    EXPECT_EQ(cleaned.lines().last(), QStringLiteral("Removidos: 2 (2,0 kB)"));
    EXPECT_EQ(QDir(data + QStringLiteral("/Tavro")).entryList(QDir::Files),
              QStringList{QStringLiteral("2026_03_01_02_00_00_req.xml")});

    writeLog(QStringLiteral("2025_12_01_02_00_00_req.xml"), 31, 10);
    const CliRun walked = verb({"verificar"});
    EXPECT_EQ(walked.exitCode, 0) << walked.err.toStdString();
    EXPECT_EQ(QDir(data + QStringLiteral("/Tavro")).entryList(QDir::Files),
              QStringList{QStringLiteral("2026_03_01_02_00_00_req.xml")});
}
