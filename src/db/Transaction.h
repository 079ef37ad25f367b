#pragma once

#include "db/SqlCursor.h"

#include <QString>
#include <QVariantList>

namespace tavro {

// The statements of one running transaction of the connection. `sql` holds "?" parameters and
// `values` their values in order; a text value that reaches a date or number parameter is
// converted to what the parameter meets (db/ParamConversion.h). Every failure throws Error with
// the database's own message (RecordLocked and DuplicateKey where a transaction tells them
// apart). The transaction ends by commit or rollback, after which it runs nothing more;
// destroying it before that rolls it back.
class Transaction
{
public:
    Transaction() = default;
    virtual ~Transaction() = default;
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Runs a statement that returns no rows; the number of rows it changed.
    virtual int execute(const QString &sql, const QVariantList &values) = 0;
    // The same, without asking the server how many rows it changed: one request less.
    virtual void run(const QString &sql, const QVariantList &values) = 0;
    // Runs a statement that returns rows; a cursor before its first row.
    virtual SqlCursor select(const QString &sql, const QVariantList &values) = 0;
    // Runs a statement that returns exactly one row; a cursor before it.
    virtual SqlCursor selectRow(const QString &sql, const QVariantList &values) = 0;

    virtual void commit() = 0;
    // Commits, and goes on as a new transaction like this one, in one request to the server.
    virtual void commitRetaining() = 0;
    virtual void rollback() = 0;
};

} // namespace tavro
