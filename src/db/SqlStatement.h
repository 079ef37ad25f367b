#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tavro {

// A statement under construction: its text as a list of lines, and its named
// parameters (":pcodigo"). Names are matched without regard to case, keep their
// values while lines are added, and one name may occur several times in the text,
// standing for the same value. Nothing here touches the database.
class SqlStatement
{
public:
    SqlStatement() = default;
    SqlStatement(std::initializer_list<QString> lines);

    // Empties the text and forgets every parameter.
    void clear();
    void add(const QString &line);

    QStringList &lines() { return m_lines; }
    const QStringList &lines() const { return m_lines; }
    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    // Sets a parameter by name, without the colon. A text value that reaches a
    // date or number column is converted when the statement runs.
    void setParam(const QString &name, const QVariant &value);
    bool hasParam(const QString &name) const;
    QVariant param(const QString &name) const;

private:
    QStringList m_lines;
    QHash<QString, QVariant> m_params; // keys in lower case
};

// The statement text with every named parameter replaced by "?", and the
// parameter names in the order they stand (lower case; repeats kept). Quoted
// texts, quoted identifiers and comments are left alone.
struct PositionalSql
{
    QString sql;
    QStringList names;
};
PositionalSql toPositional(const QString &text);

} // namespace tavro
