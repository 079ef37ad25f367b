#include "db/ClientTransaction.h"

#include "db/ClientStatement.h"

#include <vector>

namespace tavro {

namespace {

// The rows of an executed statement, read to the end.
SqlCursor readWhole(ClientStatement &statement)
{
    auto rows = std::make_shared<FetchedRows>();
    for (int i = 0; i < statement.columnCount(); ++i)
        rows->columns.append(statement.columnName(i));
    // A failed fetch closes the statement's cursor before it throws.
    while (statement.fetch()) {
        QVariantList row;
        row.reserve(statement.columnCount());
        for (int i = 0; i < statement.columnCount(); ++i)
            row.append(statement.value(i));
        rows->rows.push_back(std::move(row));
    }
    return SqlCursor(std::move(rows));
}

} // namespace

std::unique_ptr<ClientTransaction> ClientTransaction::snapshot(const void *dbHandle, const TextEncoding &encoding,
                                                               PreparedStatements<ClientStatement> &prepared)
{
    return std::unique_ptr<ClientTransaction>(new ClientTransaction(dbHandle, {}, false, encoding, prepared));
}

std::unique_ptr<ClientTransaction> ClientTransaction::locking(const void *dbHandle, int lockTimeoutSeconds,
                                                              const TextEncoding &encoding,
                                                              PreparedStatements<ClientStatement> &prepared)
{
    std::vector<char> tpb{isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version};
    if (lockTimeoutSeconds <= 0) {
        tpb.push_back(isc_tpb_nowait);
    } else {
        const ISC_LONG timeout = lockTimeoutSeconds;
        for (const char item : {char(isc_tpb_wait), char(isc_tpb_lock_timeout), char(sizeof timeout)})
            tpb.push_back(item);
        // The time-out goes little-endian, as every number of a parameter block.
        for (size_t i = 0; i < sizeof timeout; ++i)
            tpb.push_back(static_cast<char>((timeout >> (8 * i)) & 0xff));
    }
    return std::unique_ptr<ClientTransaction>(new ClientTransaction(dbHandle, tpb, true, encoding, prepared));
}

ClientTransaction::ClientTransaction(const void *dbHandle, const std::vector<char> &tpb, bool readsWhole,
                                     const TextEncoding &encoding, PreparedStatements<ClientStatement> &prepared)
    : m_db(*static_cast<const isc_db_handle *>(dbHandle))
    , m_readsWhole(readsWhole)
    , m_encoding(encoding)
    , m_prepared(prepared)
{
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &m_tr, 1, &m_db, static_cast<unsigned short>(tpb.size()),
                          tpb.empty() ? nullptr : tpb.data());
    checkStatus(status);
}

ClientTransaction::~ClientTransaction()
{
    if (m_tr) {
        ISC_STATUS_ARRAY status;
        isc_rollback_transaction(status, &m_tr);
    }
}

std::shared_ptr<ClientStatement> ClientTransaction::prepared(const QString &sql)
{
    std::shared_ptr<ClientStatement> statement = m_prepared.get(
        sql, [&] { return std::make_unique<ClientStatement>(m_db, m_tr, sql, m_encoding); });
    if (!statement->isOpen())
        return statement;
    // Only the cache holds it: its cursor was left unread, by a cursor now gone.
    if (statement.use_count() == 2) {
        statement->close();
        return statement;
    }
    // A cursor still reads it.
    return std::make_shared<ClientStatement>(m_db, m_tr, sql, m_encoding);
}

int ClientTransaction::execute(const QString &sql, const QVariantList &values)
{
    const std::shared_ptr<ClientStatement> statement = prepared(sql);
    statement->execute(m_tr, values);
    return statement->changedRows();
}

void ClientTransaction::run(const QString &sql, const QVariantList &values)
{
    prepared(sql)->execute(m_tr, values);
}

SqlCursor ClientTransaction::select(const QString &sql, const QVariantList &values)
{
    const std::shared_ptr<ClientStatement> shared = prepared(sql);
    shared->execute(m_tr, values);
    if (!m_readsWhole)
        return SqlCursor(shared);
    return readWhole(*shared);
}

SqlCursor ClientTransaction::selectRow(const QString &sql, const QVariantList &values)
{
    const std::shared_ptr<ClientStatement> statement = prepared(sql);
    statement->executeForRow(m_tr, values);
    return readWhole(*statement);
}

void ClientTransaction::commit()
{
    ISC_STATUS_ARRAY status;
    isc_commit_transaction(status, &m_tr);
    checkStatus(status);
    m_tr = 0;
}

void ClientTransaction::commitRetaining()
{
    ISC_STATUS_ARRAY status;
    isc_commit_retaining(status, &m_tr);
    checkStatus(status);
}

void ClientTransaction::rollback()
{
    if (!m_tr)
        return;
    ISC_STATUS_ARRAY status;
    isc_rollback_transaction(status, &m_tr);
    m_tr = 0;
    checkStatus(status);
}

} // namespace tavro
