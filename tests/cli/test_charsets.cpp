// The demo in a database created without a character set, its texts the WIN1252 bytes the
// product's Windows stations write, against the same demo in a database that declares WIN1252:
// the command line must not tell them apart, and what it writes must read back on a station.
#include "CliFixture.h"
#include "PdfText.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QXmlStreamReader>

using namespace tavro::test;

namespace {

const QString NoneDemo = QStringLiteral("demo-none.fdb");
const QString Win1252Demo = QStringLiteral("demo-win1252.fdb");
// The service's reception time, which differs from run to run.
const QRegularExpression ReceptionTime(QStringLiteral("\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d"));

// Runs `sql` as a Windows station would: isql-fb with the connection's character set WIN1252,
// the script's texts in WIN1252 bytes (the accents of these tests are ISO-8859-1's too). Its
// output, read back from WIN1252.
QString station(const QString &database, const QString &sql)
{
    QTemporaryFile script;
    EXPECT_TRUE(script.open());
    script.write(sql.toLatin1());
    script.close();
    QProcess isql;
    isql.start(
        QStringLiteral("isql-fb"),
        {"-q", "-ch", "win1252", "-user", "SYSDBA", "-password", "plumtrove", database, "-i", script.fileName()});
    EXPECT_TRUE(isql.waitForFinished(60000));
    EXPECT_EQ(isql.exitCode(), 0) << isql.readAllStandardError().toStdString();
    return QString::fromLatin1(isql.readAllStandardOutput());
}

// The elements of a request log and their texts, one "name=text" line each: the request as
// the service reads it, whatever its bytes.
QStringList decodedRequest(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    // The log starts with a comment naming the service's address, then the request's bytes.
    QByteArray bytes = file.readAll();
    bytes.remove(0, bytes.indexOf("-->") + 3);
    QXmlStreamReader xml(bytes);
    QStringList lines;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() != QLatin1String("Envelope")) {
            const QString name = xml.name().toString();
            if (xml.readNext() == QXmlStreamReader::Characters)
                lines.append(name + QLatin1Char('=') + xml.text().toString());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return lines.replaceInStrings(ReceptionTime, QStringLiteral("<data>"));
}

// What the command line shows and sends for one database.
struct DemoRun
{
    QStringList lists;    // listar of each kind, before and after the sending and the follow-up
    QStringList requests; // the request logs, decoded, in the order of their texts
    QStringList listing;  // the pages of the dispensation listing
    QString stored;       // statuses and registry rows, as a Windows station reads them
};

class CharsetCli : public CliFollowup
{
protected:
    QStringList lists()
    {
        QStringList out;
        for (const QStringList &arguments :
             {QStringList{"estoque", "--dia", "31/01/2019"}, QStringList{"entradas"} + January,
              QStringList{"saidas"} + January, QStringList{"dispensacoes"} + January}) {
            const CliRun r = listar(arguments);
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            out.append(QString(r.out).replace(ReceptionTime, QStringLiteral("<data>")));
        }
        return out;
    }

    // The demo of `templateName` listed, its entries and dispensations sent and followed up,
    // its listing printed; a new substitute of the service for each, so protocols repeat.
    DemoRun demo(const QString &templateName)
    {
        databases.push_back(std::make_unique<TestDatabase>(templateName));
        const QString path = databases.back()->path();
        QDir(logFolder()).removeRecursively();
        sim.reset();
        startSim({"--aguardando", "0"});
        writeConfig(path, serviceKeys(origem));

        DemoRun run;
        run.lists = lists();
        for (const char *kind : {"entradas", "dispensacoes"}) {
            const CliRun sent = verb({"transmitir", kind, "--de", "01/01/2019", "--ate", "31/01/2019", "--lote", "50"});
            EXPECT_EQ(sent.exitCode, 0) << kind << sent.err.toStdString();
        }
        const CliRun checked = verb({"verificar"});
        EXPECT_EQ(checked.exitCode, 0) << checked.err.toStdString();
        run.lists += lists();
        const QDir logs(logFolder());
        for (const QString &name : logs.entryList({QStringLiteral("*_req.xml")}, QDir::Files, QDir::Name))
            run.requests += decodedRequest(logs.filePath(name)).join(QLatin1Char('\n'));
        // The logs' names hold the moment and a random part: their order says nothing.
        run.requests.sort();
        const QString pdf = fixture.folder() + QStringLiteral("/listagem.pdf");
        const CliRun printed = verb(QStringList{"imprimir", "--pdf", pdf} + January);
        EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
        run.listing = pdfPages(pdf).replaceInStrings(QRegularExpression(QStringLiteral("Impresso em [0-9/: ]+")),
                                                     QStringLiteral("Impresso em <hora>"));
        run.stored = station(path,
                             QStringLiteral("select lancamento, item, TavroProtocolo, TavroSituacao, "
                                            "TavroSituacaoPrioridade from itensentradas order by 1, 2;\n"
                                            "select lancamento, item, TavroSituacao from itenssaidas "
                                            "order by 1, 2;\n"
                                            "select Protocolo, Situacao, Tipo, cnes from TavroProtocolos "
                                            "order by Lancamento;\n"));
        return run;
    }

    std::vector<std::unique_ptr<TestDatabase>> databases;
};

} // namespace

