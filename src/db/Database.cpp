#include "db/Database.h"

#include "common/Error.h"
#include "db/DateText.h"
#include "db/LockingTransaction.h"
#include "db/ParamConversion.h"
#include "db/UFunc.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

#include <ibase.h>

#include <vector>

namespace tavro {

namespace {

QString errorText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// The declared type of each input parameter of a prepared statement, asked of the
// server. Firebird describes what a parameter meets (a DATE column, an INTEGER
// comparison), which lets a day/month/year or numeric text be converted here, with
// a clear error, instead of being misread as month/day or silently turned into 0.
std::vector<ParamType> describeParams(const QSqlQuery &query, int count)
{
    std::vector<ParamType> types(count);
    const QVariant handle = query.result()->handle();
    if (!handle.isValid() || count == 0)
        return types;
    isc_stmt_handle stmt = *static_cast<const isc_stmt_handle *>(handle.constData());
    std::vector<char> buffer(XSQLDA_LENGTH(count));
    auto *sqlda = reinterpret_cast<XSQLDA *>(buffer.data());
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = static_cast<short>(count);
    ISC_STATUS_ARRAY status;
    if (isc_dsql_describe_bind(status, &stmt, SQLDA_VERSION1, sqlda) || sqlda->sqld > count)
        return types;
    for (int i = 0; i < sqlda->sqld; ++i) {
        types[i].sqlType = static_cast<short>(sqlda->sqlvar[i].sqltype & ~1);
        types[i].scale = sqlda->sqlvar[i].sqlscale;
    }
    return types;
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tavro-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

Database::Database()
    : m_connectionName(nextConnectionName())
{
}

Database::~Database()
{
    forgetPrepared();
    m_locking.reset();
    {
        QSqlDatabase db = connection();
        if (db.isOpen()) {
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::open(const QString &databaseName, const DatabaseLogin &login)
{
    forgetPrepared();
    m_locking.reset();
    m_databaseName = databaseName;
    m_login = login;
    if (!QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), m_connectionName);
    QSqlDatabase db = connection();
    if (db.isOpen())
        db.close();
    m_inTransaction = false;
    db.setDatabaseName(databaseName);
    db.setUserName(login.userName);
    db.setPassword(login.password);
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    if (!db.open())
        throw Error(errorText(db.lastError()));
}

bool Database::isOpen() const
{
    return connection().isOpen();
}

void Database::startTransaction()
{
    forgetPrepared();
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw Error(errorText(db.lastError()));
    m_inTransaction = true;
}

void Database::startLockingTransaction(int lockTimeoutSeconds)
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    commit();
    const QVariant handle = connection().driver()->handle();
    m_locking = std::make_unique<LockingTransaction>(handle.constData(), lockTimeoutSeconds);
    m_inTransaction = true;
}

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (m_locking) {
        const std::unique_ptr<LockingTransaction> ending = std::move(m_locking);
        ending->rollback();
        return;
    }
    forgetPrepared();
    QSqlDatabase db = connection();
    if (!db.rollback())
        throw Error(errorText(db.lastError()));
}

void Database::commit()
{
    QSqlDatabase db = connection();
    if (!m_inTransaction)
        return;
    if (m_locking) {
        m_locking->commit();
        m_locking.reset();
        m_inTransaction = false;
        return;
    }
    forgetPrepared();
    if (!db.commit())
        throw Error(errorText(db.lastError()));
    m_inTransaction = false;
}

void Database::restartTransaction()
{
    rollback();
    startTransaction();
}

struct Database::Prepared
{
    QSqlQuery query;
    QStringList names;
    std::vector<ParamType> types;
};

Database::Prepared &Database::prepared(const QString &text, bool reuse, Prepared &fresh)
{
    if (reuse) {
        const auto found = m_prepared.find(text);
        if (found != m_prepared.end())
            return *found->second;
    }
    const PositionalSql positional = toPositional(text);
    fresh.query = QSqlQuery(connection());
    fresh.query.setForwardOnly(true);
    if (!fresh.query.prepare(positional.sql))
        throw Error(errorText(fresh.query.lastError()));
    fresh.names = positional.names;
    fresh.types = describeParams(fresh.query, int(positional.names.size()));
    if (!reuse)
        return fresh;
    return *m_prepared.emplace(text, std::make_unique<Prepared>(std::move(fresh))).first->second;
}

QSqlQuery Database::run(const SqlStatement &statement, bool reuse)
{
    if (!isOpen())
        throw Error(QStringLiteral("Database not open"));
    if (!m_inTransaction)
        startTransaction();
    Prepared fresh;
    Prepared &p = prepared(statement.text(), reuse, fresh);
    for (int i = 0; i < p.names.size(); ++i) {
        const QString &name = p.names.at(i);
        if (!statement.hasParam(name))
            throw Error(QStringLiteral("Parameter \"%1\" has no value").arg(name));
        p.query.bindValue(i, convertForParam(statement.param(name), p.types[size_t(i)]));
    }
    if (!p.query.exec())
        throw Error(errorText(p.query.lastError()));
    return p.query;
}

void Database::forgetPrepared()
{
    m_prepared.clear();
}

namespace {

QVariantList positionalValues(const SqlStatement &statement, const QStringList &names)
{
    QVariantList values;
    for (const QString &name : names) {
        if (!statement.hasParam(name))
            throw Error(QStringLiteral("Parameter \"%1\" has no value").arg(name));
        values.append(statement.param(name));
    }
    return values;
}

} // namespace

SqlCursor Database::select(const SqlStatement &statement)
{
    if (m_locking) {
        const PositionalSql positional = toPositional(statement.text());
        return SqlCursor(m_locking->select(positional.sql, positionalValues(statement, positional.names)));
    }
    return SqlCursor(run(statement, false));
}

int Database::execute(const SqlStatement &statement)
{
    if (m_locking) {
        const PositionalSql positional = toPositional(statement.text());
        return m_locking->execute(positional.sql, positionalValues(statement, positional.names));
    }
    return run(statement, true).numRowsAffected();
}

SqlCursor::SqlCursor(QSqlQuery query)
    : m_query(std::move(query))
{
}

SqlCursor::SqlCursor(std::shared_ptr<const FetchedRows> rows)
    : m_rows(std::move(rows))
{
}

bool SqlCursor::next()
{
    if (!m_rows)
        return m_query.next();
    if (m_row >= m_rows->rows.size())
        return false;
    ++m_row;
    return true;
}

QVariant SqlCursor::value(int index) const
{
    if (!m_rows)
        return m_query.value(index);
    return m_row > 0 ? m_rows->rows[m_row - 1].value(index) : QVariant();
}

int SqlCursor::indexOf(const QString &column) const
{
    const int index = m_rows ? int(m_rows->columns.indexOf(column.toUpper())) : m_query.record().indexOf(column);
    if (index < 0)
        throw Error(QStringLiteral("Field '%1' not found").arg(column));
    return index;
}

QVariant SqlCursor::value(const QString &column) const
{
    return value(indexOf(column));
}

QString SqlCursor::text(int index) const
{
    return fieldText(value(index));
}

QString SqlCursor::text(const QString &column) const
{
    return fieldText(value(column));
}

QString fieldText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return dateToText(value.toDate());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float: {
        // Decimal comma, as the pharmacy's Brazilian desktop shows numbers.
        QString text = QString::number(value.toDouble(), 'g', 15);
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    default:
        return value.toString();
    }
}

} // namespace tavro
