#include "TestDatabase.h"
#include "common/Status.h"
#include "db/Database.h"
#include "transmission/StatusWrites.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

TEST(PrioridadeSituacao, VocabularyAndEverythingElse)
{
    const struct
    {
        const char *status;
        int priority;
    } cases[] = {
        {"Aguardando", 10},
        {"Finalizado", 20},
        {"Inconsistência", 30},
        {"Ok", 40},
        {"Ok (Inc.)", 41},
        {"Ok-Retificado", 50},
        {"", 100},
        {"ok", 100},
        {"Ok ", 100},
        {"Inconsistencia", 100},
        {"Enviado", 100},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PrioridadeSituacao(QString::fromUtf8(c.status)), c.priority) << c.status;
}

TEST(Status, NewBatchesTakeNeverSentRejectedAndUnknown)
{
    for (const char *s : {"", "Inconsistência", "Enviado", "ok"})
        EXPECT_TRUE(sendableInNewBatch(QString::fromUtf8(s))) << s;
    for (const char *s : {"Aguardando", "Finalizado", "Ok", "Ok (Inc.)", "Ok-Retificado"})
        EXPECT_FALSE(sendableInNewBatch(QString::fromUtf8(s))) << s;
}

// The colour each status gives a row of both lists, written out here and compared exactly.
TEST(Status, RowColours)
{
    const QColor olive(128, 128, 0), green(0, 128, 0), blue(0, 0, 255), red(255, 0, 0), black(0, 0, 0);
    const struct
    {
        const char *status;
        QColor record;
        QColor protocol;
    } cases[] = {
        {"Aguardando", olive, olive}, {"Finalizado", green, green}, {"Ok", blue, blue},
        {"Ok (Inc.)", blue, blue},    {"Inconsistência", red, red}, {"Ok-Retificado", black, blue},
        {"", black, black},           {"aguardando", black, black}, {"Inconsistencia", black, black},
        {"Ok ", black, black},        {"OK", black, black},         {"Enviado", black, black},
    };
    for (const auto &c : cases) {
        const QString status = QString::fromUtf8(c.status);
        EXPECT_EQ(recordStatusColour(status), c.record) << c.status;
        EXPECT_EQ(protocolStatusColour(status), c.protocol) << c.status;
    }
}

class StatusWrites : public ::testing::Test
{
protected:
    void SetUp() override { db.open(fixture.path()); }

    QStringList stock(int lancamento) const
    {
        return fixture
            .rows(QStringLiteral("select TavroProtocolo, TavroData, TavroSituacao, TavroSituacaoPrioridade "
                                 "from conciliacao where lancamento = %1")
                      .arg(lancamento))
            .value(0);
    }
    void setStock(int lancamento, const char *status, int priority) const
    {
        fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = 'P', TavroSituacao = '%1', "
                                    "TavroSituacaoPrioridade = %2 where lancamento = %3")
                         .arg(QString::fromUtf8(status))
                         .arg(priority)
                         .arg(lancamento));
    }
    static RecordKey stockKey(int lancamento)
    {
        return RecordKey{{QStringLiteral("where lancamento = :plancamento")},
                         {{QStringLiteral("plancamento"), QString::number(lancamento)}}};
    }

    TestDatabase fixture;
    Database db;
};

TEST_F(StatusWrites, SendingOverwritesAnyStatusAndCutsTexts)
{
    setStock(5001, "Ok", 40);
    const QString protocol30 = QStringLiteral("123456789012345678901234567890");
    markRecordSent(db, MovementKind::Estoque, protocol30, QStringLiteral("16-08-2018 17:48:40"), stockKey(5001));
    registerBatch(db,
                  {protocol30, QStringLiteral("16-08-2018 17:48:40 extra text"), QDate(2019, 2, 1), Tipo::Estoque,
                   QStringLiteral("2345678"), QString()});
    db.commit();
    EXPECT_EQ(stock(5001),
              (QStringList{protocol30.left(25), QStringLiteral("16-08-2018 17:48:40"), QStringLiteral("Aguardando"),
                           QStringLiteral("10")}));
    EXPECT_EQ(
        fixture.rows(QStringLiteral("select Protocolo, Data, DataLancamento, Situacao, SituacaoPrioridade, Tipo, cnes, "
                                    "ProtocoloAntigo from TavroProtocolos")),
        (QList<QStringList>{{protocol30.left(25), QStringLiteral("16-08-2018 17:48:40 extra"),
                             QStringLiteral("2019-02-01"), QStringLiteral("Aguardando"), QStringLiteral("10"),
                             QStringLiteral("Estoque"), QStringLiteral("2345678"), QStringLiteral("<null>")}}));
}

TEST_F(StatusWrites, RectificationRegistersTheOldProtocolAndItemKeysPickOneLine)
{
    markRecordSent(db, MovementKind::Entradas, QStringLiteral("NOVO"), QStringLiteral("D"),
                   itemKey(QStringLiteral("1001"), QStringLiteral("2")));
    registerBatch(db,
                  {QStringLiteral("NOVO"), QStringLiteral("D"), QDate(2019, 2, 1), Tipo::Entrada,
                   QStringLiteral("2345678"), QStringLiteral("ANTIGO")});
    db.commit();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select ProtocoloAntigo from TavroProtocolos")), QStringLiteral("ANTIGO"));
    EXPECT_EQ(fixture.rows(QStringLiteral("select lancamento, item from itensentradas where TavroProtocolo = 'NOVO'")),
              (QList<QStringList>{{QStringLiteral("1001"), QStringLiteral("2")}}));
}

