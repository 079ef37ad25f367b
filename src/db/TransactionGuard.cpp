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
