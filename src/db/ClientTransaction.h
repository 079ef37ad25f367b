#pragma once

#include "db/PreparedStatements.h"
#include "db/TextEncoding.h"
#include "db/Transaction.h"

#include <ibase.h>

#include <memory>

namespace tavro {

class ClientStatement;

// A transaction on an open connection, started and run through the Firebird client itself,
// so that every text is read and bound by what the server says of its column or parameter
// (db/TextEncoding.h). Its statements are prepared once per text and connection, in the
// connection's `prepared`, and reused by the transactions after it (db/Database.h says how long).
class ClientTransaction : public Transaction
{
public:
    // The transaction a statement starts when none is active: every statement sees the
    // database as it was when the transaction began, and one that meets a record another
    // transaction holds waits for that transaction to end. Its selects stream from the server
    // as the cursor reads them; a text whose prepared form a cursor still reads is prepared
    // afresh, so two cursors of one text read their own rows.
    static std::unique_ptr<ClientTransaction> snapshot(const void *dbHandle, const TextEncoding &encoding,
                                                       PreparedStatements<ClientStatement> &prepared);
    // A read-committed transaction, since a snapshot starts with the default wait for ever:
    // a statement that meets a record another transaction holds waits at most the lock
    // time-out (not at all when it is 0) and then fails with RecordLocked (common/Error.h); a
    // duplicate key fails with DuplicateKey. Its selects read every row before they return; a
    // select "with lock" locks each row as it is read.
    static std::unique_ptr<ClientTransaction> locking(const void *dbHandle, int lockTimeoutSeconds,
                                                      const TextEncoding &encoding,
                                                      PreparedStatements<ClientStatement> &prepared);
    ~ClientTransaction() override;

    int execute(const QString &sql, const QVariantList &values) override;
    void run(const QString &sql, const QVariantList &values) override;
    SqlCursor select(const QString &sql, const QVariantList &values) override;
    SqlCursor selectRow(const QString &sql, const QVariantList &values) override;
    void commit() override;
    void commitRetaining() override;
    void rollback() override;

private:
    // `dbHandle` points at the connection's isc_db_handle; `tpb` is the parameter block the
    // transaction starts with (empty: the client's default).
    ClientTransaction(const void *dbHandle, const std::vector<char> &tpb, bool readsWhole, const TextEncoding &encoding,
                      PreparedStatements<ClientStatement> &prepared);
    // The prepared form of `sql` that no cursor reads now.
    std::shared_ptr<ClientStatement> prepared(const QString &sql);

    isc_db_handle m_db = 0;
    isc_tr_handle m_tr = 0;
    bool m_readsWhole;
    TextEncoding m_encoding;
    PreparedStatements<ClientStatement> &m_prepared;
};

} // namespace tavro
