#include "FollowupFixture.h"

#include "common/Status.h"
#include "followup/ErrorCatalogue.h"
#include "transmission/StatusWrites.h"

using namespace tavro;
using tavro::test::BatchSender;
using tavro::test::FollowupFixture;

namespace {

struct Kind
{
    const char *tipo;
    QStringList keys; // three records of the demo database
};

const Kind Kinds[] = {
    {"Estoque", {"5001", "5002", "5003"}},
    {"Entrada", {"1001-1", "1001-2", "1001-3"}},
    {"Saída", {"2001-1", "2001-2", "2003-1"}},
    {"Dispensação", {"3001-1", "3001-2", "3005-1"}},
};

QStringList status(const QString &situacao, int prioridade)
{
    return {situacao, QString::number(prioridade)};
}

class Checks : public FollowupFixture, public ::testing::WithParamInterface<Kind>
{
protected:
    QString tipo() const { return QString::fromUtf8(GetParam().tipo); }
    QString key(int i) const { return GetParam().keys.at(i); }
    QStringList statusOf(int i) const { return record(tipo(), key(i)).mid(0, 2); }
    // The registration code the service gave the record.
    QString codeOf(int i) const { return record(tipo(), key(i)).value(3); }
    // Sends the records and brings their protocol to "Finalizado".
    QString sendFinished(const QStringList &keys, const QStringList &rejected = {})
    {
        const QString protocolo = m_sender->send(tipo(), keys, rejected);
        EXPECT_EQ(processamento(protocolo), Situacao::Finalizado);
        takeLines();
        return protocolo;
    }
    // The record lines of one reported inconsistency, as the check writes them.
    QStringList reportLines(int i, const QString &codigo, const QString &mensagem, const QString &campo,
                            const QString &valor) const
    {
        const QString origem = BatchSender::origem(tipo(), key(i));
        const QString shown = kindOfTipo(tipo()) == MovementKind::Estoque ? origem.section('-', 0, 0) : origem;
        return {QString(),
                "coRegistroOrigem=" + shown,
                "coRegistro=" + codeOf(i),
                "idOrigem=M",
                "coIBGE=3550308",
                "coRegistro=" + codeOf(i),
                "coRegistroOrigem=" + origem,
                "codigoerro=" + codigo,
                "mensagem=" + mensagem,
                "campo=" + campo,
                "valor=" + valor};
    }
};

} // namespace

TEST_P(Checks, ProtocolGoesFromWaitingThroughFinishedToOk)
{
    startSim({"--aguardando", "1"});
    const QString protocolo = m_sender->send(tipo(), GetParam().keys);

    EXPECT_EQ(processamento(protocolo), Situacao::Aguardando);
    EXPECT_EQ(takeLines(), (QStringList{"M", "3550308", "Aguardando"}));
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Aguardando, 10));
    EXPECT_EQ(statusOf(0), status(Situacao::Aguardando, 10));
    EXPECT_EQ(codeOf(0), "<null>");

    EXPECT_EQ(processamento(protocolo), Situacao::Finalizado);
    EXPECT_EQ(takeLines(), (QStringList{"M", "3550308", "Finalizado"}));
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Finalizado, 20));
    QStringList codes;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(statusOf(i), status(Situacao::Finalizado, 20));
        codes << codeOf(i);
    }
    EXPECT_EQ(codes.removeDuplicates(), 0);
    EXPECT_TRUE(codes.first().toLongLong() > 0) << codes.first().toStdString();

    EXPECT_EQ(inconsistencia(protocolo), Situacao::Ok);
    EXPECT_EQ(takeLines(), (QStringList{"M", "3550308", "Nenhuma inconsistência."}));
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Ok, 40));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(statusOf(i), status(Situacao::Ok, 40));
}

