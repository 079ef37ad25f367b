#pragma once

#include "db/SqlStatement.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <unordered_map>

namespace tavro {

class LockingTransaction;
class SqlCursor;
struct FetchedRows;

// The Firebird account the connection logs in with.
struct DatabaseLogin
{
    QString userName;
    QString password;
};

// The one connection to the health-management product's Firebird database and its
// main transaction. A plain file path opens the file with the embedded engine;
// "host:path" or "host/port:path" reaches a Firebird server. Every statement runs
// in the main transaction, which a statement starts when none is active; the
// transaction ends only by an explicit commit or rollback.
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

    bool inTransaction() const { return m_inTransaction; }
    void startTransaction();
    // Starts the main transaction as a read-committed one in which a statement that meets a
    // record another transaction holds waits at most `lockTimeoutSeconds` (0: not at all),
    // then throws RecordLocked (common/Error.h); Qt's driver would wait for that transaction
    // to end. It ends by commit or rollback like any main transaction. A main transaction
    // that is active is committed first.
    void startLockingTransaction(int lockTimeoutSeconds);
    // Ends the main transaction without committing; nothing happens when none is active.
    void rollback();
    void commit();
    // Rolls back whatever is active and starts afresh, so the next read sees what is committed.
    void restartTransaction();

    // Runs a statement that returns rows and gives a cursor before its first row.
    SqlCursor select(const SqlStatement &statement);
    // Runs a statement that returns no rows; the number of rows it changed. A statement
    // text met again in the same transaction reuses its prepared form, so a batch of
    // record marks costs one preparation.
    int execute(const SqlStatement &statement);

    QSqlDatabase connection() const { return QSqlDatabase::database(m_connectionName, false); }

private:
    struct Prepared;
    // Prepares `text` (with named parameters) or, with `reuse`, takes its prepared form
    // from this transaction's cache.
    Prepared &prepared(const QString &text, bool reuse, Prepared &fresh);
    QSqlQuery run(const SqlStatement &statement, bool reuse);
    void forgetPrepared();

    QString m_connectionName;
    QString m_databaseName;
    DatabaseLogin m_login;
    bool m_inTransaction = false;
    // The active main transaction when it was started with a lock time-out.
    std::unique_ptr<LockingTransaction> m_locking;
    // Prepared statements of the running transaction, by text; a prepared statement
    // does not outlive the transaction it was prepared in.
    std::unordered_map<QString, std::unique_ptr<Prepared>> m_prepared;
};

// Rows of a select, read forward only. Values come back as the lists show them.
class SqlCursor
{
public:
    explicit SqlCursor(QSqlQuery query);
    explicit SqlCursor(std::shared_ptr<const FetchedRows> rows);

    bool next();
    int indexOf(const QString &column) const;
    QVariant value(int index) const;
    QVariant value(const QString &column) const;
    // The value as text: dates day/month/year, numbers in decimal form, null empty.
    QString text(int index) const;
    QString text(const QString &column) const;
    void close() { m_query.finish(); }

private:
    QSqlQuery m_query;
    std::shared_ptr<const FetchedRows> m_rows; // rows read whole, instead of the query
    size_t m_row = 0;                          // with m_rows: the current row + 1
};

// How a column value reads as text in the lists and the statements built from them.
QString fieldText(const QVariant &value);

} // namespace tavro
