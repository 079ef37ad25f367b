#include "TestDatabase.h" // PrintTo for QString

#include "session/ConfigPlaces.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// A program folder, a system file, a user's file and a file named on the command line,
// each with a DATABASE of its own; only the system file has an IBGE.
class Places : public ::testing::Test
{
protected:
    Places()
    {
        roots.programFolder = dir.filePath(QStringLiteral("programa"));
        roots.systemConfig = dir.filePath(QStringLiteral("etc/tavro/config.ini"));
        roots.userConfig = dir.filePath(QStringLiteral("home/.config/tavro/config.ini"));
        roots.userData = dir.filePath(QStringLiteral("home/.local/share/tavro"));
        QDir().mkpath(roots.programFolder);
    }
    QString beside() const { return roots.programFolder + QStringLiteral("/config.ini"); }
    QString option() const { return dir.filePath(QStringLiteral("outro.ini")); }

    QTemporaryDir dir;
    PlaceRoots roots;
};

} // namespace

TEST_F(Places, BesideSystemUserAndCommandLine)
{
    struct Case
    {
        const char *name;
        bool beside, system, user, option;
        const char *database; // what DATABASE reads
        const char *ibge;
    };
    const Case cases[] = {
        {"nothing", false, false, false, false, "", ""},
        {"beside", true, false, false, false, "beside.fdb", ""},
        {"beside wins over system and user", true, true, true, false, "beside.fdb", ""},
        {"system", false, true, false, false, "system.fdb", "3550308"},
        {"user", false, false, true, false, "user.fdb", ""},
        {"both: user's keys win, system's fill in", false, true, true, false, "user.fdb", "3550308"},
        {"--config wins over all", true, true, true, true, "option.fdb", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &path : {beside(), roots.systemConfig, roots.userConfig, option()})
            QFile::remove(path);
        if (c.beside)
            writeFile(beside(), "[GERAL]\nDATABASE=beside.fdb\n");
        if (c.system)
            writeFile(roots.systemConfig, "; the site's settings\n[GERAL]\nDATABASE=system.fdb\nIBGE=3550308\n");
        if (c.user)
            writeFile(roots.userConfig, "[geral]\ndatabase=user.fdb\n");
        if (c.option)
            writeFile(option(), "[GERAL]\nDATABASE=option.fdb\n");
        const QByteArray systemBefore = readFile(roots.systemConfig);

        const ConfigPlaces places = findConfigPlaces(c.option ? option() : QString(), roots);
        IniFile ini = places.ini();
        EXPECT_EQ(ini.value(QStringLiteral("GERAL"), QStringLiteral("DATABASE")), QString::fromUtf8(c.database));
        EXPECT_EQ(ini.value(QStringLiteral("GERAL"), QStringLiteral("IBGE")), QString::fromUtf8(c.ibge));

        // The window's writes reach the one file it should write, creating its folder.
        const QString written = c.option ? option() : c.beside ? beside() : roots.userConfig;
        EXPECT_EQ(places.config, written);
        ini.setValue(QStringLiteral("TAVRO"), QStringLiteral("DataFinal"), QStringLiteral("15/01/2019"));
        EXPECT_EQ(IniFile(written).value(QStringLiteral("tavro"), QStringLiteral("datafinal")),
                  QStringLiteral("15/01/2019"));
        EXPECT_EQ(ini.value(QStringLiteral("GERAL"), QStringLiteral("DATABASE")), QString::fromUtf8(c.database));
        EXPECT_EQ(readFile(roots.systemConfig), systemBefore);
        if (!c.user && written != roots.userConfig) {
            EXPECT_FALSE(QFileInfo::exists(roots.userConfig));
        }
    }
}

// The data folder: the key, else beside a writable program, else the shared folder when this
// account may write it, else the user's own; a config.ini beside the program does not move it.
TEST_F(Places, DataFolderFromTheKeyThenBesideSharedAndPersonal)
{
    roots.sharedData = dir.filePath(QStringLiteral("var/lib/tavro"));
    const QString key = dir.filePath(QStringLiteral("dados"));
    struct Case
    {
        const char *name;
        bool key, programWritable, sharedWritable, besideConfig;
        QString path;
        DataFolder::Origin origin;
    };
    const Case cases[] = {
        {"key wins", true, true, true, false, key, DataFolder::Origin::Key},
        {"beside", false, true, true, false, roots.programFolder, DataFolder::Origin::BesideProgram},
        {"shared", false, false, true, false, roots.sharedData, DataFolder::Origin::Shared},
        {"personal", false, false, false, false, roots.userData, DataFolder::Origin::Personal},
        {"personal with config.ini beside", false, false, false, true, roots.userData, DataFolder::Origin::Personal},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(beside());
        QFile::remove(option());
        if (c.besideConfig)
            writeFile(beside(), "[GERAL]\n");
        writeFile(option(), c.key ? QStringLiteral("[tavro]\npastadados=%1/\n").arg(key).toUtf8() : "[TAVRO]\n");
        roots.programFolderWritable = c.programWritable;
        roots.sharedDataWritable = c.sharedWritable;
        const ConfigPlaces places = findConfigPlaces(c.besideConfig ? QString() : option(), roots);
        EXPECT_EQ(places.data.path, c.path);
        EXPECT_EQ(places.data.origin, c.origin);
        EXPECT_EQ(places.logFolder(), c.path + QStringLiteral("/Tavro"));
    }
}

TEST_F(Places, DescriptionNamesEveryFileAndMarksMissingOnes)
{
    writeFile(roots.systemConfig, "[GERAL]\n");
    const ConfigPlaces places = findConfigPlaces(QString(), roots);
    EXPECT_EQ(places.description(),
              (QStringList{QStringLiteral("Configuração lida de: ") + roots.systemConfig,
                           QStringLiteral("Configuração lida de: %1 (não existe)").arg(roots.userConfig),
                           QStringLiteral("Configuração gravada em: ") + roots.userConfig,
                           QStringLiteral("Pasta de dados: ") + roots.userData + QStringLiteral(" (pessoal)"),
                           QStringLiteral("Registros do serviço em: ") + roots.userData + QStringLiteral("/Tavro")}));
}

TEST(PlaceRoots, UserFilesFollowTheXdgFolders)
{
    QTemporaryDir dir;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("dados")).toUtf8());
    const PlaceRoots roots = PlaceRoots::ofThisProgram();
    EXPECT_EQ(roots.systemConfig, QStringLiteral("/etc/tavro/config.ini"));
    EXPECT_EQ(roots.userConfig, dir.filePath(QStringLiteral("cfg/tavro/config.ini")));
    EXPECT_EQ(roots.userData, dir.filePath(QStringLiteral("dados/tavro")));
    EXPECT_TRUE(roots.programFolderWritable); // the build folder
    configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
    dataHome.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", dataHome);
}
