#include "db/Database.h"

#include "common/Error.h"
#include "db/DateText.h"
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
struct ParamType
{
    short sqlType = SQL_TEXT;
    short scale = 0;
};

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

QVariant timestampFrom(const QString &text)
{
    const QString t = text.trimmed();
    const QDate day = dateFromText(t.section(QLatin1Char(' '), 0, 0));
    const QString timePart = t.section(QLatin1Char(' '), 1).trimmed();
    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        time = QTime::fromString(timePart, timePart.count(QLatin1Char(':')) == 2 ? QStringLiteral("H:m:s") : QStringLiteral("H:m"));
        if (!time.isValid())
            throw Error(QStringLiteral("'%1' is not a valid date and time").arg(text));
    }
    return QDateTime(day, time);
}

// A text parameter becomes the value its column expects; other values pass unchanged.
QVariant convertForParam(const QVariant &value, ParamType type)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = value.toString();
    const bool blank = text.trimmed().isEmpty();
    switch (type.sqlType) {
    case SQL_TYPE_DATE:
        return blank ? QVariant(QMetaType::fromType<QDate>()) : QVariant(dateFromText(text));
    case SQL_TIMESTAMP:
        return blank ? QVariant(QMetaType::fromType<QDateTime>()) : timestampFrom(text);
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (blank)
            return QVariant(QMetaType::fromType<qlonglong>());
        return type.scale == 0 ? QVariant(integerValue(text)) : QVariant(decimalValue(text));
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return blank ? QVariant(QMetaType::fromType<double>()) : QVariant(decimalValue(text));
    default:
        return value;
    }
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

void Database::open(const QString &databaseName)
{
    forgetPrepared();
    m_databaseName = databaseName;
    if (!QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), m_connectionName);
    QSqlDatabase db = connection();
    if (db.isOpen())
        db.close();
    m_inTransaction = false;
    db.setDatabaseName(databaseName);
    db.setUserName(QString::fromLatin1(UserName));
    db.setPassword(QString::fromLatin1(Password));
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

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
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

SqlCursor Database::select(const SqlStatement &statement)
{
    return SqlCursor(run(statement, false));
}

int Database::execute(const SqlStatement &statement)
{
    return run(statement, true).numRowsAffected();
}

SqlCursor::SqlCursor(QSqlQuery query)
    : m_query(std::move(query))
{
}

int SqlCursor::indexOf(const QString &column) const
{
    const int index = m_query.record().indexOf(column);
    if (index < 0)
        throw Error(QStringLiteral("Field '%1' not found").arg(column));
    return index;
}

QVariant SqlCursor::value(const QString &column) const
{
    return m_query.value(indexOf(column));
}

QString SqlCursor::text(int index) const
{
    return fieldText(m_query.value(index));
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
