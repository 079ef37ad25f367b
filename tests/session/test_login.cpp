#include "TestDatabase.h"
#include "common/Error.h"
#include "db/Database.h"
#include "session/HealthUnit.h"
#include "session/Login.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

TEST(Criptografia, IsItsOwnInverseAndKeepsKeyCharacters)
{
    const QString key = QStringLiteral("QZV");
    EXPECT_EQ(Criptografia(QStringLiteral("tavro2019"), key), QStringLiteral("%; #5dako"));
    EXPECT_EQ(Criptografia(Criptografia(QStringLiteral("Senha çé 123"), key), key), QStringLiteral("Senha çé 123"));
    EXPECT_EQ(Criptografia(QStringLiteral("QZVQ"), key), QStringLiteral("QZVQ"));
    EXPECT_EQ(Criptografia(QString(), key), QString());
}

class Login : public ::testing::Test
{
protected:
    void SetUp() override { db.open(fixture.path()); }
    TestDatabase fixture;
    Database db;
    LoginValues values;
};

TEST_F(Login, OutcomesByPassword)
{
    const struct
    {
        const char *user;
        const char *password;
        LoginResult result;
        const char *tavroUser;
    } cases[] = {
        {"FARMACIA", "tavro2019", LoginResult::Unlocked, "farmacia.ws"}, // stored scrambled
        {"farmacia", "tavro2019", LoginResult::Unlocked, "farmacia.ws"}, // name in any case
        {"caixa", "caixa123", LoginResult::Unlocked, "caixa.ws"},        // stored plain
        {"estagiario", "estagio1", LoginResult::Unlocked, ""},           // no service credentials
        {"farmacia", "quiltex", LoginResult::Restricted, ""},            // master password, no row
        {"ninguem", "quiltex", LoginResult::Restricted, ""},
        {"farmacia", "errada", LoginResult::Refused, nullptr},
        {"farmacia", "", LoginResult::Incomplete, nullptr},
        {"", "tavro2019", LoginResult::Incomplete, nullptr},
    };
    for (const auto &c : cases) {
        LoginValues v;
        EXPECT_EQ(login(db, QString::fromUtf8(c.user), QString::fromUtf8(c.password), v), c.result)
            << c.user << c.password;
        if (c.tavroUser) {
            EXPECT_EQ(v.UsuarioSessao, QString::fromUtf8(c.user));
            EXPECT_EQ(v.TavroUsuarioSessao, QString::fromUtf8(c.tavroUser));
        } else {
            EXPECT_TRUE(v.UsuarioSessao.isEmpty());
        }
    }
}

TEST_F(Login, OperatorWhoseOwnPasswordIsTheMasterStaysRestricted)
{
    fixture.exec(QStringLiteral("insert into Usuarios (Usuario, Senha, TavroUsuario, TavroSenha) values ('MESTRE', "
                                "'quiltex', 'm.ws', 'm-pw')"));
    EXPECT_EQ(login(db, QStringLiteral("mestre"), QStringLiteral("quiltex"), values), LoginResult::Restricted);
    EXPECT_EQ(values.TavroUsuarioSessao, QStringLiteral("m.ws"));
}

TEST_F(Login, ValuesAreCutAndHeldAsSingleByteText)
{
    const QString longName = QStringLiteral("OPERADORACOMNOME20");
    const QString password = QString(120, QLatin1Char('s'));
    fixture.exec(
        QStringLiteral(
            "insert into Usuarios (Usuario, Senha, TavroUsuario, TavroSenha) values ('%1', 'x', 'usuário€', '%2')")
            .arg(longName, password));
    EXPECT_EQ(login(db, longName, QStringLiteral("x"), values), LoginResult::Unlocked);
    EXPECT_EQ(values.UsuarioSessao, longName.left(15));
    EXPECT_EQ(values.TavroSenhaSessao, password.left(100));
    EXPECT_EQ(values.TavroUsuarioSessao, QStringLiteral("usuário?"));
}

