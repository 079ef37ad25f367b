#include "db/ClientStatement.h"

#include "common/Error.h"
#include "db/EngineFailure.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <limits>
#include <utility>

namespace tavro {

namespace {

// Firebird's numbers of the character sets this program tells apart.
enum CharacterSet : short {
    CsNone = 0,
    CsOctets = 1,
    CsAscii = 2,
    CsUnicodeFss = 3,
    CsUtf8 = 4,
    CsLatin1 = 21,
    CsWin1252 = 53,
};

[[noreturn]] void fail(const ISC_STATUS *status)
{
    QString text = engineText(status);
    if (hasCode(status, {isc_lock_conflict, isc_lock_timeout, isc_deadlock, isc_update_conflict}))
        throw RecordLocked(text);
    if (hasCode(status, {isc_unique_key_violation, isc_no_dup}))
        throw DuplicateKey(text);
    // A failure the operator can act on says so first, in Portuguese, with the engine's text after.
    if (const QString reason = engineReason(status); !reason.isEmpty())
        text = reason + QLatin1Char('\n') + text;
    throw Error(text);
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
    checkStatus(status);
}

// A value of the client's buffer, which need not be aligned for its type.
template <class T>
T fromBuffer(const char *data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// The character set of a text column or parameter as the server describes it.
short characterSet(const XSQLVAR &var)
{
    return static_cast<short>(var.sqlsubtype & 0xff);
}

// A text of the server in the character set it names.
QString textOf(const char *data, qsizetype size, short charset, const TextEncoding &encoding)
{
    switch (charset) {
    case CsNone:
        return decodeUndeclaredText(data, size, encoding.codePage);
    case CsOctets:
        // Bytes the statement made of the database's texts: in the connection's character set.
        return encoding.undeclared ? decodeUndeclaredText(data, size, encoding.codePage)
                                   : QString::fromUtf8(data, size);
    case CsAscii:
    case CsUnicodeFss:
    case CsUtf8:
        return QString::fromUtf8(data, size);
    case CsLatin1:
        return decodeText(data, size, CodePage::Latin1);
    case CsWin1252:
        return decodeText(data, size, CodePage::Win1252);
    default:
        // A connection in UTF-8 gets every declared text converted; one in NONE gets a
        // character set not listed above only from a column that declares it in a database
        // that declares none, read as the code page.
        return encoding.undeclared ? decodeText(data, size, encoding.codePage) : QString::fromUtf8(data, size);
    }
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

} // namespace

void checkStatus(const ISC_STATUS *status)
{
    if (status[0] == 1 && status[1] != 0)
        fail(status);
}

ClientStatement::ClientStatement(isc_db_handle &db, isc_tr_handle &tr, const QString &sql, const TextEncoding &encoding)
    : m_encoding(encoding)
{
    ISC_STATUS_ARRAY status;
    isc_dsql_allocate_statement(status, &db, &m_handle);
    checkStatus(status);
    // A connection in NONE takes the statement's text as bytes: its literals meet the
    // columns' bytes only when written in the code page.
    const QByteArray text = encoding.undeclared ? encodeText(sql, encoding.codePage) : sql.toUtf8();
    m_outBuffer = sqldaBuffer(1);
    isc_dsql_prepare(status, &tr, &m_handle, 0, text.constData(), SQL_DIALECT_V6, sqldaOf(m_outBuffer));
    checkStatus(status);
    describeAll(m_outBuffer, m_handle, isc_dsql_describe);
    m_out = sqldaOf(m_outBuffer);
    m_outData.resize(m_out->sqld);
    m_outNull.resize(m_out->sqld);
    for (int i = 0; i < m_out->sqld; ++i) {
        XSQLVAR &var = m_out->sqlvar[i];
        m_outData[i].resize(var.sqllen + sizeof(short));
        var.sqldata = m_outData[i].data();
        var.sqlind = &m_outNull[i];
    }
    m_inBuffer = sqldaBuffer(1);
    isc_dsql_describe_bind(status, &m_handle, SQLDA_VERSION1, sqldaOf(m_inBuffer));
    checkStatus(status);
    describeAll(m_inBuffer, m_handle, isc_dsql_describe_bind);
    m_in = sqldaOf(m_inBuffer);
    for (int i = 0; i < m_in->sqld; ++i) {
        const XSQLVAR &var = m_in->sqlvar[i];
        m_types.push_back(ParamType{static_cast<short>(var.sqltype & ~1), var.sqlscale});
        m_paramCharsets.push_back(characterSet(var));
    }
}

ClientStatement::~ClientStatement()
{
    ISC_STATUS_ARRAY status;
    if (m_handle)
        isc_dsql_free_statement(status, &m_handle, DSQL_drop);
}

void ClientStatement::bind(const QVariantList &values)
{
    if (values.size() != m_in->sqld)
        throw Error(QStringLiteral("The statement takes %1 parameters, %2 given").arg(m_in->sqld).arg(values.size()));
    m_storage.assign(m_in->sqld, QByteArray());
    m_nulls.assign(m_in->sqld, 0);
    for (int i = 0; i < m_in->sqld; ++i) {
        XSQLVAR &var = m_in->sqlvar[i];
        const ParamType described = m_types[size_t(i)];
        const QVariant value = convertForParam(values[i], described);
        QByteArray &bytes = m_storage[size_t(i)];
        var.sqlind = &m_nulls[size_t(i)];
        var.sqlscale = 0;
        const auto raw = [&bytes](const auto &v) { bytes = QByteArray(reinterpret_cast<const char *>(&v), sizeof v); };
        if (value.isNull()) {
            m_nulls[size_t(i)] = -1;
            var.sqltype = static_cast<short>(described.sqlType | 1);
            bytes = QByteArray(8, '\0');
            var.sqlscale = described.scale;
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
            const bool text = described.sqlType == SQL_TEXT || described.sqlType == SQL_VARYING;
            const short charset = text ? m_paramCharsets[size_t(i)] : short(CsUtf8);
            var.sqltype = SQL_TEXT | 1;
            if (charset == CsNone || (charset == CsOctets && m_encoding.undeclared)) {
                // Stored as they come: the code page's bytes, as the Windows stations write them.
                bytes = encodeText(value.toString(), m_encoding.codePage);
                var.sqlsubtype = charset;
            } else {
                // Texts otherwise go as UTF-8, which the server converts to the column's own.
                bytes = value.toString().toUtf8();
                var.sqlsubtype = charset == CsOctets ? short(CsOctets) : short(CsUtf8);
            }
        }
        // The client takes a value's length as a short: a longer text would reach it cut to a
        // wrong length.
        if (bytes.size() > std::numeric_limits<short>::max())
            throw Error(QStringLiteral("A value of %1 bytes is longer than a parameter holds").arg(bytes.size()));
        var.sqllen = static_cast<short>(bytes.size());
        var.sqldata = bytes.data();
    }
}

void ClientStatement::execute(isc_tr_handle &tr, const QVariantList &values)
{
    if (!tr)
        throw Error(QStringLiteral("The transaction has ended"));
    bind(values);
    ISC_STATUS_ARRAY status;
    m_rowPending = false;
    isc_dsql_execute(status, &tr, &m_handle, SQLDA_VERSION1, m_in);
    checkStatus(status);
    m_open = m_out->sqld > 0;
}

void ClientStatement::executeForRow(isc_tr_handle &tr, const QVariantList &values)
{
    if (!tr)
        throw Error(QStringLiteral("The transaction has ended"));
    bind(values);
    ISC_STATUS_ARRAY status;
    isc_dsql_execute2(status, &tr, &m_handle, SQLDA_VERSION1, m_in, m_out);
    checkStatus(status);
    m_open = false;
    m_rowPending = true;
}

int ClientStatement::changedRows()
{
    ISC_STATUS_ARRAY status;
    const char items[] = {isc_info_sql_records};
    char buffer[64];
    if (isc_dsql_sql_info(status, &m_handle, sizeof items, items, sizeof buffer, buffer)
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

bool ClientStatement::fetch()
{
    if (m_rowPending)
        return std::exchange(m_rowPending, false);
    if (!m_open)
        return false;
    ISC_STATUS_ARRAY status;
    const ISC_STATUS fetched = isc_dsql_fetch(status, &m_handle, SQLDA_VERSION1, m_out);
    if (fetched == 0)
        return true;
    close();
    if (fetched != 100)
        fail(status);
    return false;
}

void ClientStatement::close()
{
    if (!m_open)
        return;
    m_open = false;
    ISC_STATUS_ARRAY status;
    isc_dsql_free_statement(status, &m_handle, DSQL_close);
}

QString ClientStatement::columnName(int index) const
{
    const XSQLVAR &var = m_out->sqlvar[index];
    return QString::fromUtf8(var.aliasname, var.aliasname_length);
}

QVariant ClientStatement::value(int index) const
{
    if (index < 0 || index >= m_out->sqld)
        return QVariant();
    const XSQLVAR &var = m_out->sqlvar[index];
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
        return textOf(data, var.sqllen, characterSet(var), m_encoding);
    case SQL_VARYING:
        return textOf(data + sizeof(short), fromBuffer<short>(data), characterSet(var), m_encoding);
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

} // namespace tavro
