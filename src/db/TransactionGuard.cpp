#include "db/TransactionGuard.h"

#include "db/Database.h"

#include <exception>

namespace tavro {

namespace {

void rollBackQuietly(Database &db)
{
    if (!db.inTransaction())
        return;
    try {
        db.rollback();
    } catch (const std::exception &) {
        // A connection too broken to roll back holds nothing a later commit could carry.
    }
}

} // namespace

TransactionGuard::~TransactionGuard()
{
    rollBackQuietly(m_db);
}

LockingWrites::LockingWrites(Database &db, int lockTimeoutSeconds)
    : m_db(db)
{
    m_db.startLockingTransaction(lockTimeoutSeconds);
}

LockingWrites::~LockingWrites()
{
    if (m_db.holdsWrites())
        rollBackQuietly(m_db);
}

void LockingWrites::commit()
{
    m_db.commit();
}

void LockingWrites::commitRetaining()
{
    m_db.commitRetaining();
}

ReadSnapshot::ReadSnapshot(Database &db)
    : m_db(db)
{
    m_db.restartTransaction();
}

ReadSnapshot::~ReadSnapshot()
{
    rollBackQuietly(m_db);
}

} // namespace tavro