TEST_F(StatusWrites, UncommittedMarksVanishOnRollback)
{
    markRecordSent(db, MovementKind::Estoque, QStringLiteral("P"), QStringLiteral("D"), stockKey(5003));
    db.restartTransaction();
    EXPECT_EQ(stock(5003).value(2), QStringLiteral("<null>"));
}

TEST_F(StatusWrites, GuardedWritesNeverLowerAStatus)
{
    setStock(5001, "Inconsistência", 30);
    setStock(5002, "Ok", 40);
    setStock(5003, "Ok (Inc.)", 41);
    fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = 'P', TavroSituacao = null, "
                                "TavroSituacaoPrioridade = null where lancamento = 5004"));
    setStock(5005, "Aguardando", 10);

    raiseRecordsOfProtocol(db, MovementKind::Estoque, QStringLiteral("P"), QStringLiteral("Finalizado"), 20);
    db.commit();
    EXPECT_EQ(stock(5001).value(2), QStringLiteral("Inconsistência"));
    EXPECT_EQ(stock(5002).value(2), QStringLiteral("Ok"));
    EXPECT_EQ(stock(5004).mid(2), (QStringList{QStringLiteral("Finalizado"), QStringLiteral("20")}));
    EXPECT_EQ(stock(5005).value(2), QStringLiteral("Finalizado"));

    // The inconsistency check's "Ok" carries the priority of "Inconsistência" as its guard.
    raiseRecordsOfProtocol(db, MovementKind::Estoque, QStringLiteral("P"), QStringLiteral("Ok"), 30);
    db.commit();
    EXPECT_EQ(stock(5001).value(2), QStringLiteral("Inconsistência"));
    EXPECT_EQ(stock(5003).value(2), QStringLiteral("Ok (Inc.)"));
    EXPECT_EQ(stock(5005).mid(2), (QStringList{QStringLiteral("Ok"), QStringLiteral("40")}));
}

TEST_F(StatusWrites, ReportedIssueLinesAlsoChangeAtEqualPriority)
{
    fixture.exec(QStringLiteral("update itensentradas set TavroProtocolo = 'P', TavroSituacao = 'Inconsistência', "
                                "TavroSituacaoPrioridade = 30"));
    fixture.exec(QStringLiteral("update itenssaidas set TavroProtocolo = 'P', TavroSituacao = 'Inconsistência', "
                                "TavroSituacaoPrioridade = 30"));
    const QString protocolo = QStringLiteral("P");
    raiseReportedRecord(db, MovementKind::Entradas, protocolo, itemKey(QStringLiteral("1001"), QStringLiteral("1")),
                        QStringLiteral("Ok (Inc.)"), QStringLiteral("77"), 30);
    raiseReportedRecord(db, MovementKind::Saidas, protocolo, itemKey(QStringLiteral("3001"), QStringLiteral("1")),
                        QStringLiteral("Ok (Inc.)"), QStringLiteral("88"), 30);
    db.commit();
    EXPECT_EQ(fixture.rows(QStringLiteral(
                  "select TavroSituacao, TavroCoRegistro from itensentradas where lancamento = 1001 and item = 1")),
              (QList<QStringList>{{QStringLiteral("Inconsistência"), QStringLiteral("<null>")}}));
    EXPECT_EQ(
        fixture.rows(QStringLiteral("select TavroSituacao, TavroSituacaoPrioridade, TavroCoRegistro from itenssaidas "
                                    "where lancamento = 3001 and item = 1")),
        (QList<QStringList>{{QStringLiteral("Ok (Inc.)"), QStringLiteral("41"), QStringLiteral("88")}}));
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select TavroSituacao from itenssaidas where lancamento = 3001 and item = 2")),
        QStringLiteral("Inconsistência"));
}

TEST_F(StatusWrites, ProtocolRowRisesOnlyAboveItsStoredPriority)
{
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Situacao, SituacaoPrioridade, Tipo) values "
                                "('A', 'Ok-Retificado', 50, 'Estoque')"));
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Situacao, SituacaoPrioridade, Tipo) values "
                                "('B', 'Aguardando', 10, 'Estoque')"));
    raiseProtocol(db, QStringLiteral("A"), QStringLiteral("Finalizado"));
    raiseProtocol(db, QStringLiteral("B"), QStringLiteral("Finalizado"));
    db.commit();
    EXPECT_EQ(fixture.rows(QStringLiteral(
                  "select Protocolo, Situacao, SituacaoPrioridade from TavroProtocolos order by Protocolo")),
              (QList<QStringList>{{QStringLiteral("A"), QStringLiteral("Ok-Retificado"), QStringLiteral("50")},
                                  {QStringLiteral("B"), QStringLiteral("Finalizado"), QStringLiteral("20")}}));
}

TEST(StatusWritesTables, KindChoosesTheTable)
{
    EXPECT_EQ(tableName(kindOfTipo(Tipo::Estoque)), QStringLiteral("conciliacao"));
    EXPECT_EQ(tableName(kindOfTipo(Tipo::Entrada)), QStringLiteral("itensEntradas"));
    EXPECT_EQ(tableName(kindOfTipo(Tipo::Saida)), QStringLiteral("itensSaidas"));
    EXPECT_EQ(tableName(kindOfTipo(Tipo::Dispensacao)), QStringLiteral("itensSaidas"));
    EXPECT_EQ(tableName(kindOfTipo(QStringLiteral("Outro"))), QStringLiteral("conciliacao"));
}