TEST_P(Checks, DuplicatesAndRealInconsistenciesInEitherOrder)
{
    startSim({"--aguardando", "0"});
    const QString first = sendFinished({key(0)});
    ASSERT_EQ(inconsistencia(first), Situacao::Ok);
    takeLines();

    // Only a duplicate: that record "Ok (Inc.)", the others "Ok", the protocol "Ok (Inc.)".
    const QString duplicateOnly = sendFinished({key(0), key(1)});
    EXPECT_EQ(inconsistencia(duplicateOnly), Situacao::OkInc);
    EXPECT_EQ(takeLines(),
              QStringList({"M", "3550308"})
                  + reportLines(0, "E025", "O registro já está cadastrado na base de dados definitiva",
                                "coRegistroOrigem", BatchSender::origem(tipo(), key(0))));
    EXPECT_EQ(protocolRow(duplicateOnly), status(Situacao::OkInc, 41));
    EXPECT_EQ(statusOf(0), status(Situacao::OkInc, 41));
    EXPECT_EQ(statusOf(1), status(Situacao::Ok, 40));

    // A duplicate then a real one, and a real one then a duplicate.
    for (const auto &order : {QStringList{key(0), key(2)}, QStringList{key(2), key(0)}}) {
        const QString mixed = sendFinished(order, {key(2)});
        EXPECT_EQ(inconsistencia(mixed), Situacao::Inconsistencia);
        const QStringList lines = takeLines();
        EXPECT_TRUE(lines.contains("codigoerro=E026")) << lines.join('|').toStdString();
        EXPECT_TRUE(lines.contains("codigoerro=E025")) << lines.join('|').toStdString();
        EXPECT_EQ(protocolRow(mixed), status(Situacao::Inconsistencia, 30));
        EXPECT_EQ(statusOf(0), status(Situacao::OkInc, 41));
        EXPECT_EQ(statusOf(2), status(Situacao::Inconsistencia, 30));
    }
}

TEST_P(Checks, RealInconsistencyIsShownInFullAndReportedAgainOnlyRewritesIssueLines)
{
    startSim({"--aguardando", "0"});
    const QString protocolo = sendFinished({key(0), key(1)}, {key(1)});
    EXPECT_EQ(inconsistencia(protocolo), Situacao::Inconsistencia);
    EXPECT_EQ(takeLines(),
              QStringList({"M", "3550308"})
                  + reportLines(1, "E026", "Produto não encontrado no catálogo", "nuProduto", "BR026"));
    EXPECT_EQ(statusOf(0), status(Situacao::Ok, 40));
    EXPECT_EQ(statusOf(1), status(Situacao::Inconsistencia, 30));

    // The same report again reaches a record at "Inconsistência" only in itenssaidas,
    // whose guard admits the equal priority.
    const QString code = codeOf(1);
    setRecord(tipo(), key(1), "TavroCoRegistro = 'antigo'");
    EXPECT_EQ(inconsistencia(protocolo), Situacao::Inconsistencia);
    const bool rewritten = tableName(kindOfTipo(tipo())) == tableName(MovementKind::Saidas);
    EXPECT_EQ(codeOf(1), rewritten ? code : QStringLiteral("antigo"));
    EXPECT_EQ(statusOf(1), status(Situacao::Inconsistencia, 30));
}

TEST_P(Checks, NoWriteLowersAStatus)
{
    startSim({"--aguardando", "0"});
    const QString protocolo = sendFinished(GetParam().keys);
    ASSERT_EQ(inconsistencia(protocolo), Situacao::Ok);
    const QString code = codeOf(0);
    setRecord(tipo(), key(0),
              kindOfTipo(tipo()) == MovementKind::Estoque
                  ? "TavroCoRegistro = null, TavroSituacao = 'Estranho', TavroSituacaoPrioridade = 100"
                  : "TavroCoRegistro = null");
    // Run again on an "Ok" protocol, the processing check only brings the codes back.
    EXPECT_EQ(processamento(protocolo), Situacao::Finalizado);
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Ok, 40));
    EXPECT_EQ(codeOf(0), code);
    const QStringList kept = kindOfTipo(tipo()) == MovementKind::Estoque ? status("Estranho", 100)
                                                                         : status(Situacao::Ok, 40);
    EXPECT_EQ(statusOf(0), kept);
    EXPECT_EQ(inconsistencia(protocolo), Situacao::Ok);
    EXPECT_EQ(statusOf(0), kept);
}