TEST_F(CharsetCli, DatabaseWithoutCharacterSetListsSendsAndStoresAsADeclaredOne)
{
    const DemoRun declared = demo(Win1252Demo);
    const DemoRun none = demo(NoneDemo);

    EXPECT_EQ(none.lists, declared.lists);
    EXPECT_EQ(none.requests, declared.requests);
    EXPECT_EQ(none.listing, declared.listing);
    EXPECT_EQ(none.stored, declared.stored);

    // What the two have in common is what the product shows.
    EXPECT_TRUE(none.lists.at(3).contains(QStringLiteral("\tJOÃO PEREIRA SANTOS\t"))) << none.lists.at(3).toStdString();
    EXPECT_TRUE(none.lists.at(1).contains(QStringLiteral("\tNF Nº 448\t"))) << none.lists.at(1).toStdString();
    EXPECT_EQ(none.requests.filter(QStringLiteral("\nnuNotaFiscal=NF Nº 448\n")).size(), 1);
    EXPECT_TRUE(none.listing.value(0).contains(QStringLiteral("JOÃO PEREIRA SANTOS")));
    // The registry rows the program wrote, as a station reads them.
    EXPECT_TRUE(none.stored.contains(QRegularExpression(QStringLiteral("\\bOk\\s+Dispensação\\s+2345678"))))
        << none.stored.toStdString();
    EXPECT_TRUE(none.stored.contains(QRegularExpression(QStringLiteral("\\bOk\\s+Entrada\\s+2345678"))));
}

// A station marks a record "Inconsistência" in WIN1252 bytes: the default boxes list it with
// its colour's status, the follow-up of its protocol leaves it there, as in a declared database.
TEST_F(CharsetCli, StatusWrittenByAStationIsRecognised)
{
    QStringList seen[2];
    int index = 0;
    for (const QString &templateName : {Win1252Demo, NoneDemo}) {
        SCOPED_TRACE(templateName.toStdString());
        databases.push_back(std::make_unique<TestDatabase>(templateName));
        const QString path = databases.back()->path();
        QDir(logFolder()).removeRecursively();
        sim.reset();
        startSim({"--aguardando", "0"});
        writeConfig(path, serviceKeys(origem));
        ASSERT_EQ(
            verb({"transmitir", "entradas", "--de", "01/01/2019", "--ate", "31/01/2019", "--lote", "50"}).exitCode, 0);
        station(path,
                QStringLiteral("update itensentradas set TavroSituacao = 'Inconsistência', "
                               "TavroSituacaoPrioridade = 30 where lancamento = 1003 and item = 1;\ncommit;\n"));

        const CliRun listed = listar(QStringList{"entradas"} + January);
        const QString line = listed.lines().filter(QRegularExpression(QStringLiteral("^1003-1\t"))).value(0);
        EXPECT_TRUE(line.contains(QStringLiteral("\tInconsistência\t"))) << listed.out.toStdString();
        const CliRun filtered = listar(QStringList{"entradas", "--situacao", "inconsistencias"} + January);
        EXPECT_TRUE(filtered.captions().contains(QStringLiteral("1003-1"))) << filtered.out.toStdString();

        const CliRun checked = verb({"verificar"});
        EXPECT_EQ(checked.exitCode, 0) << checked.err.toStdString();
        seen[index] = listar(QStringList{"entradas"} + January).lines();
        seen[index].replaceInStrings(ReceptionTime, QStringLiteral("<data>"));
        EXPECT_TRUE(seen[index]
                        .filter(QRegularExpression(QStringLiteral("^1003-1\t")))
                        .value(0)
                        .contains(QStringLiteral("\tInconsistência\t")));
        seen[index] += station(path,
                               QStringLiteral("select lancamento, item, TavroSituacao, TavroSituacaoPrioridade "
                                              "from itensentradas order by 1, 2;\n"));
        ++index;
    }
    EXPECT_EQ(seen[1], seen[0]);
}

// A byte WIN1252 leaves undefined cannot go to the service as what the clerk typed: its row
// is refused with a line naming the row and the field, and the others go.
TEST_F(CharsetCli, TextTheCodePageCannotReadRefusesItsRow)
{
    databases.push_back(std::make_unique<TestDatabase>(NoneDemo));
    const QString path = databases.back()->path();
    station(path,
            QStringLiteral("update PESSOAS set NOME = 'JO' || ascii_char(129) || 'O' where CODIGO = 2;\n"
                           "commit;\n"));
    startSim({"--aguardando", "0"});
    writeConfig(path, serviceKeys(origem));

    const CliRun listed = listar(QStringList{"dispensacoes"} + January);
    const QStringList unreadable = listed.lines().filter(QStringLiteral("\tJO\uFFFDO\t"));
    ASSERT_FALSE(unreadable.isEmpty()) << listed.out.toStdString();
    const QString caption = unreadable.first().section(QLatin1Char('\t'), 0, 0);

    const CliRun sent = verb({"transmitir", "dispensacoes", "--de", "01/01/2019", "--ate", "31/01/2019"});
    EXPECT_TRUE(sent.err.contains(QStringLiteral("O campo Nome Usuário do registro %1 tem caracteres que a página de "
                                                 "código do banco não define")
                                      .arg(caption)))
        << sent.err.toStdString();
    const QStringList after = listar(QStringList{"dispensacoes"} + January).lines();
    const QStringList sentLines = after.filter(QStringLiteral("\tAguardando\t"));
    EXPECT_FALSE(sentLines.isEmpty());
    for (const QString &line : after.filter(QStringLiteral("\tJO\uFFFDO\t")))
        EXPECT_FALSE(line.contains(QStringLiteral("\tAguardando\t"))) << line.toStdString();
}
