#pragma once

#include "db/SqlCursor.h"
#include "db/SqlStatement.h"
#include "db/TextEncoding.h"

#include <QString>

#include <memory>
#include <optional>

namespace tavro {

class Transaction;

// The Firebird account the connection logs in with, and the code page of the texts a
// database keeps without a character set.
struct DatabaseLogin
{
    QString userName;
    QString password;
    CodePage codePage = CodePage::Win1252;
};

// The one connection to the health-management product's Firebird database and its
// main transaction. A plain file path opens the file with the embedded engine;
// "host:path" or "host/port:path" reaches a Firebird server. Every statement runs
// in the main transaction, which a statement starts when none is active; the
// transaction ends only by an explicit commit or rollback. Texts are read and written as the
// database keeps them: a database created without a character set holds the code page's
// bytes, which go both ways unchanged (db/TextEncoding.h), so callers deal in texts alone.
class Database
{
public:
    // The credentials of the connection when the site names no other account.
    static constexpr const char *UserName = "sysdba";
    static constexpr const char *Password = "plumtrove";
    static DatabaseLogin defaultLogin() { return {QString::fromLatin1(UserName), QString::fromLatin1(Password)}; }

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the connection; throws Error with the database's own message.
    void open(const QString &databaseName, const DatabaseLogin &login = defaultLogin());
    bool isOpen() const;
    QString databaseName() const { return m_databaseName; }
    DatabaseLogin login() const { return m_login; }
    // How the open connection's texts travel: the database's character set decides.
    TextEncoding textEncoding() const { return m_encoding; }

    bool inTransaction() const { return m_transaction != nullptr; }
    // Starts the main transaction as a snapshot. The statements prepared before it are
    // prepared again: locking transactions one after another (a send's) reuse them.
    void startTransaction();
    // Starts the main transaction as a read-committed one in which a statement that meets a
    // record another transaction holds waits at most `lockTimeoutSeconds` (0: not at all),
    // then throws RecordLocked (common/Error.h); the main transaction a statement starts would
    // wait for that transaction to end. It ends by commit or rollback like any main
    // transaction. A main transaction that holds writes not yet committed is not ended
    // behind its owner's back: the start is refused. One without such writes is ended, but a
    // locking one of the same time-out simply goes on, which spares the server a request.
    void startLockingTransaction(int lockTimeoutSeconds);
    // Does the main transaction hold statements' work not yet committed (in a locking
    // transaction every statement counts: its selects lock what they read)?
    bool holdsWrites() const { return m_holdsWrites; }
    // Ends the main transaction without committing; nothing happens when none is active.
    void rollback();
    void commit();
    // Commits the main transaction's work and goes on in a new transaction like it, in one
    // request to the server.
    void commitRetaining();
    // Rolls back whatever is active and starts afresh, so the next read sees what is committed.
    void restartTransaction();

    // Runs a statement that returns rows and gives a cursor before its first row.
    SqlCursor select(const SqlStatement &statement);
    // Runs a select that gives exactly one row (a count, say, or an update's RETURNING, whose
    // values are null when it changed no row) and gives a cursor before it: the
    // row comes back with the execution, one round trip less on a server across the network.
    // None, or more than one, fails.
    SqlCursor selectRow(const SqlStatement &statement);
    // Runs a statement that returns no rows; the number of rows it changed. A statement
    // text met again on the connection reuses its prepared form, so a run of batches
    // prepares each of its statements once.
    int execute(const SqlStatement &statement);
    // The same, without asking the server how many rows it changed: one round trip less on a
    // server across the network.
    void run(const SqlStatement &statement);

private:
    // The main transaction, started when none is active.
    Transaction &running();

    // The client's attachment, opened by the client itself: the connection's character set
    // is the database's to decide.
    struct Attachment;
    std::unique_ptr<Attachment> m_attachment;
    QString m_databaseName;
    DatabaseLogin m_login;
    TextEncoding m_encoding;
    // The main transaction while one is active: a snapshot, or a locking one.
    std::unique_ptr<Transaction> m_transaction;
    // The lock time-out of the main transaction when it is a locking one.
    std::optional<int> m_lockTimeout;
    bool m_holdsWrites = false;
};

} // namespace tavro
