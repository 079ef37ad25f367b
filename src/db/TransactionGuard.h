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
