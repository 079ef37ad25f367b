#include "db/TransactionGuard.h"

#include "db/Database.h"

#include <exception>

namespace tavro {

TransactionGuard::~TransactionGuard()
{
    if (!m_db.inTransaction())
        return;
    try {
        m_db.rollback();
    } catch (const std::exception &) {
        // A connection too broken to roll back holds nothing a later commit could carry.
    }
}

} // namespace tavro
