#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tavro::test {

// A fresh copy of a template database for one test, removed with it. Templates are
// built by the build from the SQL scripts (demo-utf8, demo-win1252, empty-utf8, and demo-none,
// created without a character set, its texts WIN1252 bytes: read its accents through isql-fb
// with "-ch win1252", as a Windows station does, not through rows() below, which reads UTF-8).
class TestDatabase
{
public:
    explicit TestDatabase(const QString &templateName = QStringLiteral("demo-utf8.fdb"));

    // The plain file path, opened by the embedded engine.
    QString path() const { return m_path; }
    // Reach the copy through a Firebird server ("127.0.0.1/3050") from now on, for the
    // test's own queries too: a server holds the file exclusively.
    void useServer(const QString &server) { m_address = server + QLatin1Char(':') + m_path; }
    // What a connection opens: the path, or server and path.
    QString address() const { return m_address; }
    QString folder() const { return m_dir.path(); }

    // Rows of a statement run on a connection of the test's own (not through the code
    // under test); every value as text, null as "<null>".
    QList<QStringList> rows(const QString &sql) const;
    QString scalar(const QString &sql) const;
    // Runs a statement that changes data, and commits it.
    void exec(const QString &sql) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_address;
};

QString templatePath(const QString &name);

// The five cells of a protocol's registry row a follow-up check takes (Protocolo, Data, Tipo,
// Situacao, ProtocoloAntigo), null as empty; none without the row.
QStringList registryCells(const TestDatabase &fixture, const QString &protocolo);

// The Firebird server the server cases run against ("127.0.0.1/3050"), from TAVRO_FB_SERVER;
// empty without one, and they skip saying `NoTestServer`.
inline QString testServer()
{
    return qEnvironmentVariable("TAVRO_FB_SERVER");
}
inline constexpr const char *NoTestServer = "TAVRO_FB_SERVER not set: ./dev test starts a server and sets it";

} // namespace tavro::test
