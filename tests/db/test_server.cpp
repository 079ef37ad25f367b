#include "TestDatabase.h"
#include "db/Database.h"
#include "session/Login.h"
#include "transmission/StatusWrites.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

// Runs against the Firebird server that the test script starts on 127.0.0.1; the
// address comes in TAVRO_FB_SERVER ("127.0.0.1/3050").
class ServerDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = tavro::test::testServer();
        if (server.isEmpty())
            GTEST_SKIP() << tavro::test::NoTestServer;
    }
    QString server;
};

TEST_F(ServerDatabase, LoginAndStatusWritesThroughTheServer)
{
    for (const char *name : {"demo-utf8.fdb", "demo-win1252.fdb"}) {
        TestDatabase fixture{QString::fromUtf8(name)};
        fixture.useServer(server);
        Database db;
        db.open(fixture.address());

        LoginValues values;
        EXPECT_EQ(login(db, QStringLiteral("farmacia"), QStringLiteral("tavro2019"), values), LoginResult::Unlocked);
        EXPECT_EQ(values.TavroUsuarioSessao, QStringLiteral("farmacia.ws"));

        markRecordSent(db, MovementKind::Saidas, QStringLiteral("P-1"), QStringLiteral("16-08-2018 17:48:40"),
                       itemKey(QStringLiteral("3001"), QStringLiteral("1")));
        registerBatch(db,
                      {QStringLiteral("P-1"), QStringLiteral("16-08-2018 17:48:40"), QDate(2019, 2, 1),
                       Tipo::Dispensacao, QStringLiteral("2345678"), QString()});
        raiseRecordsOfProtocol(db, MovementKind::Saidas, QStringLiteral("P-1"), QStringLiteral("Inconsistência"), 30);
        db.commit();

        EXPECT_EQ(fixture.rows(QStringLiteral("select Tipo, Situacao from TavroProtocolos")),
                  (QList<QStringList>{{QStringLiteral("Dispensação"), QStringLiteral("Aguardando")}}))
            << name;
        EXPECT_EQ(fixture.scalar(
                      QStringLiteral("select TavroSituacao from itenssaidas where lancamento = 3001 and item = 1")),
                  QStringLiteral("Inconsistência"))
            << name;
    }
}
