#pragma once

#include <QString>

#include <memory>
#include <unordered_map>

namespace tavro {

// The statements one transaction has prepared, by text: a text met again in the same
// transaction reuses its prepared form, so a batch of record marks costs one preparation.
// A prepared statement does not outlive its transaction: the transaction owns this cache and
// clears it before it ends. `Prepared` frees what it holds when destroyed.
template <class Prepared>
class PreparedStatements
{
public:
    // The prepared form of `sql`; `prepare()` gives it (a std::unique_ptr<Prepared>) the first
    // time. A preparation that throws leaves nothing behind.
    template <class Prepare>
    Prepared &get(const QString &sql, Prepare &&prepare)
    {
        auto found = m_bySql.find(sql);
        if (found == m_bySql.end())
            found = m_bySql.emplace(sql, prepare()).first;
        return *found->second;
    }

    void clear() { m_bySql.clear(); }

private:
    std::unordered_map<QString, std::unique_ptr<Prepared>> m_bySql;
};

} // namespace tavro
