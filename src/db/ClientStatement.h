#pragma once

#include "db/ParamConversion.h"
#include "db/TextEncoding.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <ibase.h>

#include <vector>

namespace tavro {

// Throws the error a status vector of the Firebird client reports (RecordLocked and
// DuplicateKey where it tells them apart), when it reports one.
void checkStatus(const ISC_STATUS *status);

// One statement prepared through the Firebird client in a transaction, with room for its
// parameters and for one row. Texts are read and bound by what the server says of each
// column and parameter: one without a character set holds the code page's bytes, any other
// travels as UTF-8 and the server converts it (db/TextEncoding.h). The statement is dropped
// when destroyed; it may outlive its transaction, not its connection.
class ClientStatement
{
public:
    ClientStatement(isc_db_handle &db, isc_tr_handle &tr, const QString &sql, const TextEncoding &encoding);
    ~ClientStatement();
    ClientStatement(const ClientStatement &) = delete;
    ClientStatement &operator=(const ClientStatement &) = delete;

    // Binds `values` (a text reaching a date or number is converted, db/ParamConversion.h)
    // and runs the statement in `tr`; a select then stands before its first row.
    void execute(isc_tr_handle &tr, const QVariantList &values);
    // Binds `values` and runs a select that gives exactly one row, which it reads with the
    // execution, in one request to the server (more rows, or none, fail).
    void executeForRow(isc_tr_handle &tr, const QVariantList &values);
    // The rows the last execution changed.
    int changedRows();
    // Reads the next row; false after the last one, when the statement's cursor is closed.
    bool fetch();
    // Closes the cursor of a select before its last row.
    void close();
    // A select executed and not yet read to its end or closed.
    bool isOpen() const { return m_open; }

    int columnCount() const { return m_out->sqld; }
    // The column's name as the server gives it (upper case, or its alias).
    QString columnName(int index) const;
    // The value of the current row's column: text, a whole number, a double, a date, a
    // date and time, a boolean, or null.
    QVariant value(int index) const;

private:
    void bind(const QVariantList &values);

    isc_stmt_handle m_handle = 0;
    TextEncoding m_encoding;
    std::vector<char> m_inBuffer;
    std::vector<char> m_outBuffer;
    XSQLDA *m_in = nullptr;
    XSQLDA *m_out = nullptr;
    std::vector<ParamType> m_types;
    std::vector<short> m_paramCharsets;
    std::vector<std::vector<char>> m_outData;
    std::vector<short> m_outNull;
    // The bytes of the bound values, alive while the statement runs.
    std::vector<QByteArray> m_storage;
    std::vector<short> m_nulls;
    bool m_open = false;
    bool m_rowPending = false; // the row of executeForRow, not yet read by fetch()
};

} // namespace tavro
