#include "db/SnapshotTransaction.h"

#include "common/Error.h"
#include "db/ParamConversion.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>

#include <ibase.h>

#include <vector>

namespace tavro {

namespace {

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

} // namespace

QString driverErrorText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

struct SnapshotTransaction::Prepared
{
    QSqlQuery query;
    std::vector<ParamType> types;
};

SnapshotTransaction::SnapshotTransaction(QSqlDatabase connection)
    : m_connection(std::move(connection))
{
    if (!m_connection.transaction())
        throw Error(driverErrorText(m_connection.lastError()));
}

SnapshotTransaction::~SnapshotTransaction()
{
    m_prepared.clear();
    if (!m_ended)
        m_connection.rollback();
}

SnapshotTransaction::Prepared SnapshotTransaction::prepare(const QString &sql, int paramCount) const
{
    Prepared prepared{QSqlQuery(m_connection), {}};
    prepared.query.setForwardOnly(true);
    if (!prepared.query.prepare(sql))
        throw Error(driverErrorText(prepared.query.lastError()));
    prepared.types = describeParams(prepared.query, paramCount);
    return prepared;
}

void SnapshotTransaction::run(Prepared &statement, const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.query.bindValue(int(i), convertForParam(values.at(i), statement.types.at(size_t(i))));
    if (!statement.query.exec())
        throw Error(driverErrorText(statement.query.lastError()));
}

int SnapshotTransaction::execute(const QString &sql, const QVariantList &values)
{
    Prepared &statement = m_prepared.get(sql,
                                         [&] { return std::make_unique<Prepared>(prepare(sql, int(values.size()))); });
    run(statement, values);
    return statement.query.numRowsAffected();
}

SqlCursor SnapshotTransaction::select(const QString &sql, const QVariantList &values)
{
    Prepared statement = prepare(sql, int(values.size()));
    run(statement, values);
    return SqlCursor(std::move(statement.query));
}

void SnapshotTransaction::commit()
{
    m_prepared.clear();
    if (!m_connection.commit())
        throw Error(driverErrorText(m_connection.lastError()));
    m_ended = true;
}

void SnapshotTransaction::rollback()
{
    m_prepared.clear();
    m_ended = true;
    if (!m_connection.rollback())
        throw Error(driverErrorText(m_connection.lastError()));
}

} // namespace tavro
