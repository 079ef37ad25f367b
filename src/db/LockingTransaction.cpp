#include "db/LockingTransaction.h"

#include "common/Error.h"
#include "db/ParamConversion.h"
#include "db/PreparedStatements.h"

#include <QDateTime>

#include <ibase.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>

namespace tavro {

namespace {

bool hasCode(const ISC_STATUS *status, std::initializer_list<ISC_STATUS> codes)
{
    for (const ISC_STATUS *s = status; *s != isc_arg_end; s += *s == isc_arg_cstring ? 3 : 2) {
        if (s[0] == isc_arg_gds && std::find(codes.begin(), codes.end(), s[1]) != codes.end())
            return true;
    }
    return false;
}

[[noreturn]] void fail(const ISC_STATUS *status)
{
    QString text;
    char buffer[1024];
    const ISC_STATUS *vector = status;
    while (fb_interpret(buffer, sizeof buffer, &vector) > 0) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QString::fromUtf8(buffer);
    }
    if (hasCode(status, {isc_lock_conflict, isc_lock_timeout, isc_deadlock, isc_update_conflict}))
        throw RecordLocked(text);
    if (hasCode(status, {isc_unique_key_violation, isc_no_dup}))
        throw DuplicateKey(text);
    throw Error(text);
}

void check(const ISC_STATUS *status)
{
    if (status[0] == 1 && status[1] != 0)
        fail(status);
}

std::vector<char> sqldaBuffer(int count)
{
    std::vector<char> buffer(XSQLDA_LENGTH(std::max(count, 1)));
    auto *sqlda = reinterpret_cast<XSQLDA *>(buffer.data());
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = static_cast<short>(std::max(count, 1));
    return buffer;
}

XSQLDA *sqldaOf(std::vector<char> &buffer)
{
    return reinterpret_cast<XSQLDA *>(buffer.data());
}

// The rows an executed statement changed, from the server's record counts.
int changedRows(isc_stmt_handle &stmt)
{
    ISC_STATUS_ARRAY status;
    const char items[] = {isc_info_sql_records};
    char buffer[64];
    if (isc_dsql_sql_info(status, &stmt, sizeof items, items, sizeof buffer, buffer)
        || buffer[0] != isc_info_sql_records)
        return 0;
    int changed = 0;
    for (const char *p = buffer + 3; p < buffer + sizeof buffer && *p != isc_info_end;) {
        const char item = *p++;
        const short length = static_cast<short>(isc_vax_integer(p, 2));
        p += 2;
        if (item == isc_info_req_update_count || item == isc_info_req_insert_count || item == isc_info_req_delete_count)
            changed += isc_vax_integer(p, length);
        p += length;
    }
    return changed;
}

// A value of the client's buffer, which need not be aligned for its type.
template <class T>
T fromBuffer(const char *data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

QVariant columnValue(const XSQLVAR &var)
{
    if ((var.sqltype & 1) && *var.sqlind < 0)
        return QVariant();
    const char *data = var.sqldata;
    const auto scaled = [&](qint64 value) {
        if (var.sqlscale == 0)
            return QVariant(value);
        double d = double(value);
        for (int i = 0; i < -var.sqlscale; ++i)
            d /= 10;
        return QVariant(d);
    };
    switch (var.sqltype & ~1) {
    case SQL_TEXT:
        return QString::fromUtf8(data, var.sqllen);
    case SQL_VARYING:
        return QString::fromUtf8(data + sizeof(short), fromBuffer<short>(data));
    case SQL_SHORT:
        return scaled(fromBuffer<short>(data));
    case SQL_LONG:
        return scaled(fromBuffer<ISC_LONG>(data));
    case SQL_INT64:
        return scaled(fromBuffer<ISC_INT64>(data));
    case SQL_FLOAT:
        return double(fromBuffer<float>(data));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return fromBuffer<double>(data);
    case SQL_TYPE_DATE: {
        tm t{};
        isc_decode_sql_date(reinterpret_cast<const ISC_DATE *>(data), &t);
        return QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    }
    case SQL_TIMESTAMP: {
        tm t{};
        isc_decode_timestamp(reinterpret_cast<const ISC_TIMESTAMP *>(data), &t);
        return QDateTime(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday), QTime(t.tm_hour, t.tm_min, t.tm_sec));
    }
    case SQL_BOOLEAN:
        return *data != 0;
    default:
        throw Error(QStringLiteral("Column type %1 is not read by this transaction").arg(var.sqltype & ~1));
    }
}

// A description made into room for one variable tells how many there are; this one
// describes them again into room for all of them.
void describeAll(std::vector<char> &buffer, isc_stmt_handle &handle,
                 ISC_STATUS (*describe)(ISC_STATUS *, isc_stmt_handle *, unsigned short, XSQLDA *))
{
    const int count = sqldaOf(buffer)->sqld;
    if (count <= 1)
        return;
    buffer = sqldaBuffer(count);
    ISC_STATUS_ARRAY status;
    describe(status, &handle, SQLDA_VERSION1, sqldaOf(buffer));
    check(status);
}

// A statement prepared in the transaction, with room for its parameters and for one row.
struct PreparedStatement
{
    isc_stmt_handle handle = 0;
    std::vector<char> in;
    std::vector<char> out;
    std::vector<ParamType> types;
    std::vector<std::vector<char>> outData;
    std::vector<short> outNull;

