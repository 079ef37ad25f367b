#pragma once

#include <QString>

#include <exception>

namespace tavro {

// The one exception type of the core. Its text is the system's own message, shown
// to the operator unchanged by whichever boundary catches it. A technical message may
// carry a hint: one plain line that says what it means and what to do, shown after it.
class Error : public std::exception
{
public:
    explicit Error(QString message, QString hint = QString())
        : m_message(std::move(message))
        , m_hint(std::move(hint))
        , m_utf8(m_message.toUtf8())
    {
    }

    const QString &message() const { return m_message; }
    const QString &hint() const { return m_hint; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_hint;
    QByteArray m_utf8;
};

// A record another transaction holds (a lock conflict, a lock time-out, or an update by
// a transaction that committed while this one waited).
class RecordLocked : public Error
{
public:
    using Error::Error;
};

// A row whose key another transaction has already written (a unique or primary key).
class DuplicateKey : public Error
{
public:
    using Error::Error;
};

} // namespace tavro
