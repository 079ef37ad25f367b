#pragma once

#include "common/Error.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace tavro {

// The rows of a select read whole, with their column names (upper case, as the server
// gives them).
struct FetchedRows
{
    QStringList columns;
    std::vector<QVariantList> rows;
};

// A read-committed transaction on an open connection, started through the Firebird client
// itself because Qt's driver starts every transaction with the default wait for ever:
// a statement that meets a record another transaction holds waits at most the lock
// time-out (not at all when it is 0) and then fails with RecordLocked. Statements are prepared once per text for
// the life of the transaction. Destroying an active transaction rolls it back.
class LockingTransaction
{
public:
    // `dbHandle` points at the connection's isc_db_handle.
    LockingTransaction(const void *dbHandle, int lockTimeoutSeconds);
    ~LockingTransaction();
    LockingTransaction(const LockingTransaction &) = delete;
    LockingTransaction &operator=(const LockingTransaction &) = delete;

    // `sql` with "?" parameters; `values` in their order, texts converted to what each
    // parameter meets. Returns the rows changed.
    int execute(const QString &sql, const QVariantList &values);
    // Every row of a select; a select "with lock" locks each row as it is read.
    std::shared_ptr<const FetchedRows> select(const QString &sql, const QVariantList &values);

    void commit();
    void rollback();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace tavro
