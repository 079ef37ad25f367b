// The command line logged into the Firebird server with an account that holds exactly the
// rights the README grants, as a site that does not hand the program SYSDBA would set it up.
#include "CliFixture.h"

#include "common/Error.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

using tavro::test::CliOnServer;
using tavro::test::CliRun;

// The statements of the README's first sql block that grants rights, for the account `user`.
QStringList readmeGrants(const QString &user)
{
    QFile file(QStringLiteral(TAVRO_README));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression blocks(QStringLiteral("```sql\\n(.*?)```"),
                                    QRegularExpression::DotMatchesEverythingOption);
    for (auto it = blocks.globalMatch(text); it.hasNext();) {
        const QString block = it.next().captured(1);
        if (!block.contains(QStringLiteral("GRANT ")))
            continue;
        QStringList statements;
        for (QString statement : block.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            statement = statement.simplified();
            if (!statement.isEmpty())
                statements.append(statement.replace(QStringLiteral("USER TAVRO"), QStringLiteral("USER ") + user));
        }
        return statements;
    }
    return {};
}

class DatabaseAccount : public CliOnServer
{
protected:
    void SetUp() override
    {
        CliOnServer::SetUp();
        if (IsSkipped())
            return;
        // Accounts belong to the whole server: one of this process's own, dropped at the end.
        m_user = QStringLiteral("TAVRO_TESTE_%1").arg(QCoreApplication::applicationPid());
        fixture.exec(QStringLiteral("create or alter user %1 password '%2'").arg(m_user, m_password));
        m_created = true;
        const QStringList grants = readmeGrants(m_user);
        ASSERT_FALSE(grants.isEmpty()) << "README.md has no sql block of GRANT statements";
        for (const QString &grant : grants)
            fixture.exec(grant);
    }
    void TearDown() override
    {
        if (m_created)
            fixture.exec(QStringLiteral("drop user %1").arg(m_user));
    }

    // config.ini naming the account, `password` in a file of the owner's alone.
    void useAccount(quint16 simPort, const QString &password)
    {
        const QString passwordFile = fixture.folder() + QStringLiteral("/senha-banco");
        QFile secret(passwordFile);
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly | QIODevice::Truncate));
        secret.write(password.toUtf8() + '\n');
        secret.close();
        ASSERT_TRUE(secret.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        tavro::test::ConfigFile config{fixture.address()};
        config.geral = {QStringLiteral("UsuarioBanco=") + m_user, QStringLiteral("SenhaBancoArquivo=") + passwordFile};
        config.tavro = serviceKeys(tavro::test::localOrigin(simPort));
        tavro::test::writeConfig(configPath(), config);
    }

    QString m_user;
    const QString m_password = QStringLiteral("s3nha-do-banco");
    bool m_created = false;
};

TEST_F(DatabaseAccount, TheReadmesGrantsDoTheWholeJobAndNothingElse)
{
    sim = std::make_unique<tavro::test::SimProcess>(tavro::test::simArguments(tavro::test::TestLogin, {}));
    // The program logs in as the configured account: a wrong password in its file is refused.
    useAccount(sim->port(), QStringLiteral("errada"));
    const CliRun refused = verb({"protocolos"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Não encontrado arquivo de banco de dados em ")
                                       + fixture.address() + QLatin1Char('\n')))
        << refused.err.toStdString();

    useAccount(sim->port(), m_password);

    const CliRun sent = verb(QStringList{"transmitir", "entradas"} + tavro::test::January);
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    const QString protocolo = fixture.scalar(QStringLiteral("select max(Protocolo) from TavroProtocolos"));
    ASSERT_NE(protocolo, QStringLiteral("<null>"));
    EXPECT_NE(
        fixture.scalar(QStringLiteral("select count(*) from ITENSENTRADAS where TavroProtocolo = '%1'").arg(protocolo)),
        QStringLiteral("0"));

    const CliRun checked = verb({"verificar", "--vezes", "2"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err.toStdString();
    EXPECT_EQ(status(protocolo), QStringLiteral("Ok"));

    // Nothing beyond the job: no new table, no change to the product's own data, no row removed.
    tavro::Database db;
    db.open(fixture.address(), {m_user, m_password});
    for (const char *statement : {"create table TavroIntrusa (a integer)", "update PRODUTOS set descricao = 'x'",
                                  "update ITENSENTRADAS set QUANTIDADE = 0", "delete from ITENSENTRADAS",
                                  "insert into UNIDADES (codigo) values (99)"}) {
        EXPECT_THROW(
            {
                db.execute(tavro::SqlStatement{QString::fromLatin1(statement)});
                db.commit();
            },
            tavro::Error)
            << statement;
        db.rollback();
    }
}

} // namespace
