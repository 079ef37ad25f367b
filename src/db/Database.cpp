#include "db/Database.h"

#include "common/Error.h"
#include "db/ClientTransaction.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>

namespace tavro {

namespace {

// How an error of Qt's driver reads: the database's own text when it gives one.
QString driverErrorText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// Opens `db` with the connection's character set `charset`.
void openWith(QSqlDatabase &db, const QString &charset)
{
    if (db.isOpen())
        db.close();
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=") + charset);
    if (!db.open())
        throw Error(driverErrorText(db.lastError()));
}

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
    m_encoding = TextEncoding{false, login.codePage};
    QSqlDatabase db = connection();
    db.setDatabaseName(databaseName);
    db.setUserName(login.userName);
    db.setPassword(login.password);
    openWith(db, QStringLiteral("UTF8"));
    // A database without a character set is reached in NONE, so that the server converts no
    // text between its bytes and ours.
    QString charset;
    {
        SqlCursor cursor = select(SqlStatement{QStringLiteral("select rdb$character_set_name from rdb$database")});
        if (cursor.next())
            charset = cursor.text(0).trimmed().toUpper();
    }
    rollback();
    if (charset.isEmpty() || charset == QLatin1String("NONE")) {
        m_encoding.undeclared = true;
        openWith(db, QStringLiteral("NONE"));
    }
}

bool Database::isOpen() const
{
    return connection().isOpen();
}

void Database::startTransaction()
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    m_transaction = ClientTransaction::snapshot(connection().driver()->handle().constData(), m_encoding);
}

void Database::startLockingTransaction(int lockTimeoutSeconds)
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    commit();
    const QVariant handle = connection().driver()->handle();
    m_transaction = ClientTransaction::locking(handle.constData(), lockTimeoutSeconds, m_encoding);
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
