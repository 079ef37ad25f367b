#include "RowHolder.h"

#include "db/Database.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace tavro::test {

RowHolder::RowHolder(const QString &database, const QString &update, std::chrono::milliseconds hold, End end)
{
    std::promise<int> held;
    std::future<int> heldRows = held.get_future();
    m_thread = std::thread([database, update, hold, end, held = std::move(held)]() mutable {
        const QString name = QStringLiteral("row-holder");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
            db.setDatabaseName(database);
            db.setUserName(QString::fromLatin1(Database::UserName));
            db.setPassword(QString::fromLatin1(Database::Password));
            db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
            if (!db.open() || !db.transaction()) {
                held.set_value(-1);
                return;
            }
            QSqlQuery query(db);
            held.set_value(query.exec(update) ? query.numRowsAffected() : -1);
            std::this_thread::sleep_for(hold);
            query.finish();
            if (end == End::Commit)
                db.commit();
            else
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    });
    m_heldRows = heldRows.get();
}

RowHolder::~RowHolder()
{
    m_thread.join();
}

} // namespace tavro::test
