#include "TestDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavro::test {

QString templatePath(const QString &name)
{
    const QString folder = qEnvironmentVariable("TAVRO_TEST_DATA");
    if (folder.isEmpty())
        throw std::runtime_error("TAVRO_TEST_DATA is not set; run the suites through ctest");
    return folder + QLatin1Char('/') + name;
}

TestDatabase::TestDatabase(const QString &templateName)
{
    m_path = m_dir.filePath(QStringLiteral("test.fdb"));
    if (!QFile::copy(templatePath(templateName), m_path))
        throw std::runtime_error("cannot copy template database " + templateName.toStdString());
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    m_address = m_path;
}

namespace {

template <typename Body>
void withConnection(const QString &path, Body &&body)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
        db.setDatabaseName(path);
        db.setUserName(QStringLiteral("sysdba"));
        db.setPassword(QStringLiteral("plumtrove"));
        db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        body(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

QList<QStringList> TestDatabase::rows(const QString &sql) const
{
    QList<QStringList> result;
    withConnection(m_address, [&](QSqlDatabase &db) {
        db.transaction();
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw std::runtime_error(query.lastError().text().toStdString());
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row.append(query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
            result.append(row);
        }
        query.finish();
        db.rollback();
    });
    return result;
}

QString TestDatabase::scalar(const QString &sql) const
{
    const QList<QStringList> result = rows(sql);
    return result.isEmpty() || result.first().isEmpty() ? QString() : result.first().first();
}

void TestDatabase::exec(const QString &sql) const
{
    withConnection(m_address, [&](QSqlDatabase &db) {
        db.transaction();
        QSqlQuery query(db);
        if (!query.exec(sql))
            throw std::runtime_error(query.lastError().text().toStdString());
        db.commit();
    });
}

QStringList registryCells(const TestDatabase &fixture, const QString &protocolo)
{
    QStringList cells = fixture
                            .rows(QStringLiteral("select Protocolo, Data, Tipo, Situacao, ProtocoloAntigo "
                                                 "from TavroProtocolos where Protocolo = '%1'")
                                      .arg(protocolo))
                            .value(0);
    cells.replaceInStrings(QStringLiteral("<null>"), QString());
    return cells;
}

} // namespace tavro::test
