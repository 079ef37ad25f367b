#pragma once

// Runs the real tavro-cli as a process against a fresh demo database, with a config.ini of
// its own, and (for the verbs that call the service) tavro-sim.
#include "BatchSender.h"
#include "ConfigFile.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"

#include "db/Database.h"
#include "service/SoapClient.h"
#include "session/Login.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <memory>

namespace tavro::test {

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;

    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    // The first cell of every row after the caption line.
    QStringList captions() const
    {
        QStringList result;
        for (const QString &line : lines().mid(1))
            result.append(line.section(QLatin1Char('\t'), 0, 0));
        return result;
    }
};

inline const QString Password = QStringLiteral("tavro2019");
inline const QString MasterPassword = QStringLiteral("quiltex");
inline const QStringList January{"--de", "01/01/2019", "--ate", "31/01/2019"};

// Runs the real tavro-cli against a fresh demo database and a config.ini of its own. The
// program is a copy in the test's folder, so its data folder (its own folder, the logs in
// "Tavro" inside) holds only this test's files: the verbs that write recover accepted
// batches from that folder.
class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeConfig(fixture.path());
        QDir().mkpath(fixture.folder() + QStringLiteral("/bin"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TAVRO_CLI), cliPath()));
    }
    QString cliPath() const { return fixture.folder() + QStringLiteral("/bin/tavro-cli"); }
    QString dataFolder() const { return fixture.folder() + QStringLiteral("/bin"); }
    QString logFolder() const { return dataFolder() + QStringLiteral("/Tavro"); }

    // config.ini naming `database` and the January period, then `tavroKeys` in section TAVRO.
    void writeConfig(const QString &database, const QStringList &tavroKeys = {})
    {
        ConfigFile config{database};
        config.tavro += tavroKeys;
        test::writeConfig(configPath(), config);
    }
    // More keys of section TAVRO, at the end of config.ini.
    void addConfigKeys(const QStringList &keys) { appendConfig(configPath(), keys); }
    QString configPath() const { return fixture.folder() + QStringLiteral("/config.ini"); }
    QByteArray configText() const
    {
        QFile file(configPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // `password` goes into TAVRO_SENHA; a null one leaves the variable unset.
    static QProcessEnvironment environment(const QString &password)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("TAVRO_SENHA"));
        if (!password.isNull())
            env.insert(QStringLiteral("TAVRO_SENHA"), password);
        return env;
    }
    void start(QProcess &process, const QStringList &arguments, const QString &password = Password)
    {
        process.setProcessEnvironment(environment(password));
        process.start(cliPath(), QStringList{"--config", configPath()} + arguments);
    }
    static CliRun exec(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        return finished(process);
    }
    static CliRun finished(QProcess &process)
    {
        EXPECT_TRUE(process.waitForFinished(120000));
        CliRun r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromUtf8(process.readAllStandardOutput());
        r.err = QString::fromUtf8(process.readAllStandardError());
        return r;
    }
    CliRun run(const QStringList &arguments, const QString &password = Password)
    {
        QProcess process;
        start(process, arguments, password);
        return finished(process);
    }
    CliRun listar(const QStringList &arguments)
    {
        return run(QStringList{"--usuario", "farmacia", "listar"} + arguments);
    }

    TestDatabase fixture;
};

// The follow-up verbs against tavro-sim. Batches are sent from the test itself, on a
// connection it closes again before the command line opens the same file.
class CliFollowup : public Cli
{
protected:
    // Twenty more goods-received lines of one unit each in January: twenty batches of one record.
    void addTwentyGoodsReceivedLines()
    {
        fixture.exec("execute block as declare i integer = 0; begin while (i < 20) do begin "
                     "insert into ITENSENTRADAS (lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, codunidade) "
                     "values (1001, 10 + :i, 101, 'AMX1801', 1, 1); i = i + 1; end end");
    }
    void startSim(const QStringList &arguments)
    {
        sim = std::make_unique<tavro::test::SimProcess>(tavro::test::simArguments(tavro::test::TestLogin, arguments));
        useService(tavro::test::localOrigin(sim->port()));
    }
    void useService(const QString &origin)
    {
        origem = origin;
        writeConfig(fixture.address(), serviceKeys(origin));
    }
    static QStringList serviceKeys(const QString &origin)
    {
        return {QStringLiteral("Servidor=") + origin, QStringLiteral("Namespace=") + TestNamespace,
                QStringLiteral("TempoLimite=30")};
    }
    QString send(const QString &tipo, const QStringList &keys, const QStringList &rejected = {})
    {
        tavro::Database db;
        db.open(fixture.path());
        HttpTransport transport;
        const auto client = tavro::test::makeClient(transport, origem, fixture.folder(), tavro::test::TestLogin);
        return tavro::test::BatchSender(db, *client).send(tipo, keys, rejected);
    }
    QString status(const QString &protocolo) const
    {
        return fixture.scalar(
            QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(protocolo));
    }
    CliRun verb(const QStringList &arguments) { return run(QStringList{"--usuario", "FARMACIA"} + arguments); }

    QString origem;
    std::unique_ptr<tavro::test::SimProcess> sim;
};

// The same, on a database the Firebird server of TAVRO_FB_SERVER serves; skipped without one.
class CliOnServer : public CliFollowup
{
protected:
    void SetUp() override
    {
        const QString server = testServer();
        if (server.isEmpty())
            GTEST_SKIP() << NoTestServer;
        CliFollowup::SetUp();
        fixture.useServer(server);
    }
};

} // namespace tavro::test
