#include "db/CodePage.h"

#include "common/Error.h"

#include <array>

namespace tavro {

namespace {

// WIN1252's characters of the bytes 0x80 to 0x9F, where it differs from ISO-8859-1; 0xFFFD
// where it defines none.
constexpr std::array<char16_t, 32> Win1252High{0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                               0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

bool isAscii(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

QString decodeWin1252(const char *bytes, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? Win1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

// The WIN1252 byte of a character, or 0 when it has none.
char win1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (size_t i = 0; i < Win1252High.size(); ++i) {
        if (Win1252High[i] == c && c != 0xFFFD)
            return static_cast<char>(0x80 + i);
    }
    return 0;
}

[[noreturn]] void notRepresentable(QStringView text, CodePage codePage)
{
    throw Error(QStringLiteral("O texto \"%1\" tem caracteres que a página de código %2 do banco não representa.")
                    .arg(text.toString(), codePageName(codePage)));
}

// Is every byte beyond ASCII part of a UTF-8 sequence of two to four bytes?
bool wellFormedUtf8(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80    ? 1
            : lead >= 0xC2 && lead < 0xE0 ? 2
            : lead >= 0xE0 && lead < 0xF0 ? 3
            : lead >= 0xF0 && lead < 0xF5 ? 4
                                          : 0;
        if (length == 0 || i + length > size)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

} // namespace

std::optional<CodePage> codePageNamed(const QString &name)
{
    const QString upper = name.trimmed().toUpper();
    if (upper == QLatin1String("WIN1252"))
        return CodePage::Win1252;
    if (upper == QLatin1String("ISO8859_1"))
        return CodePage::Latin1;
    if (upper == QLatin1String("UTF8"))
        return CodePage::Utf8;
    return std::nullopt;
}

QString codePageName(CodePage codePage)
{
    switch (codePage) {
    case CodePage::Win1252:
        return QStringLiteral("WIN1252");
    case CodePage::Latin1:
        return QStringLiteral("ISO8859_1");
    case CodePage::Utf8:
        break;
    }
    return QStringLiteral("UTF8");
}

QString decodeText(const char *bytes, qsizetype size, CodePage codePage)
{
    switch (codePage) {
    case CodePage::Win1252:
        return decodeWin1252(bytes, size);
    case CodePage::Latin1:
        return QString::fromLatin1(bytes, size);
    case CodePage::Utf8:
        break;
    }
    return QString::fromUtf8(bytes, size);
}

QByteArray encodeText(QStringView text, CodePage codePage)
{
    switch (codePage) {
    case CodePage::Win1252: {
        QByteArray bytes(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            const char b = win1252Byte(c);
            if (b == 0 && c != 0)
                notRepresentable(text, codePage);
            bytes[i] = b;
        }
        return bytes;
    }
    case CodePage::Latin1:
        for (const QChar c : text) {
            if (c.unicode() > 0xFF)
                notRepresentable(text, codePage);
        }
        return text.toLatin1();
    case CodePage::Utf8:
        break;
    }
    return text.toUtf8();
}

QString decodeUndeclaredText(const char *bytes, qsizetype size, CodePage codePage)
{
    if (isAscii(bytes, size))
        return QString::fromLatin1(bytes, size);
    if (codePage != CodePage::Utf8 && wellFormedUtf8(bytes, size))
        return QString::fromUtf8(bytes, size);
    return decodeText(bytes, size, codePage);
}

} // namespace tavro
