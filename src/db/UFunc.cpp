#include "db/UFunc.h"

#include "common/Error.h"
#include "db/DateText.h"

namespace tavro {

namespace {

// The value of a column of type code `type` (see InsereCampo), bound as a parameter: null
// for an empty number or date.
QVariant columnValue(const QString &value, const QString &type)
{
    if (type == QLatin1String("i"))
        return value.isEmpty() ? QVariant() : QVariant(QString::number(TextoParaReal(value, 0), 'g', 15));
    if (type == QLatin1String("s"))
        return value.isNull() ? QStringLiteral("") : value;
    if (type == QLatin1String("d"))
        return value.isEmpty() || value == QStringView(EmptyDateMask) ? QVariant() : QVariant(dateFromText(value));
    throw Error(QStringLiteral("Unknown column type code '%1'").arg(type));
}

} // namespace

void InsereCampo(SqlStatement &query, bool &separator, const QString &column, const QString &value, const QString &type)
{
    QStringList &lines = query.lines();
    Q_ASSERT(lines.size() >= 2);
    const QVariant bound = columnValue(value, type);
    QString &names = lines[lines.size() - 2];
    QString &values = lines[lines.size() - 1];
    if (separator) {
        names += QLatin1Char(',');
        values += QLatin1Char(',');
    }
    names += column;
    values += QStringLiteral(":p") + column;
    query.setParam(QStringLiteral("p") + column, bound);
    separator = true;
}

void AlteraCampo(SqlStatement &query, bool &separator, const QString &column, const QString &value, const QString &type)
{
    if (type == QLatin1String("d"))
        throw Error(QStringLiteral("Unknown column type code '%1'").arg(type));
    const QVariant bound = columnValue(value, type);
    query.add((separator ? QStringLiteral(",") : QString()) + column + QStringLiteral("=:p") + column);
    query.setParam(QStringLiteral("p") + column, bound);
    separator = true;
}

QString PegaCampo(const QString &text, int field, QChar separator)
{
    QString accumulator;
    for (const QChar c : text) {
        if (c != separator) {
            accumulator += c;
        } else if (field == 1) {
            return accumulator;
        } else {
            accumulator.clear();
            --field;
        }
    }
    return accumulator;
}

QString TrocaCaractere(const QString &text, QChar from, const QString &to)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == from)
            result += to;
        else
            result += c;
    }
    return result;
}

QString SoNumeros(QStringView text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    return digits;
}

QString NumeroComZeros(const QString &text, int width)
{
    const QString digits = SoNumeros(text);
    return QString(qMax<qsizetype>(0, width - digits.size()), QLatin1Char('0')) + digits;
}

QString IntComZeros(qint64 number, int width)
{
    const QString digits = QString::number(number);
    return QString(qMax<qsizetype>(0, width - digits.size()), QLatin1Char('0')) + digits;
}

bool EhNumero(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

qint64 integerValue(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

double decimalValue(const QString &text)
{
    QString normal = text.trimmed();
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = normal.toDouble(&ok);
    if (!ok)
        throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double TextoParaReal(const QString &text, double fallback)
{
    const QString trimmed = text.trimmed();
    return EhNumero(trimmed) ? trimmed.toDouble() : fallback;
}

QString StreamParaTexto(QIODevice &stream)
{
    if (stream.atEnd())
        stream.seek(0);
    return QString::fromLatin1(stream.readAll());
}

QString CarimboDataHora(const QDateTime &moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    const QChar sep = QLatin1Char('_');
    return IntComZeros(d.year(), 4) + sep + IntComZeros(d.month(), 2) + sep + IntComZeros(d.day(), 2) + sep
        + IntComZeros(t.hour(), 2) + sep + IntComZeros(t.minute(), 2) + sep + IntComZeros(t.second(), 2);
}

} // namespace tavro
