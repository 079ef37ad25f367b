#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace tavro {

// The code page of text a database stores without a character set (NONE): the bytes the
// product's Windows stations wrote, which every program on those machines reads as they are.
enum class CodePage {
    Win1252,
    Latin1,
    Utf8,
};

// The code page Firebird calls `name` (WIN1252, ISO8859_1, UTF8; case aside); none for another.
std::optional<CodePage> codePageNamed(const QString &name);
// Firebird's name of the code page, as config.ini writes it.
QString codePageName(CodePage codePage);

// The text of `bytes` in the code page. A byte the code page leaves undefined (WIN1252's 0x81,
// 0x8D, 0x8F, 0x90, 0x9D; a broken UTF-8 sequence) becomes U+FFFD.
QString decodeText(const char *bytes, qsizetype size, CodePage codePage);
// The bytes of `text` in the code page; throws Error naming the text when a character has no
// byte there.
QByteArray encodeText(QStringView text, CodePage codePage);

// Text the database keeps without a character set: its bytes in the code page, except a text
// that is well-formed UTF-8 with characters beyond ASCII, which is read as UTF-8. Such a text
// is what an earlier version of this program wrote into those columns ("Inconsistência" as
// UTF-8). A WIN1252 or ISO-8859-1 text of Portuguese words is hardly ever well-formed UTF-8:
// that needs each accented letter followed by a symbol of 0x80-0xBF ("ª", "º", "“"...),
// where names and statuses put a letter, a blank or a digit.
QString decodeUndeclaredText(const char *bytes, qsizetype size, CodePage codePage);

} // namespace tavro
