#include "session/AppConfig.h"
#include "session/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

QString write(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QByteArray read(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(IniFile, NamesMatchWithoutCaseAcrossCrlfAndComments)
{
    QTemporaryDir dir;
    const QString path = write(dir,
                               "; configuração da farmácia\r\n[geral]\r\n# base local\r\ndatabase = /dados/base.fdb\r\n"
                               "Ibge=35503081\r\ncnesFarmacia=2345678\r\n[Tavro]\r\ndatainicial=01/03/2019\r\n");
    const StartupConfig c = readStartupConfig(IniFile(path));
    EXPECT_EQ(c.database, QStringLiteral("/dados/base.fdb"));
    EXPECT_EQ(c.ibge, QStringLiteral("3550308")); // only the first seven characters
    EXPECT_EQ(c.cnesFarmacia, QStringLiteral("2345678"));
    EXPECT_EQ(c.period.dataInicial, QStringLiteral("01/03/2019"));
    EXPECT_EQ(c.period.dataFinal, QStringLiteral("31/01/2019"));
}

TEST(IniFile, MissingFileGivesEveryDefault)
{
    QTemporaryDir dir;
    const StartupConfig c = readStartupConfig(IniFile(dir.filePath(QStringLiteral("config.ini"))));
    EXPECT_TRUE(c.database.isEmpty());
    EXPECT_TRUE(c.ibge.isEmpty());
    EXPECT_EQ(c.period.dataInicial, QStringLiteral("01/01/2019"));
    EXPECT_EQ(c.period.dataFinal, QStringLiteral("31/01/2019"));
}

TEST(IniFile, WritesReachTheFileAtOnceAndKeepItsLayout)
{
    QTemporaryDir dir;
    const QString path = write(
        dir, "; comentário\r\n[GERAL]\r\nDATABASE=base.fdb\r\n\r\n[TAVRO]\r\nDataInicial=01/01/2019\r\n");
    IniFile kept(path); // held for the program's life, as the window holds config.ini
    gravaini(path, QStringLiteral("tavro"), QStringLiteral("datainicial"), QStringLiteral("05/02/2019"));
    gravaini(path, QStringLiteral("TAVRO"), QStringLiteral("DataFinal"), QStringLiteral("  /  /    "));
    kept.setValue(QStringLiteral("Geral"), QStringLiteral("CNESFARMACIA"), QStringLiteral("7654321"));
    EXPECT_EQ(kept.value(QStringLiteral("TAVRO"), QStringLiteral("DATAINICIAL")), QStringLiteral("05/02/2019"));
    EXPECT_EQ(read(path),
              QByteArray("; comentário\r\n[GERAL]\r\nDATABASE=base.fdb\r\nCNESFARMACIA=7654321\r\n\r\n"
                         "[TAVRO]\r\nDataInicial=05/02/2019\r\nDataFinal=  /  /    \r\n"));

    const QString fresh = dir.filePath(QStringLiteral("novo.ini"));
    gravaini(fresh, QStringLiteral("TAVRO"), QStringLiteral("DataFinal"), QStringLiteral("28/02/2019"));
    EXPECT_EQ(read(fresh), QByteArray("[TAVRO]\nDataFinal=28/02/2019\n"));
}
