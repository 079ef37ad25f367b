#pragma once

#include <QString>

#include <chrono>
#include <future>
#include <thread>

namespace tavro::test {

// Another workstation's transaction: its own connection, on a thread of its own, runs
// an update without committing, so it holds the rows it touched; after `hold` it
// commits or rolls back and lets a waiting writer go on. The constructor returns once
// the rows are held.
class RowHolder
{
public:
    enum class End { Commit, Rollback };

    RowHolder(const QString &database, const QString &update, std::chrono::milliseconds hold, End end);
    ~RowHolder();

    RowHolder(const RowHolder &) = delete;
    RowHolder &operator=(const RowHolder &) = delete;

    // Rows the update changed, or -1 when it failed.
    int heldRows() const { return m_heldRows; }

private:
    std::thread m_thread;
    int m_heldRows = -1;
};

} // namespace tavro::test