// A record rejected under one protocol goes out again under a newer one; checking the
// old protocol again leaves it to the newer protocol, waiting, while the old protocol
// gets its status as before.
TEST_P(Checks, CheckingAnOldProtocolLeavesARecordSentAgainAlone)
{
    startSim({"--aguardando", "0"});
    const QString old = sendFinished({key(0), key(1)}, {key(1)});
    ASSERT_EQ(inconsistencia(old), Situacao::Inconsistencia);
    const QString newer = m_sender->send(tipo(), {key(1)});
    ASSERT_EQ(record(tipo(), key(1)).mid(0, 3), (QStringList{Situacao::Aguardando, "10", newer}));
    takeLines();

    EXPECT_EQ(inconsistencia(old), Situacao::Inconsistencia);
    EXPECT_TRUE(takeLines().contains("codigoerro=E026"));
    EXPECT_EQ(record(tipo(), key(1)).mid(0, 3), (QStringList{Situacao::Aguardando, "10", newer}));
    EXPECT_EQ(statusOf(0), status(Situacao::Ok, 40));
    EXPECT_EQ(protocolRow(old), status(Situacao::Inconsistencia, 30));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, Checks, ::testing::ValuesIn(Kinds), [](const auto &info) {
    return (info.param.keys.first().contains('-') ? "Item" : "Stock") + std::to_string(info.index);
});

class Rectification : public FollowupFixture, public ::testing::WithParamInterface<Kind>
{
};

TEST_P(Rectification, RectifiedProtocolBecomesOkRetificadoAndItsRecordsMove)
{
    const QString tipo = QString::fromUtf8(GetParam().tipo);
    const QString a = GetParam().keys.at(0), b = GetParam().keys.at(1);
    startSim({"--aguardando", "1"});
    const QString old = m_sender->send(tipo, {a, b});
    processamento(old);
    ASSERT_EQ(processamento(old), Situacao::Finalizado);
    ASSERT_EQ(inconsistencia(old), Situacao::Ok);
    const QString codeA = record(tipo, a).value(3);
    const QString codeB = record(tipo, b).value(3);

    // A is moved by the transmitter itself; B is still under the old protocol when the
    // answer lists it, and the check moves it.
    const QString rectifying = m_sender->rectify(tipo, old, {a, b}, {a});
    EXPECT_EQ(processamento(rectifying), Situacao::Aguardando);
    EXPECT_EQ(protocolRow(old), status(Situacao::Ok, 40)); // a waiting answer lists no record
    takeLines();

    EXPECT_EQ(processamento(rectifying), Situacao::Finalizado);
    EXPECT_EQ(protocolRow(old), status(Situacao::OkRetificado, 50));
    EXPECT_EQ(protocolRow(rectifying), status(Situacao::Finalizado, 20));
    const QString data = registryCells(m_fixture, rectifying).value(1);
    EXPECT_EQ(record(tipo, a), (QStringList{Situacao::Finalizado, "20", rectifying, codeA, data}));
    EXPECT_EQ(record(tipo, b), (QStringList{Situacao::Ok, "40", rectifying, codeB, data}));

    EXPECT_EQ(inconsistencia(rectifying), Situacao::Ok);
    EXPECT_EQ(record(tipo, a).mid(0, 2), status(Situacao::Ok, 40));
    EXPECT_EQ(protocolRow(old), status(Situacao::OkRetificado, 50));
}

INSTANTIATE_TEST_SUITE_P(StockAndGoodsReceived, Rectification, ::testing::Values(Kinds[0], Kinds[1]),
                         [](const auto &info) { return std::string(info.index == 0 ? "Stock" : "GoodsReceived"); });

class Check : public FollowupFixture
{
};

TEST_F(Check, UnreachableServiceCommitsNothing)
{
    startSim({"--aguardando", "0"});
    const QString protocolo = m_sender->send(Tipo::Saida, {"2001-1"});
    useUnreachableService();
    EXPECT_EQ(processamento(protocolo), QString());
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Aguardando, 10));
    EXPECT_EQ(record(Tipo::Saida, "2001-1").mid(0, 2), status(Situacao::Aguardando, 10));
    EXPECT_EQ(takeLines(), QStringList());
    EXPECT_FALSE(m_checks->lastError().isEmpty());
}

