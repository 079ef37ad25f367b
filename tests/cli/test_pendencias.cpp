#include "CliFixture.h"
#include "FileMode.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tavro::test;

namespace {

QJsonObject groupNamed(const QJsonObject &document, const QString &titulo)
{
    for (const QJsonValue &group : document.value("grupos").toArray()) {
        if (group["grupo"].toString() == titulo)
            return group.toObject();
    }
    return {};
}

} // namespace

TEST_F(Cli, PendenciasListsWhatToFixAndExitsThreeWhileSomethingIs)
{
    const CliRun text = run(QStringList{"--usuario", "FARMACIA", "pendencias"});
    ASSERT_EQ(text.exitCode, 3) << text.err.toStdString();
    const QStringList lines = text.lines();
    EXPECT_EQ(lines.first(), QStringLiteral("grupo\tregistros"));
    for (const char *line : {"Pessoa sem CNS\t1", "Lote sem fabricante\t6", "CNS inválido (dígito verificador)\t4",
                             "grupo\tassunto\tlista\tunidade\tlancamento\tdata\tmensagem",
                             "Pessoa sem CNS\tFRANCISCA LIMA\tdispensacoes\t1\t3005-2\t21/01/2019\tInforme o CNS "
                             "para a pessoa: FRANCISCA LIMA"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    EXPECT_TRUE(text.err.contains(QStringLiteral("registros pendentes em"))) << text.err.toStdString();

    // The JSON for monitoring: totals, and each group's count; a warning says it is one.
    const CliRun json = run(QStringList{"--usuario", "FARMACIA", "pendencias", "--json"});
    ASSERT_EQ(json.exitCode, 3);
    const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_GT(document.value("recusados").toInt(), 0);
    EXPECT_EQ(document.value("avisos").toInt(), 4);
    const QJsonObject warning = groupNamed(document, QStringLiteral("CNS inválido (dígito verificador)"));
    EXPECT_TRUE(warning.value("aviso").toBool());
    EXPECT_EQ(warning.value("registros").toInt(), 4);
    const QJsonObject lote = groupNamed(document, QStringLiteral("Lote sem fabricante"));
    EXPECT_FALSE(lote.value("aviso").toBool());
    EXPECT_EQ(lote.value("registros").toInt(), 6);

    // The CSV as a spreadsheet in Portuguese opens it, private as the logs are.
    const QString csv = fixture.folder() + QStringLiteral("/pendencias.csv");
    const CliRun written = run(QStringList{"--usuario", "FARMACIA", "pendencias", "--csv", csv});
    ASSERT_EQ(written.exitCode, 3) << written.err.toStdString();
    EXPECT_TRUE(written.err.contains(csv)) << written.err.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFGrupo;Aviso;Assunto;Lista;Unidade;Lan\xC3\xA7"
                                 "amento;Data;Mensagem\r\n"));
    EXPECT_TRUE(bytes.contains("Pessoa sem CNS;Não;FRANCISCA LIMA;Dispensações;1;3005-2;21/01/2019;Informe o CNS "
                               "para a pessoa: FRANCISCA LIMA\r\n"));
    EXPECT_EQ(modeOf(csv) & 0007, 0);

    // A month with nothing to send; a month that is not one.
    const CliRun none = run(QStringList{"--usuario", "FARMACIA", "pendencias", "--de", "03/2019", "--ate", "03/2019"});
    EXPECT_EQ(none.exitCode, 0) << none.err.toStdString();
    EXPECT_TRUE(none.err.contains(QStringLiteral("Nenhuma pendência de cadastro"))) << none.err.toStdString();
    EXPECT_EQ(run(QStringList{"--usuario", "FARMACIA", "pendencias", "--de", "13/2019"}).exitCode, 2);

    // Every unit: unit 2's rows come too.
    fixture.exec("update itenssaidas set codunidade = 2 where lancamento = 3005");
    EXPECT_TRUE(run(QStringList{"--usuario", "FARMACIA", "pendencias"}).lines().filter("\t3005-2\t").isEmpty());
    EXPECT_FALSE(run(QStringList{"--usuario", "FARMACIA", "pendencias", "--todas-unidades"})
                     .lines()
                     .filter("\t2\t3005-2\t")
                     .isEmpty());
}