TEST_F(Login, RefusedAttemptKeepsEarlierValuesAndWritesNothing)
{
    ASSERT_EQ(login(db, QStringLiteral("caixa"), QStringLiteral("caixa123"), values), LoginResult::Unlocked);
    EXPECT_EQ(login(db, QStringLiteral("caixa"), QStringLiteral("errada"), values), LoginResult::Refused);
    EXPECT_EQ(values.TavroUsuarioSessao, QStringLiteral("caixa.ws"));
    db.rollback();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("0"));
}

TEST(LoginErrors, MissingUsuariosTableRaisesAndRollsBack)
{
    TestDatabase fixture;
    fixture.exec(QStringLiteral("drop table Usuarios"));
    Database db;
    db.open(fixture.path());
    LoginValues values;
    EXPECT_THROW(login(db, QStringLiteral("farmacia"), QStringLiteral("tavro2019"), values), Error);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(values.UsuarioSessao.isEmpty());
}

TEST(HealthUnitAtStartup, FoundByCnesOrCode)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const HealthUnit byCnes = findUnitAtStartup(db, QStringLiteral("2345678"));
    EXPECT_EQ(byCnes.codigo, QStringLiteral("1"));
    EXPECT_EQ(byCnes.nome, QStringLiteral("FARMACIA MUNICIPAL CENTRAL"));
    EXPECT_EQ(findUnitAtStartup(db, QStringLiteral("2")).nome, QStringLiteral("HOSPITAL MUNICIPAL CENTRAL"));
    EXPECT_TRUE(findUnitAtStartup(db, QStringLiteral("9999999")).codigo.isEmpty());
    EXPECT_TRUE(findUnitAtStartup(db, QString()).codigo.isEmpty());
    EXPECT_FALSE(db.inTransaction());
}

TEST(UnitSelection, ByCodeAndByName)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const UnitByCode unit = findUnitByCode(db, QStringLiteral("4"));
    EXPECT_TRUE(unit.found); // deactivated units can still be chosen by code
    EXPECT_EQ(unit.numero, QStringLiteral("5678901"));
    EXPECT_FALSE(findUnitByCode(db, QStringLiteral("99")).found);
    EXPECT_THROW(findUnitByCode(db, QStringLiteral("x1")), Error);

    EXPECT_EQ(lookupPattern(LookupMode::QualquerPalavra, QStringLiteral(" hospital  central ")),
              QStringLiteral("%HOSPITAL%%CENTRAL%"));
    EXPECT_EQ(lookupPattern(LookupMode::TrechoDoNome, QStringLiteral("Flores")), QStringLiteral("%FLORES%"));
    EXPECT_EQ(lookupPattern(LookupMode::InicioDoNome, QStringLiteral("ubs")), QStringLiteral("UBS%"));

    QStringList names;
    for (const HealthUnit &u :
         searchUnits(db, lookupPattern(LookupMode::QualquerPalavra, QStringLiteral("hospital  central"))))
        names.append(u.nome);
    EXPECT_EQ(names, QStringList{QStringLiteral("HOSPITAL MUNICIPAL CENTRAL")});
    EXPECT_EQ(searchUnits(db, QStringLiteral("%")).size(), 6); // every active unit
    EXPECT_TRUE(searchUnits(db, QStringLiteral("POSTO%")).isEmpty());
}

TEST(UnitSelection, WheelAccumulatesNotchesAndRemainders)
{
    WheelAccumulator wheel;
    int moved = 0;
    for (int notch = 0; notch < 5; ++notch)
        moved += wheel.add(-120); // towards the user: down
    EXPECT_EQ(moved, 5);
    EXPECT_EQ(wheel.value(), -100);
    EXPECT_EQ(wheel.add(-120), 2); // the sixth notch moves two rows
    WheelAccumulator half;
    EXPECT_EQ(half.add(60), 0);
    EXPECT_EQ(half.add(60), -1); // a second half notch moves one row up
}
