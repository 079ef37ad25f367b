#include "FaultFixture.h"

using namespace tavro;
using namespace tavro::test;

namespace {

enum class Outcome { Sent, Skipped, Aborted };

struct BadData
{
    const char *name;
    int kind; // index into kindCases()
    QStringList updates;
    Outcome outcome;
    // Aborted: a part of the message that ends the click; otherwise a line the run must write (or none).
    QString text;
};

void PrintTo(const BadData &c, std::ostream *os)
{
    *os << c.name;
}

class BadDataRun : public FaultFixture, public ::testing::WithParamInterface<BadData>
{
};

class Win1252Database : public FaultFixture
{
protected:
    Win1252Database()
        : FaultFixture(QStringLiteral("demo-win1252.fdb"))
    {
    }
};

const QString LongName = QString(QStringLiteral("ÁÇÊÕÜ")).repeated(24); // 120 characters

} // namespace

// Cells the lists read from a database that another program filled: a run either sends
// what it can or ends with a message that names the cell's text, and a run that ends
// leaves every record and the registry as they were.
TEST_P(BadDataRun, ClearMessageOrSentAndNothingHalfWritten)
{
    const BadData &c = GetParam();
    const KindCase &kind = kindCases().at(c.kind);
    for (const QString &update : c.updates)
        fixture.exec(update);
    const Snapshot before = snapshot();
    useService();
    fill(kind);
    const SendOutcome outcome = click(kind.kind);
    const std::string lines = report.erros.join(QLatin1Char('\n')).toStdString();
    switch (c.outcome) {
    case Outcome::Sent:
        EXPECT_EQ(runEnds(outcome), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft})) << lines;
        break;
    case Outcome::Skipped:
        EXPECT_EQ(runEnds(outcome), RunEnds{RunResult::End::NothingLeft}) << lines;
        break;
    case Outcome::Aborted: {
        // A unit type the service does not know stops the send with the unit-type message.
        const SendOutcome::End end = c.text == UnitTypeMissingMessage ? SendOutcome::End::UnitTypeMissing
                                                                      : SendOutcome::End::Aborted;
        EXPECT_EQ(outcome.end, end) << lines;
        EXPECT_TRUE(outcome.mensagem.contains(c.text)) << outcome.mensagem.toStdString();
        break;
    }
    }
    if (c.outcome != Outcome::Aborted && !c.text.isEmpty()) {
        EXPECT_TRUE(report.erros.contains(c.text)) << lines;
    }
    if (c.outcome != Outcome::Sent) {
        EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
        EXPECT_EQ(snapshot().protocolPriorities, before.protocolPriorities);
    }
    expectConsistent(before);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, BadDataRun,
    ::testing::Values(
        BadData{"StockWithoutExpiry",
                0,
                {QStringLiteral("update novolotes set dtvalidade = null")},
                Outcome::Skipped,
                QStringLiteral("Falta Validade para o produto: 5023 - AMOXICILINA 500MG CAPSULA")},
        // A stock quantity that is not a whole number is dropped without a line.
        BadData{
            "FractionalStock", 0, {QStringLiteral("update conciliacao set quantidade = 2.5")}, Outcome::Skipped, {}},
        BadData{"HugeStock", 0, {QStringLiteral("update conciliacao set quantidade = 1e20")}, Outcome::Skipped, {}},
        BadData{"CodeWithMarkup",
                0,
                {QStringLiteral("update produtos set codigotavro = 'BR<&>\"''00000001'")},
                Outcome::Sent,
                {}},
        BadData{"LongestTexts",
                0,
                {QStringLiteral("update produtos set descricao = '%1'").arg(LongName),
                 QStringLiteral("update fabricantes set nome = '%1', numerointernacional = '%2'")
                     .arg(LongName.left(80), LongName.left(40))},
                Outcome::Sent,
                QStringLiteral("Código de produto inválido! 5031 - ") + LongName},
        BadData{"UnitTypeJunk",
                0,
                {QStringLiteral("update unidades set tipoestabelecimento = 'Ż%1'").arg(QString(19, QLatin1Char('x')))},
                Outcome::Aborted,
                UnitTypeMissingMessage},
        // A line whose own values cannot be read is refused with a line that names it.
        BadData{"GoodsWithoutExpiry",
                1,
                {QStringLiteral("update novolotes set dtvalidade = null")},
                Outcome::Skipped,
                QStringLiteral(
                    "Valor inválido do lançamento: 1001-1 - AMOXICILINA 500MG CAPSULA - '' is not a valid date")},
        BadData{"FractionalIssue",
                2,
                {QStringLiteral("update itenssaidas set quantidade = 0.5")},
                Outcome::Skipped,
                QStringLiteral("Valor inválido do lançamento: 2001-1 - AMOXICILINA 500MG CAPSULA - "
                               "'0,5' is not a valid integer value")},
        BadData{"HealthCardJunk",
                3,
                {QStringLiteral("update pessoas set cartaosus = '89800116058000X<&>junkjunkjun', nome = '%1'")
                     .arg(LongName.left(80))},
                Outcome::Skipped,
                QStringLiteral("Informe o CNS correto para a pessoa: ") + LongName.left(80)},
        BadData{"PrescriberLongest",
                3,
                {QStringLiteral("update profissionais set nome = '%1', crm = '123456789012345', uf = 'Ç?'")
                     .arg(LongName.left(80))},
                Outcome::Sent,
                {}}),
    [](const ::testing::TestParamInfo<BadData> &info) { return std::string(info.param.name); });

// A database in WIN1252: the longest accented texts reach the lines unchanged, and each
// kind sends its batch; a record rejected before ("Inconsistência") is claimed by its
// accented status and sent again.
TEST_F(Win1252Database, AccentedTextsAtFullWidth)
{
    fixture.exec(QStringLiteral("update produtos set descricao = '%1'").arg(LongName));
    fixture.exec(QStringLiteral("update pessoas set nome = '%1' where cartaosus is null").arg(LongName.left(80)));
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Tipo, Situacao, SituacaoPrioridade, cnes) "
                                "values ('100', 'Estoque', 'Inconsistência', 30, '2345678')"));
    fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = '100', TavroSituacao = 'Inconsistência', "
                                "TavroSituacaoPrioridade = 30 where lancamento = 5023"));
    // The protocol keeps records of other days, which no run of this list takes.
    fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = '100', TavroSituacao = 'Ok', "
                                "TavroSituacaoPrioridade = 40 where data <> '2019-01-31'"));
    const Snapshot before = snapshot();
    useService();
    for (const KindCase &kind : kindCases()) {
        SCOPED_TRACE(kind.name.toStdString());
        fill(kind);
        EXPECT_EQ(runEnds(click(kind.kind)), (RunEnds{RunResult::End::Sent, RunResult::End::NothingLeft}));
    }
    EXPECT_TRUE(report.erros.contains(QStringLiteral("Código de produto inválido! 5031 - ") + LongName))
        << report.erros.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(report.erros.contains(QStringLiteral("Informe o CNS para a pessoa: ") + LongName.left(80)))
        << report.erros.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5023")),
              QStringLiteral("Aguardando"));
    expectConsistent(before);
}
