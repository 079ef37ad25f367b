#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace tavro {

class ClientStatement;

// The rows of a select read whole, with their column names (upper case, as the server
// gives them).
struct FetchedRows
{
    QStringList columns;
    std::vector<QVariantList> rows;
};

// Rows of a select, read forward only. Values come back as the lists show them.
class SqlCursor
{
public:
    // Streams the rows of an executed select as it is read; a value is decoded when asked for.
    explicit SqlCursor(std::shared_ptr<ClientStatement> statement);
    explicit SqlCursor(std::shared_ptr<const FetchedRows> rows);

    bool next();
    int indexOf(const QString &column) const;
    QVariant value(int index) const;
    QVariant value(const QString &column) const;
    // The value as text: dates day/month/year, numbers in decimal form, null empty.
    QString text(int index) const;
    QString text(const QString &column) const;
    void close();

private:
    std::shared_ptr<ClientStatement> m_statement;
    std::shared_ptr<const FetchedRows> m_rows; // rows read whole, instead of the statement
    size_t m_row = 0;                          // with m_rows: the current row + 1
};

// How a column value reads as text in the lists and the statements built from them.
QString fieldText(const QVariant &value);

} // namespace tavro