TEST_F(Check, AFailedCheckLeavesNothingForTheNextCommit)
{
    startSim({"--aguardando", "0"});
    // The second record's origin key names no number, so the check fails after it has
    // stored the first record's registration code.
    const QString broken = m_sender->send(Tipo::Entrada, {"1001-1", "x-1"}, {}, {"x-1"});
    const QString sound = m_sender->send(Tipo::Entrada, {"1002-1"});
    EXPECT_EQ(processamento(broken), QString());
    EXPECT_EQ(takeLines(), (QStringList{"M", "3550308", "Finalizado"}));
    EXPECT_EQ(processamento(sound), Situacao::Finalizado);
    EXPECT_EQ(record(Tipo::Entrada, "1002-1").mid(0, 2), status(Situacao::Finalizado, 20));
    EXPECT_EQ(record(Tipo::Entrada, "1001-1").mid(0, 4), (QStringList{Situacao::Aguardando, "10", broken, "<null>"}));
}

TEST_F(Check, WaitingForReprocessingCountsAsWaiting)
{
    startSim({"--aguardando", "1", "--reprocessamento"});
    const QString protocolo = m_sender->send(Tipo::Dispensacao, {"3001-1"});
    EXPECT_EQ(processamento(protocolo), Situacao::Aguardando);
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Aguardando, 10));
}

TEST_F(Check, UnknownKindWritesOnlyTheProtocolRow)
{
    startSim({"--aguardando", "0"});
    const QString protocolo = m_sender->send(Tipo::Saida, {"2001-1"}, {"2001-1"});
    m_fixture.exec(QStringLiteral("update TavroProtocolos set Tipo = 'Outro' where Protocolo = '%1'").arg(protocolo));
    EXPECT_EQ(processamento(protocolo), Situacao::Finalizado);
    EXPECT_EQ(inconsistencia(protocolo), Situacao::Inconsistencia);
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Inconsistencia, 30));
    EXPECT_EQ(record(Tipo::Saida, "2001-1").mid(0, 4), (QStringList{Situacao::Aguardando, "10", protocolo, "<null>"}));
}

// The service may add codes: one outside the catalogue is an inconsistency of its record,
// shown with its code, and the protocol reaches its final status.
TEST_F(Check, CodeOutsideTheCatalogueIsAnInconsistencyOfItsRecord)
{
    startSim({"--aguardando", "0", "--codigo-fora", "E002"});
    const QString protocolo = m_sender->send(Tipo::Entrada, {"1001-1", "1001-2"});
    ASSERT_EQ(processamento(protocolo), Situacao::Finalizado);
    takeLines();
    EXPECT_EQ(inconsistencia(protocolo), Situacao::Inconsistencia);
    const QStringList lines = takeLines();
    EXPECT_TRUE(lines.contains("codigoerro=Erro não catalogado: E002")) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains("coRegistroOrigem=1001-1")) << lines.join('|').toStdString();
    EXPECT_EQ(protocolRow(protocolo), status(Situacao::Inconsistencia, 30));
    EXPECT_EQ(record(Tipo::Entrada, "1001-1").mid(0, 2), status(Situacao::Inconsistencia, 30));
    EXPECT_EQ(record(Tipo::Entrada, "1001-2").mid(0, 2), status(Situacao::Ok, 40));
}

TEST_F(Check, RectificationOfARecordOutsideTheRectifiedProtocolIsReported)
{
    startSim({"--aguardando", "0"});
    const QString old = m_sender->send(Tipo::Entrada, {"1001-1"});
    ASSERT_EQ(processamento(old), Situacao::Finalizado);
    ASSERT_EQ(inconsistencia(old), Situacao::Ok);
    const QString rectifying = m_sender->rectify(Tipo::Entrada, old, {"1001-1", "1002-1"}, {"1001-1", "1002-1"});
    ASSERT_EQ(processamento(rectifying), Situacao::Finalizado);
    takeLines();
    EXPECT_EQ(inconsistencia(rectifying), Situacao::Inconsistencia);
    EXPECT_TRUE(takeLines().contains("codigoerro=E033"));
    EXPECT_EQ(record(Tipo::Entrada, "1001-1").mid(0, 2), status(Situacao::Ok, 40));
    EXPECT_EQ(record(Tipo::Entrada, "1002-1").mid(0, 2), status(Situacao::Inconsistencia, 30));
    EXPECT_EQ(protocolRow(old), status(Situacao::OkRetificado, 50));
}
