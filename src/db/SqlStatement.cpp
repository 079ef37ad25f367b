#include "db/SqlStatement.h"

namespace tavro {

SqlStatement::SqlStatement(std::initializer_list<QString> lines)
    : m_lines(lines)
{
}

void SqlStatement::clear()
{
    m_lines.clear();
    m_params.clear();
}

void SqlStatement::add(const QString &line)
{
    m_lines.append(line);
}

void SqlStatement::setParam(const QString &name, const QVariant &value)
{
    m_params.insert(name.toLower(), value);
}

bool SqlStatement::hasParam(const QString &name) const
{
    return m_params.contains(name.toLower());
}

QVariant SqlStatement::param(const QString &name) const
{
    return m_params.value(name.toLower());
}

static bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

PositionalSql toPositional(const QString &text)
{
    PositionalSql out;
    out.sql.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copy a quoted text or identifier whole; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (text.at(j) == c) {
                    if (j + 1 < n && text.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.sql += QStringView(text).mid(i, qMin(j, n - 1) - i + 1);
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && text.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? n : end;
            out.sql += QStringView(text).mid(i, stop - i);
            i = stop - 1;
        } else if (c == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            out.sql += QStringView(text).mid(i, stop - i);
            i = stop - 1;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameChar(text.at(i + 1))) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(text.at(j)))
                ++j;
            out.names.append(text.mid(i + 1, j - i - 1).toLower());
            out.sql += QLatin1Char('?');
            i = j - 1;
        } else {
            out.sql += c;
        }
    }
    return out;
}

} // namespace tavro
