#include "db/Database.h"

#include "common/Error.h"
#include "db/ClientStatement.h"
#include "db/ClientTransaction.h"
#include "db/EngineFailure.h"

#include <ibase.h>

namespace tavro {

namespace {

// A parameter of the attach's parameter block: its tag, its length, its bytes.
void addParameter(QByteArray &dpb, char tag, QByteArray value)
{
    value.truncate(255);
    dpb.append(tag);
    dpb.append(static_cast<char>(value.size()));
    dpb.append(value);
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

// The client library answers SIGINT and SIGTERM by shutting down every attachment of the
// process, under a program that goes on running (and then fails with "invalid database
// handle"). The programs handle those signals themselves (InterruptSignals): they stop their
// work between two batches and close the database as on any end. The library asks before
// such a shutdown, and is told no.
int refuseShutdownBySignal(const int reason, const int, void *)
{
    return reason == fb_shutrsn_signal ? 1 : 0;
}

void keepAttachmentsOnSignals()
{
    static const bool registered = [] {
        ISC_STATUS_ARRAY status;
        return fb_shutdown_callback(status, refuseShutdownBySignal, fb_shut_confirmation, nullptr) == 0;
    }();
    (void)registered;
}

} // namespace

struct Database::Attachment
{
    isc_db_handle handle = 0;
    PreparedStatements<ClientStatement> prepared;

    ~Attachment() { detach(); }
    void detach()
    {
        prepared.clear();
        if (!handle)
            return;
        ISC_STATUS_ARRAY status;
        isc_detach_database(status, &handle);
        handle = 0;
    }
    // Attaches in the connection's character set `charset`.
    void attach(const QString &databaseName, const DatabaseLogin &login, const char *charset)
    {
        detach();
        keepAttachmentsOnSignals();
        QByteArray dpb(1, char(isc_dpb_version1));
        addParameter(dpb, isc_dpb_user_name, login.userName.toLocal8Bit());
        addParameter(dpb, isc_dpb_password, login.password.toLocal8Bit());
        addParameter(dpb, isc_dpb_lc_ctype, charset);
        const QByteArray name = databaseName.toLocal8Bit();
        ISC_STATUS_ARRAY status;
        if (isc_attach_database(status, 0, name.constData(), &handle, static_cast<short>(dpb.size()),
                                dpb.constData())) {
            handle = 0;
            // The engine's lines joined on one line, so the clerk's message keeps its first line
            // and the reason after it.
            const QString text = engineText(status, QStringLiteral(" - "));
            const QString reason = engineReason(status, databaseName, login.userName);
            throw Error(reason.isEmpty() ? text : reason + QLatin1Char('\n') + text);
        }
    }
};

Database::Database()
    : m_attachment(std::make_unique<Attachment>())
{
}

Database::~Database()
{
    m_transaction.reset();
}

void Database::open(const QString &databaseName, const DatabaseLogin &login)
{
    m_transaction.reset();
    m_databaseName = databaseName;
    m_login = login;
    m_encoding = TextEncoding{false, login.codePage};
    m_attachment->attach(databaseName, login, "UTF8");
    // A database without a character set is reached in NONE, so that the server converts no
    // text between its bytes and ours.
    QString charset;
    {
        SqlCursor cursor = selectRow(SqlStatement{QStringLiteral("select rdb$character_set_name from rdb$database")});
        if (cursor.next())
            charset = cursor.text(0).trimmed().toUpper();
    }
    rollback();
    if (charset.isEmpty() || charset == QLatin1String("NONE")) {
        m_encoding.undeclared = true;
        m_attachment->attach(databaseName, login, "NONE");
    }
}

bool Database::isOpen() const
{
    return m_attachment->handle != 0;
}

void Database::startTransaction()
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    m_lockTimeout.reset();
    m_holdsWrites = false;
    // A snapshot is a fresh look at the database, its definitions included: a statement
    // prepared before would not run a trigger another connection has added since.
    m_attachment->prepared.clear();
    m_transaction = ClientTransaction::snapshot(&m_attachment->handle, m_encoding, m_attachment->prepared);
}

void Database::startLockingTransaction(int lockTimeoutSeconds)
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    if (m_holdsWrites)
        throw Error(QStringLiteral("A locking transaction cannot start over writes not yet committed"));
    if (m_transaction && m_lockTimeout == lockTimeoutSeconds)
        return;
    rollback();
    m_transaction = ClientTransaction::locking(&m_attachment->handle, lockTimeoutSeconds, m_encoding,
                                               m_attachment->prepared);
    m_lockTimeout = lockTimeoutSeconds;
}

void Database::rollback()
{
    m_holdsWrites = false;
    m_lockTimeout.reset();
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
    m_holdsWrites = false;
    m_lockTimeout.reset();
}

void Database::commitRetaining()
{
    if (!m_transaction)
        return;
    m_transaction->commitRetaining();
    m_holdsWrites = false;
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

SqlCursor Database::selectRow(const SqlStatement &statement)
{
    Transaction &transaction = running();
    m_holdsWrites = m_holdsWrites || m_lockTimeout.has_value();
    const BoundStatement b = bound(statement);
    return transaction.selectRow(b.sql, b.values);
}

int Database::execute(const SqlStatement &statement)
{
    Transaction &transaction = running();
    m_holdsWrites = true;
    const BoundStatement b = bound(statement);
    return transaction.execute(b.sql, b.values);
}

void Database::run(const SqlStatement &statement)
{
    Transaction &transaction = running();
    m_holdsWrites = true;
    const BoundStatement b = bound(statement);
    transaction.run(b.sql, b.values);
}

} // namespace tavro
