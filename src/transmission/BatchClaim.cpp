#include "transmission/BatchClaim.h"

#include "db/Database.h"
#include "db/LockingTransaction.h"
#include "lists/RecordList.h"
#include "transmission/TransmissionKind.h"

#include <QElapsedTimer>
#include <QScopeGuard>

namespace tavro {

namespace {

SqlStatement recordQuery(RecordTable table, const RecordKey &key)
{
    SqlStatement query;
    query.add(QStringLiteral("select TavroProtocolo, TavroData, TavroSituacao from ") + tableName(table));
    addKey(query, key);
    return query;
}

// Shows the record as the database holds it now.
void refreshCells(Database &db, RecordTable table, const RecordKey &key, const TransmissionCells &cells,
                  RecordList &list, int row)
{
    SqlCursor cursor = db.select(recordQuery(table, key));
    const bool found = cursor.next();
    list.setSubCell(row, cells.gravar, QString());
    list.setSubCell(row, cells.protocolo, found ? cursor.text(0) : QString());
    list.setSubCell(row, cells.data, found ? cursor.text(1) : QString());
    list.setSubCell(row, cells.situacao, found ? cursor.text(2) : QString());
}

} // namespace

QString recordHeldMessage(const QString &caption)
{
    return QStringLiteral("O registro %1 está em uso por outro transmissor ou estação; nada foi enviado.").arg(caption);
}

BatchClaim::BatchClaim(Database &db, const TransmissionKind &kind, const TransmissionInput &input)
    : m_db(db)
    , m_kind(kind)
    , m_input(input)
{
}

bool BatchClaim::claim(RecordList &list, int row)
{
    QElapsedTimer clock;
    clock.start();
    const auto addTime = qScopeGuard([&] { m_elapsedNs += clock.nsecsElapsed(); });
    if (!m_started) {
        m_db.startLockingTransaction(ClaimLockTimeoutSeconds);
        m_started = true;
    }
    const TransmissionCells cells = m_kind.cells();
    const RecordKey key = m_kind.key(list, row, m_input);
    SqlStatement claim = recordQuery(m_kind.table(), key);
    claim.add(QStringLiteral("and coalesce(TavroProtocolo, '') = :pclaimprotocolo"));
    claim.add(QStringLiteral("and coalesce(TavroSituacao, '') = :pclaimsituacao"));
    claim.add(QStringLiteral("with lock"));
    claim.setParam(QStringLiteral("pclaimprotocolo"), list.subCell(row, cells.protocolo));
    claim.setParam(QStringLiteral("pclaimsituacao"), list.subCell(row, cells.situacao));
    try {
        if (m_db.select(claim).next())
            return true;
    } catch (const RecordLocked &) {
        throw Error(recordHeldMessage(list.caption(row)));
    }
    refreshCells(m_db, m_kind.table(), key, cells, list, row);
    return false;
}

} // namespace tavro