    PreparedStatement() = default;
    PreparedStatement(const PreparedStatement &) = delete;
    PreparedStatement &operator=(const PreparedStatement &) = delete;
    ~PreparedStatement()
    {
        ISC_STATUS_ARRAY status;
        if (handle)
            isc_dsql_free_statement(status, &handle, DSQL_drop);
    }
};

std::unique_ptr<PreparedStatement> prepareStatement(isc_db_handle &db, isc_tr_handle &tr, const QString &sql)
{
    auto s = std::make_unique<PreparedStatement>();
    ISC_STATUS_ARRAY status;
    isc_dsql_allocate_statement(status, &db, &s->handle);
    check(status);
    const QByteArray text = sql.toUtf8();
    s->out = sqldaBuffer(1);
    isc_dsql_prepare(status, &tr, &s->handle, 0, text.constData(), SQL_DIALECT_V6, sqldaOf(s->out));
    check(status);
    describeAll(s->out, s->handle, isc_dsql_describe);
    const int columns = sqldaOf(s->out)->sqld;
    s->outData.resize(columns);
    s->outNull.resize(columns);
    for (int i = 0; i < columns; ++i) {
        XSQLVAR &var = sqldaOf(s->out)->sqlvar[i];
        s->outData[i].resize(var.sqllen + sizeof(short));
        var.sqldata = s->outData[i].data();
        var.sqlind = &s->outNull[i];
    }
    s->in = sqldaBuffer(1);
    isc_dsql_describe_bind(status, &s->handle, SQLDA_VERSION1, sqldaOf(s->in));
    check(status);
    describeAll(s->in, s->handle, isc_dsql_describe_bind);
    const int params = sqldaOf(s->in)->sqld;
    for (int i = 0; i < params; ++i) {
        const XSQLVAR &var = sqldaOf(s->in)->sqlvar[i];
        s->types.push_back(ParamType{static_cast<short>(var.sqltype & ~1), var.sqlscale});
    }
    return s;
}

// The calendar fields the client encodes a date or a timestamp from.
tm calendarFields(const QDate &day, const QTime &time = QTime(0, 0))
{
    tm t{};
    t.tm_year = day.year() - 1900;
    t.tm_mon = day.month() - 1;
    t.tm_mday = day.day();
    t.tm_hour = time.hour();
    t.tm_min = time.minute();
    t.tm_sec = time.second();
    return t;
}

// Binds the values into the statement's input area; `storage` keeps their bytes alive.
void bind(PreparedStatement &s, const QVariantList &values, std::vector<QByteArray> &storage, std::vector<short> &nulls)
{
    XSQLDA *in = sqldaOf(s.in);
    if (values.size() != in->sqld)
        throw Error(QStringLiteral("The statement takes %1 parameters, %2 given").arg(in->sqld).arg(values.size()));
    storage.assign(in->sqld, QByteArray());
    nulls.assign(in->sqld, 0);
    for (int i = 0; i < in->sqld; ++i) {
        XSQLVAR &var = in->sqlvar[i];
        const short describedType = s.types[size_t(i)].sqlType;
        const QVariant value = convertForParam(values[i], s.types[size_t(i)]);
        QByteArray &bytes = storage[size_t(i)];
        var.sqlind = &nulls[size_t(i)];
        var.sqlscale = 0;
        const auto raw = [&bytes](const auto &v) { bytes = QByteArray(reinterpret_cast<const char *>(&v), sizeof v); };
        if (value.isNull()) {
            nulls[size_t(i)] = -1;
            var.sqltype = static_cast<short>(describedType | 1);
            bytes = QByteArray(8, '\0');
            var.sqlscale = s.types[size_t(i)].scale;
        } else if (value.typeId() == QMetaType::QDate) {
            tm t = calendarFields(value.toDate());
            ISC_DATE date;
            isc_encode_sql_date(&t, &date);
            raw(date);
            var.sqltype = SQL_TYPE_DATE | 1;
        } else if (value.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            tm t = calendarFields(dt.date(), dt.time());
            ISC_TIMESTAMP stamp;
            isc_encode_timestamp(&t, &stamp);
            raw(stamp);
            var.sqltype = SQL_TIMESTAMP | 1;
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            raw(value.toDouble());
            var.sqltype = SQL_DOUBLE | 1;
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong
                   || value.typeId() == QMetaType::UInt || value.typeId() == QMetaType::ULongLong
                   || value.typeId() == QMetaType::Bool) {
            raw(ISC_INT64(value.toLongLong()));
            var.sqltype = SQL_INT64 | 1;
        } else {
            bytes = value.toString().toUtf8();
            var.sqltype = SQL_TEXT | 1;
            // Texts are UTF-8, the connection's character set; the server converts them
            // to the column's own.
            if (describedType != SQL_TEXT && describedType != SQL_VARYING)
                var.sqlsubtype = 4; // UTF8
        }
        // The client takes a value's length as a short: a longer text would reach it cut to a
        // wrong length.
        if (bytes.size() > std::numeric_limits<short>::max())
            throw Error(QStringLiteral("A value of %1 bytes is longer than a parameter holds").arg(bytes.size()));
        var.sqllen = static_cast<short>(bytes.size());
        var.sqldata = bytes.data();
    }
}

} // namespace

