#include "FaultFixture.h"

#include "common/Error.h"
#include "session/AppConfig.h"
#include "session/IniFile.h"

#include <QFile>

using namespace tavro;
using namespace tavro::test;

namespace {

struct BadConfig
{
    const char *name;
    QByteArray ini;  // "%SERVIDOR%" stands for the healthy substitute's address
    QString message; // a part of the message that stops the click or the list
};

void PrintTo(const BadConfig &c, std::ostream *os)
{
    *os << c.name;
}

class BadConfigRun : public FaultFixture, public ::testing::WithParamInterface<BadConfig>
{
};

} // namespace

// A config.ini another hand edited: its odd values reach the run as they are and stop
// it with a message that shows them, before anything is written.
TEST_P(BadConfigRun, StopsWithTheValueAndWritesNothing)
{
    const BadConfig &c = GetParam();
    useService();
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(c.ini).replace("%SERVIDOR%", client->settings().Servidor.toUtf8()));
    }
    const IniFile ini(path);
    const StartupConfig config = readStartupConfig(ini);
    const ServiceSettings settings = readServiceSettings(ini);
    useOrigin(settings.Servidor, settings.TempoLimite);
    input.ibge = config.ibge;
    const Snapshot before = snapshot();

    const KindCase &issues = kindCases().at(2);
    QString message;
    try {
        ListSearch search;
        search.kind = issues.list;
        search.unidade = QStringLiteral("1");
        search.period = config.period;
        list.reset(newMovementList(issues.list, nullptr));
        fillMovementList(db, search, *list);
        const SendOutcome outcome = click(issues.kind);
        EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
        message = outcome.mensagem;
    } catch (const Error &error) {
        message = error.message();
    }
    EXPECT_TRUE(message.contains(c.message)) << message.toStdString();
    EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
    EXPECT_EQ(snapshot().protocolPriorities, before.protocolPriorities);
    expectConsistent(before);
}

INSTANTIATE_TEST_SUITE_P(
    Ini, BadConfigRun,
    ::testing::Values(BadConfig{"IbgeWithABlank",
                                "\xef\xbb\xbf[GERAL]\r\nIBGE=35 50308\r\n[TAVRO]\r\nServidor=%SERVIDOR%\r\n",
                                QStringLiteral("'35 5030' is not a valid integer value")},
                      BadConfig{"ImpossibleFirstDay",
                                "[GERAL]\nIBGE=3550308\n[TAVRO]\nServidor=%SERVIDOR%\nDataInicial=32/13/2019\n",
                                QStringLiteral("32/13/2019")},
                      BadConfig{"ServerWithoutScheme",
                                "[GERAL]\nIBGE=3550308\n[TAVRO]\nServidor=servidor da farm\xe1"
                                "cia\nTempoLimite=-5\n",
                                QStringLiteral("servidor da farmácia")},
                      BadConfig{"ServerOfAnotherScheme", "[GERAL]\nIBGE=3550308\n[TAVRO]\nServidor=ftp://127.0.0.1:1\n",
                                QStringLiteral("ftp")}),
    [](const ::testing::TestParamInfo<BadConfig> &info) { return std::string(info.param.name); });
