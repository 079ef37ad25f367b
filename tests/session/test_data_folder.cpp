#include "FileMode.h"
#include "TestDatabase.h" // PrintTo for QString

#include "common/Error.h"
#include "common/PrivateFile.h"
#include "session/DataFolder.h"
#include "session/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavro;
using tavro::test::modeOf;

namespace {

// Sets the process's umask for the life of the object.
struct Umask
{
    explicit Umask(mode_t mask)
        : previous(::umask(mask))
    {
    }
    ~Umask() { ::umask(previous); }
    mode_t previous;
};

} // namespace

// Whatever the umask, what the program makes in its data folder is its own and its group's.
TEST(PrivateFile, FilesAre0660AndFoldersAre2770WhateverTheUmask)
{
    for (const mode_t mask : {mode_t(0000), mode_t(0022), mode_t(0077)}) {
        SCOPED_TRACE(mask);
        QTemporaryDir dir;
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        const Umask umask(mask);

        const QString nested = dir.filePath(QStringLiteral("a/b/Tavro"));
        ASSERT_TRUE(makePrivateFolder(nested));
        for (const QString &made : {dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("a/b")), nested})
            EXPECT_EQ(modeOf(made), mode_t(02770)) << made.toStdString();
        EXPECT_EQ(modeOf(dir.path()), mode_t(0755)); // a folder that was there stays as it was

        QFile log(nested + QStringLiteral("/x_req.xml"));
        ASSERT_TRUE(openPrivate(log, QIODevice::WriteOnly | QIODevice::NewOnly));
        log.write("<x/>");
        log.close();
        EXPECT_EQ(modeOf(log.fileName()), mode_t(0660));

        const QString summary = nested + QStringLiteral("/resumo.json");
        ASSERT_TRUE(writePrivateFile(summary, "{}"));
        ASSERT_TRUE(writePrivateFile(summary, "{\"a\":1}"));
        EXPECT_EQ(modeOf(summary), mode_t(0660));
        QFile read(summary);
        ASSERT_TRUE(read.open(QIODevice::ReadOnly));
        EXPECT_EQ(read.readAll(), QByteArray("{\"a\":1}"));
        EXPECT_EQ(QDir(nested).entryList(QDir::Files).size(), 2); // no temporary file left

        // A file an older version left readable by all loses what others had, nothing more.
        const QString old = nested + QStringLiteral("/sincronizar.log");
        QFile(old).open(QIODevice::WriteOnly);
        ::chmod(QFile::encodeName(old).constData(), 0644);
        QFile append(old);
        ASSERT_TRUE(openPrivate(append, QIODevice::Append));
        EXPECT_EQ(modeOf(old), mode_t(0640));
    }
}

TEST(PrivateFile, AFolderThatCannotBeMadeSaysWhy)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("arquivo"))).open(QIODevice::WriteOnly);
    QString reason;
    EXPECT_FALSE(makePrivateFolder(dir.filePath(QStringLiteral("arquivo/dados")), &reason));
    EXPECT_EQ(reason, QStringLiteral("parte do caminho não é uma pasta"));
    EXPECT_FALSE(makePrivateFolder(dir.filePath(QStringLiteral("arquivo")), &reason));
    EXPECT_FALSE(writePrivateFile(dir.filePath(QStringLiteral("nada/resumo.json")), "{}", &reason));
    EXPECT_EQ(reason, QStringLiteral("não existe"));
}

TEST(DataFolder, PreparingMakesTheFolderAndItsLogFolderOrRefusesNamingIt)
{
    QTemporaryDir dir;
    const DataFolder made{dir.filePath(QStringLiteral("var/tavro")), DataFolder::Origin::Key};
    prepareDataFolder(made);
    EXPECT_EQ(modeOf(made.path), mode_t(02770));
    EXPECT_EQ(modeOf(made.logFolder()), mode_t(02770));

    QFile(dir.filePath(QStringLiteral("arquivo"))).open(QIODevice::WriteOnly);
    struct Case
    {
        const char *name;
        DataFolder folder;
        QString message;
    };
    const QString underFile = dir.filePath(QStringLiteral("arquivo/dados"));
    const Case cases[] = {
        {"under a file",
         {underFile, DataFolder::Origin::Key},
         QStringLiteral("Não foi possível usar a pasta de dados %1 (chave PastaDados): parte do caminho não é uma "
                        "pasta. Nada foi enviado.")
             .arg(underFile)},
        {"relative",
         {QStringLiteral("dados"), DataFolder::Origin::Key},
         QStringLiteral("Não foi possível usar a pasta de dados dados (chave PastaDados): informe o caminho completo. "
                        "Nada foi enviado.")},
        {"its log folder is a file",
         {dir.path(), DataFolder::Origin::Personal},
         QStringLiteral("Não foi possível usar a pasta de dados %1/Tavro (pessoal): parte do caminho não é uma pasta. "
                        "Nada foi enviado.")
             .arg(dir.path())},
    };
    QFile(dir.filePath(QStringLiteral("Tavro"))).open(QIODevice::WriteOnly);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            prepareDataFolder(c.folder);
            ADD_FAILURE() << "accepted";
        } catch (const Error &error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
}

TEST(DataFolder, WarnsOnceOfAFolderOthersCanReadWithTheCommandThatClosesIt)
{
    struct Case
    {
        const char *name;
        DataFolder::Origin origin;
        mode_t folder, logs;
        const char *named; // "" for no warning
    };
    const Case cases[] = {
        {"closed", DataFolder::Origin::Shared, 02770, 02770, ""},
        {"open data folder", DataFolder::Origin::Personal, 0755, 0755, "."},
        {"open log folder", DataFolder::Origin::Key, 0770, 0705, "Tavro"},
        {"the program's own folder", DataFolder::Origin::BesideProgram, 0755, 0770, ""},
        {"logs beside the program", DataFolder::Origin::BesideProgram, 0755, 0751, "Tavro"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const DataFolder folder{dir.path(), c.origin};
        QDir().mkpath(folder.logFolder());
        ::chmod(QFile::encodeName(folder.path).constData(), c.folder);
        ::chmod(QFile::encodeName(folder.logFolder()).constData(), c.logs);
        const QString named = QDir::cleanPath(dir.filePath(QString::fromLatin1(c.named)));
        EXPECT_EQ(openFolderWarning(folder),
                  *c.named ? QStringLiteral("Aviso: outras contas podem ler a pasta de dados %1, que guarda dados de "
                                            "pacientes; corrija com: chmod -R o-rwx %1")
                                 .arg(named)
                           : QString());
    }
}

TEST(DataFolder, DiasRegistrosIsANumberOfDaysZeroKeepingEverything)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    const struct
    {
        const char *text;
        int days; // -1: refused
    } cases[] = {{nullptr, 0}, {"0", 0}, {" 30 ", 30}, {"trinta", -1}, {"-5", -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(absent)");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text ? QByteArray("[TAVRO]\nDiasRegistros=") + c.text + '\n' : QByteArray("[TAVRO]\n"));
        file.close();
        if (c.days >= 0) {
            EXPECT_EQ(logRetentionDays(IniFile(path)), c.days);
        } else {
            EXPECT_THROW(logRetentionDays(IniFile(path)), Error);
        }
    }
}