struct LockingTransaction::Impl
{
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    PreparedStatements<PreparedStatement> statements;

    ~Impl()
    {
        statements.clear();
        if (tr) {
            ISC_STATUS_ARRAY status;
            isc_rollback_transaction(status, &tr);
        }
    }

    // Prepares `sql` or takes its prepared form, and runs it with `values`.
    PreparedStatement &run(const QString &sql, const QVariantList &values)
    {
        if (!tr)
            throw Error(QStringLiteral("The transaction has ended"));
        PreparedStatement &s = statements.get(sql, [&] { return prepareStatement(db, tr, sql); });
        std::vector<QByteArray> storage;
        std::vector<short> nulls;
        bind(s, values, storage, nulls);
        ISC_STATUS_ARRAY status;
        isc_dsql_execute(status, &tr, &s.handle, SQLDA_VERSION1, sqldaOf(s.in));
        check(status);
        return s;
    }
};

LockingTransaction::LockingTransaction(const void *dbHandle, int lockTimeoutSeconds)
    : m(std::make_unique<Impl>())
{
    m->db = *static_cast<const isc_db_handle *>(dbHandle);
    std::vector<char> tpb{isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version};
    if (lockTimeoutSeconds <= 0) {
        tpb.push_back(isc_tpb_nowait);
    } else {
        const ISC_LONG timeout = lockTimeoutSeconds;
        tpb.insert(tpb.end(), {isc_tpb_wait, isc_tpb_lock_timeout, static_cast<char>(sizeof timeout)});
        // The time-out goes little-endian, as every number of a parameter block.
        for (size_t i = 0; i < sizeof timeout; ++i)
            tpb.push_back(static_cast<char>((timeout >> (8 * i)) & 0xff));
    }
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &m->tr, 1, &m->db, static_cast<unsigned short>(tpb.size()), tpb.data());
    check(status);
}

LockingTransaction::~LockingTransaction() = default;

int LockingTransaction::execute(const QString &sql, const QVariantList &values)
{
    return changedRows(m->run(sql, values).handle);
}

SqlCursor LockingTransaction::select(const QString &sql, const QVariantList &values)
{
    PreparedStatement &s = m->run(sql, values);
    auto rows = std::make_shared<FetchedRows>();
    XSQLDA *out = sqldaOf(s.out);
    for (int i = 0; i < out->sqld; ++i)
        rows->columns.append(QString::fromUtf8(out->sqlvar[i].aliasname, out->sqlvar[i].aliasname_length));
    ISC_STATUS_ARRAY status;
    ISC_STATUS fetched;
    while ((fetched = isc_dsql_fetch(status, &s.handle, SQLDA_VERSION1, out)) == 0) {
        QVariantList row;
        for (int i = 0; i < out->sqld; ++i)
            row.append(columnValue(out->sqlvar[i]));
        rows->rows.push_back(std::move(row));
    }
    const bool failed = fetched != 100;
    ISC_STATUS_ARRAY closing;
    isc_dsql_free_statement(closing, &s.handle, DSQL_close);
    if (failed)
        fail(status);
    return SqlCursor(std::move(rows));
}

void LockingTransaction::commit()
{
    m->statements.clear();
    ISC_STATUS_ARRAY status;
    isc_commit_transaction(status, &m->tr);
    check(status);
    m->tr = 0;
}

void LockingTransaction::rollback()
{
    m->statements.clear();
    if (!m->tr)
        return;
    ISC_STATUS_ARRAY status;
    isc_rollback_transaction(status, &m->tr);
    m->tr = 0;
    check(status);
}

} // namespace tavro
