#include "db/SqlCursor.h"

#include "common/Error.h"
#include "db/ClientStatement.h"
#include "db/DateText.h"

#include <QDateTime>

namespace tavro {

SqlCursor::SqlCursor(std::shared_ptr<ClientStatement> statement)
    : m_statement(std::move(statement))
{
}

SqlCursor::SqlCursor(std::shared_ptr<const FetchedRows> rows)
    : m_rows(std::move(rows))
{
}

bool SqlCursor::next()
{
    if (!m_rows)
        return m_statement->fetch();
    if (m_row >= m_rows->rows.size())
        return false;
    ++m_row;
    return true;
}

QVariant SqlCursor::value(int index) const
{
    if (!m_rows)
        return m_statement->value(index);
    return m_row > 0 ? m_rows->rows[m_row - 1].value(index) : QVariant();
}

int SqlCursor::indexOf(const QString &column) const
{
    int index = -1;
    if (m_rows) {
        index = int(m_rows->columns.indexOf(column.toUpper()));
    } else {
        for (int i = 0; i < m_statement->columnCount() && index < 0; ++i) {
            if (m_statement->columnName(i).compare(column, Qt::CaseInsensitive) == 0)
                index = i;
        }
    }
    if (index < 0)
        throw Error(QStringLiteral("Field '%1' not found").arg(column));
    return index;
}

QVariant SqlCursor::value(const QString &column) const
{
    return value(indexOf(column));
}

QString SqlCursor::text(int index) const
{
    return fieldText(value(index));
}

QString SqlCursor::text(const QString &column) const
{
    return fieldText(value(column));
}

void SqlCursor::close()
{
    if (m_statement)
        m_statement->close();
}

QString fieldText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return dateToText(value.toDate());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float: {
        // Decimal comma, as the pharmacy's Brazilian desktop shows numbers.
        QString text = QString::number(value.toDouble(), 'g', 15);
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    default:
        return value.toString();
    }
}

} // namespace tavro
