#pragma once

#include <QString>

#include <memory>
#include <unordered_map>

namespace tavro {

// The statements one connection has prepared, by text: a text met again, in the same
// transaction or a later one, reuses its prepared form, so a run of batches prepares each of
// its statements once. A prepared statement outlives its transaction, not its connection: the
// connection clears this cache before it detaches. `Prepared` frees what it holds when the
// last holder lets it go.
template <class Prepared>
class PreparedStatements
{
public:
    // The prepared form of `sql`; `prepare()` gives it (a std::unique_ptr<Prepared>) the first
    // time. A preparation that throws leaves nothing behind.
    template <class Prepare>
    std::shared_ptr<Prepared> get(const QString &sql, Prepare &&prepare)
    {
        auto found = m_bySql.find(sql);
        if (found == m_bySql.end())
            found = m_bySql.emplace(sql, std::shared_ptr<Prepared>(prepare())).first;
        return found->second;
    }

    void clear() { m_bySql.clear(); }

private:
    std::unordered_map<QString, std::shared_ptr<Prepared>> m_bySql;
};

} // namespace tavro
