#include "TestDatabase.h"

#include "common/Error.h"
#include "db/CodePage.h"

#include <gtest/gtest.h>

using namespace tavro;

// Texts of a column without a character set: the code page's bytes, or the UTF-8 an earlier
// version of the program wrote; a byte the code page leaves undefined shows as U+FFFD.
TEST(CodePage, UndeclaredTextsReadInTheCodePageOrAsTheirUtf8)
{
    const struct
    {
        QByteArray bytes;
        CodePage codePage;
        QString text;
    } cases[] = {
        {"Inconsist\xEA"
         "ncia",
         CodePage::Win1252, QStringLiteral("Inconsistência")},
        {"Inconsist\xC3\xAA"
         "ncia",
         CodePage::Win1252, QStringLiteral("Inconsistência")},
        {"JO\xC3O PEREIRA", CodePage::Win1252, QStringLiteral("JOÃO PEREIRA")},
        {"NF N\xBA 448", CodePage::Win1252, QStringLiteral("NF Nº 448")},
        {"\x80 \x93x\x94", CodePage::Win1252, QStringLiteral("€ “x”")},
        {"A\x81"
         "B",
         CodePage::Win1252, QStringLiteral("A\uFFFDB")},
        {"\x80", CodePage::Latin1, QString(QChar(0x80))},
        {"JO\xC3O", CodePage::Utf8, QStringLiteral("JO\uFFFDO")},
        {"Ok", CodePage::Utf8, QStringLiteral("Ok")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(decodeUndeclaredText(c.bytes.constData(), c.bytes.size(), c.codePage), c.text);
    }
}

TEST(CodePage, WritesTheStationsBytesAndRefusesWhatTheCodePageLacks)
{
    EXPECT_EQ(encodeText(u"Inconsistência", CodePage::Win1252),
              QByteArray("Inconsist\xEA"
                         "ncia"));
    EXPECT_EQ(encodeText(u"€ Nº", CodePage::Win1252), QByteArray("\x80 N\xBA"));
    EXPECT_EQ(encodeText(u"Não enviado", CodePage::Latin1), QByteArray("N\xE3o enviado"));
    EXPECT_THROW(encodeText(u"Gödöllő", CodePage::Win1252), Error);
    EXPECT_THROW(encodeText(u"€", CodePage::Latin1), Error);
    for (const char *name : {"WIN1252", "win1252", "ISO8859_1", "UTF8"})
        EXPECT_TRUE(codePageNamed(QString::fromLatin1(name)).has_value()) << name;
    EXPECT_FALSE(codePageNamed(QStringLiteral("CP850")).has_value());
}
