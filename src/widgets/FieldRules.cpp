#include "widgets/FieldRules.h"

#include "db/DateText.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace tavro::fieldrules {

namespace {

const QLocale &brazil()
{
    static const QLocale locale = [] {
        QLocale l(QLocale::Portuguese, QLocale::Brazil);
        l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return l;
    }();
    return locale;
}

std::optional<int> number(const QString &part)
{
    const QString digits = part.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits)
        if (!c.isDigit())
            return std::nullopt;
    return digits.toInt();
}

// The digits of a masked number with the blanks before the check digits as zeros;
// empty when a position holds anything else.
QString completedDigits(const QString &masked, qsizetype count)
{
    QString digits;
    for (const QChar c : masked) {
        if (c.isDigit())
            digits += c;
        else if (c == QLatin1Char(' ') && digits.size() < count - 2)
            digits += QLatin1Char('0');
        else if (c == QLatin1Char(' '))
            return QString();
    }
    return digits.size() == count ? digits : QString();
}

int checkDigit(const QString &digits, std::initializer_list<int> weights)
{
    int sum = 0;
    qsizetype i = 0;
    for (const int w : weights)
        sum += digits.at(i++).digitValue() * w;
    const int d = 11 - sum % 11;
    return d >= 10 ? 0 : d;
}

// Rewrites the digit positions of the mask with `digits`, keeping its literals.
QString withDigits(const QString &masked, const QString &digits)
{
    QString out = masked;
    qsizetype next = 0;
    for (QChar &c : out)
        if (c.isDigit() || c == QLatin1Char(' '))
            c = digits.at(next++);
    return out;
}

} // namespace

std::optional<QString> normalisedDate(const QString &text)
{
    const auto date = readDate(text);
    if (!date)
        return std::nullopt;
    return dateToText(*date);
}

std::optional<QString> normalisedDateTime(const QString &text)
{
    const QString trimmed = text.trimmed();
    const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
    const auto date = readDate(space < 0 ? trimmed : trimmed.left(space));
    if (!date)
        return std::nullopt;
    QTime time(0, 0);
    const QString clock = space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
    if (!clock.isEmpty() && clock != QLatin1String(":")) {
        const QStringList parts = clock.split(QLatin1Char(':'));
        const auto hour = number(parts.at(0));
        const auto minute = parts.size() == 2 ? number(parts.at(1)) : std::optional<int>(0);
        if (parts.size() > 2 || !hour || !minute || !QTime::isValid(*hour, *minute, 0))
            return std::nullopt;
        time = QTime(*hour, *minute);
    }
    return date->toString(QStringLiteral("dd/MM/yyyy ")) + time.toString(QStringLiteral("hh:mm"));
}

std::optional<QString> normalisedDecimal(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = trimmed.isEmpty();
    const double value = ok ? 0 : brazil().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // At most 15 significant digits, as far as a double carries them exactly, and at
    // most 10 decimals: 1234567,1 must not come back as 1234567,1000000001.
    const int integerDigits = std::abs(value) < 1 ? 1 : int(std::floor(std::log10(std::abs(value)))) + 1;
    QString out = brazil().toString(value, 'f', std::clamp(15 - integerDigits, 2, 10));
    const qsizetype comma = out.indexOf(QLatin1Char(','));
    qsizetype end = out.size();
    while (end > comma + 3 && out.at(end - 1) == QLatin1Char('0'))
        --end;
    out.truncate(end);
    if (out == QLatin1String("-0,00"))
        out.remove(0, 1);
    return out;
}

bool isInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    bool ok = false;
    trimmed.toInt(&ok, 10);
    return ok;
}

std::optional<QString> completedCpf(const QString &masked)
{
    const QString d = completedDigits(masked, 11);
    if (d.isEmpty())
        return std::nullopt;
    const int first = checkDigit(d, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    const int second = checkDigit(d, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    if (d.at(9).digitValue() != first || d.at(10).digitValue() != second)
        return std::nullopt;
    return withDigits(masked, d);
}

std::optional<QString> completedCnpj(const QString &masked)
{
    const QString d = completedDigits(masked, 14);
    if (d.isEmpty())
        return std::nullopt;
    const int first = checkDigit(d, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    const int second = checkDigit(d, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    if (d.at(12).digitValue() != first || d.at(13).digitValue() != second)
        return std::nullopt;
    return withDigits(masked, d);
}

QString recapitalised(const QString &text)
{
    QString out = text;
    const QChar blank = QLatin1Char(' ');
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool startsWord = i > 0 && out.at(i - 1) == blank && i + 3 < out.size() && out.at(i + 1) != blank
            && out.at(i + 2) != blank && out.at(i + 3) != blank && !QStringView(out).mid(i, 3).startsWith(u"par");
        if (i == 0 || startsWord)
            out[i] = out.at(i).toUpper();
    }
    return out;
}

} // namespace tavro::fieldrules
