#pragma once

#include <QString>

#include <exception>

namespace tavro {

// The one exception type of the core. Its text is the system's own message, shown
// to the operator unchanged by whichever boundary catches it.
class Error : public std::exception
{
public:
    explicit Error(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace tavro
