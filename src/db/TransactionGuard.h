#pragma once

namespace tavro {

class Database;

// Guards one operation's writes in the main transaction: when the guard's scope ends
// (by return or by exception) with work left uncommitted, that work is rolled back at
// once, so no later commit can carry the half-done writes of a failed operation.
// Commits made inside the scope stay; the guard never commits.
class TransactionGuard
{
public:
    explicit TransactionGuard(Database &db)
        : m_db(db)
    {
    }
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard &) = delete;
    TransactionGuard &operator=(const TransactionGuard &) = delete;

private:
    Database &m_db;
};

// The writes of one operation in a locking transaction (Database::startLockingTransaction,
// which the guard calls): when the guard's scope ends (by return or by exception) with
// writes not yet committed, they are rolled back at once. A transaction left without writes
// by commitRetaining() stays open, so the next guard of the same time-out goes on in it
// without a request to the server; whoever ends the whole work ends it.
class LockingWrites
{
public:
    LockingWrites(Database &db, int lockTimeoutSeconds);
    ~LockingWrites();
    LockingWrites(const LockingWrites &) = delete;
    LockingWrites &operator=(const LockingWrites &) = delete;

    // Commits the writes and ends the transaction.
    void commit();
    // Commits the writes and goes on in a new transaction like this one, in one request.
    void commitRetaining();

private:
    Database &m_db;
};

// One read on a fresh snapshot: whatever the main transaction held is rolled back, so the
// reads in the guard's scope see what is committed, and the transaction they ran in is rolled
// back when the scope ends (by return or by exception). Cursors declared after the guard end
// before it.
class ReadSnapshot
{
public:
    explicit ReadSnapshot(Database &db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

private:
    Database &m_db;
};

} // namespace tavro
