#include "db/Database.h"

#include "common/Error.h"
#include "db/LockingTransaction.h"
#include "db/SnapshotTransaction.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>

namespace tavro {

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tavro-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The statement's text with "?" for its named parameters, and their values in that order.
struct BoundStatement
{
    QString sql;
    QVariantList values;
};

BoundStatement bound(const SqlStatement &statement)
{
    PositionalSql positional = toPositional(statement.text());
    BoundStatement result{std::move(positional.sql), {}};
    result.values.reserve(positional.names.size());
    for (const QString &name : std::as_const(positional.names)) {
        if (!statement.hasParam(name))
            throw Error(QStringLiteral("Parameter \"%1\" has no value").arg(name));
        result.values.append(statement.param(name));
    }
    return result;
}

} // namespace

Database::Database()
    : m_connectionName(nextConnectionName())
{
}

Database::~Database()
{
    m_transaction.reset();
    {
        QSqlDatabase db = connection();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::open(const QString &databaseName, const DatabaseLogin &login)
{
    m_transaction.reset();
    m_databaseName = databaseName;
    m_login = login;
    if (!QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), m_connectionName);
    QSqlDatabase db = connection();
    if (db.isOpen())
        db.close();
    db.setDatabaseName(databaseName);
    db.setUserName(login.userName);
    db.setPassword(login.password);
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    if (!db.open())
        throw Error(driverErrorText(db.lastError()));
}

bool Database::isOpen() const
{
    return connection().isOpen();
}

void Database::startTransaction()
{
    m_transaction = std::make_unique<SnapshotTransaction>(connection());
}

void Database::startLockingTransaction(int lockTimeoutSeconds)
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    commit();
    const QVariant handle = connection().driver()->handle();
    m_transaction = std::make_unique<LockingTransaction>(handle.constData(), lockTimeoutSeconds);
}

void Database::rollback()
{
    if (!m_transaction)
        return;
    const std::unique_ptr<Transaction> ending = std::move(m_transaction);
    ending->rollback();
}

void Database::commit()
{
    if (!m_transaction)
        return;
    m_transaction->commit();
    m_transaction.reset();
}

void Database::restartTransaction()
{
    rollback();
    startTransaction();
}

Transaction &Database::running()
{
    if (!m_transaction) {
        if (!isOpen())
            throw Error(QStringLiteral("Database not open"));
        startTransaction();
    }
    return *m_transaction;
}

SqlCursor Database::select(const SqlStatement &statement)
{
    Transaction &transaction = running();
    const BoundStatement b = bound(statement);
    return transaction.select(b.sql, b.values);
}

int Database::execute(const SqlStatement &statement)
{
    Transaction &transaction = running();
    const BoundStatement b = bound(statement);
    return transaction.execute(b.sql, b.values);
}

} // namespace tavro
