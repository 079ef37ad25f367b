// The Firebird account of config.ini: its keys, their defaults and the password file's rules.
#include "TestDatabase.h"

#include "common/Error.h"
#include "session/DatabaseAccount.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tavro::DatabaseLogin;

TEST(DatabaseLogin, KeysOfGeralOverTheDefaultAccount)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("senha"));
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("do-arquivo\nsegunda linha\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    const struct
    {
        const char *keys;
        DatabaseLogin expected;
    } cases[] = {
        {"", {"sysdba", "plumtrove"}},
        {"UsuarioBanco=TAVRO\n", {"TAVRO", "plumtrove"}},
        {"usuariobanco=TAVRO\nSenhaBanco=da-chave\n", {"TAVRO", "da-chave"}},
        {"UsuarioBanco=TAVRO\nSenhaBanco=da-chave\nSenhaBancoArquivo=SECRET\n", {"TAVRO", "do-arquivo"}},
        {"CharsetBanco=iso8859_1\n", {"sysdba", "plumtrove", tavro::CodePage::Latin1}},
        {"CharsetBanco=UTF8\n", {"sysdba", "plumtrove", tavro::CodePage::Utf8}},
        {"CharsetBanco=\n", {"sysdba", "plumtrove", tavro::CodePage::Win1252}},
    };
    for (const auto &c : cases) {
        const QString ini = dir.filePath(QStringLiteral("config.ini"));
        QFile config(ini);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write(QByteArray("[GERAL]\n") + QByteArray(c.keys).replace("SECRET", secret.toUtf8()));
        config.close();
        const DatabaseLogin login = tavro::readDatabaseLogin(tavro::IniFile(ini));
        EXPECT_EQ(login.userName, c.expected.userName) << c.keys;
        EXPECT_EQ(login.password, c.expected.password) << c.keys;
        EXPECT_EQ(login.codePage, c.expected.codePage) << c.keys;
    }

    // A code page the program does not know stops the start instead of mangling texts.
    {
        const QString ini = dir.filePath(QStringLiteral("config.ini"));
        QFile config(ini);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write("[GERAL]\nCharsetBanco=CP850\n");
        config.close();
        EXPECT_THROW(tavro::readDatabaseLogin(tavro::IniFile(ini)), tavro::Error);
    }

    // A password file others may read is refused, as --senha-arquivo's is.
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QString ini = dir.filePath(QStringLiteral("config.ini"));
    QFile config(ini);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("[GERAL]\nSenhaBancoArquivo=" + secret.toUtf8() + "\n");
    config.close();
    try {
        tavro::readDatabaseLogin(tavro::IniFile(ini));
        ADD_FAILURE() << "a group-readable password file was accepted";
    } catch (const tavro::Error &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("chmod 600 ") + secret)) << error.message().toStdString();
    }
}

} // namespace
