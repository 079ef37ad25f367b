#pragma once

#include "db/Transaction.h"

#include <memory>

namespace tavro {

// A read-committed transaction on an open connection, started through the Firebird client
// itself because Qt's driver starts every transaction with the default wait for ever:
// a statement that meets a record another transaction holds waits at most the lock
// time-out (not at all when it is 0) and then fails with RecordLocked (common/Error.h); a
// duplicate key fails with DuplicateKey. Statements are prepared once per text.
class LockingTransaction : public Transaction
{
public:
    // `dbHandle` points at the connection's isc_db_handle.
    LockingTransaction(const void *dbHandle, int lockTimeoutSeconds);
    ~LockingTransaction() override;

    int execute(const QString &sql, const QVariantList &values) override;
    // Reads every row before it returns; a select "with lock" locks each row as it is read.
    SqlCursor select(const QString &sql, const QVariantList &values) override;
    void commit() override;
    void rollback() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace tavro
