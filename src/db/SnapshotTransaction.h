#pragma once

#include "db/PreparedStatements.h"
#include "db/Transaction.h"

#include <QSqlDatabase>

namespace tavro {

// How an error of Qt's driver reads: the database's own text when it gives one.
QString driverErrorText(const QSqlError &error);

// The transaction Qt's driver starts on the connection: every statement sees the database as
// it was when the transaction began, and one that meets a record another transaction holds
// waits for that transaction to end.
class SnapshotTransaction : public Transaction
{
public:
    // Starts the transaction on the open `connection`.
    explicit SnapshotTransaction(QSqlDatabase connection);
    ~SnapshotTransaction() override;

    // Prepared once per text.
    int execute(const QString &sql, const QVariantList &values) override;
    // Prepared afresh each time, so two cursors of one text read their own rows; the rows
    // stream from the server as the cursor reads them.
    SqlCursor select(const QString &sql, const QVariantList &values) override;
    void commit() override;
    void rollback() override;

private:
    struct Prepared;
    // `sql` prepared, with the types of its `paramCount` parameters.
    Prepared prepare(const QString &sql, int paramCount) const;
    static void run(Prepared &statement, const QVariantList &values);

    QSqlDatabase m_connection;
    bool m_ended = false;
    PreparedStatements<Prepared> m_prepared;
};

} // namespace tavro
