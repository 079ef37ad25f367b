#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavro {

class Database;
class RecordList;
class TransmissionKind;
struct BatchRegistration;
struct ProvisionalBatch;
struct TransmissionInput;

// How long a claim waits for the records that another transaction holds, however many they
// are (and how long a write of recovery waits for one). A transmitter holds its records
// only while it writes its batch ahead, so a longer wait would mostly wait for records
// that are about to be "Enviando", and gone anyway.
constexpr int ClaimLockTimeoutSeconds = 3;

// The line of "Erros" for a row another transaction holds: it waits for the next run.
QString recordHeldMessage(const QString &caption);

// How a row of a batch fared in its claim.
enum class ClaimOutcome {
    Claimed, // its record is now the run's, its values read anew into the row
    Changed, // its record no longer holds what the list showed; the row shows it now
    Held,    // another transaction holds its record
};

// What a record's transmission columns hold: protocol, reception text and status (the
// priority follows the status); empty texts are null.
struct RecordMark
{
    QString protocolo;
    QString data;
    QString situacao;
};

// Claims the rows of a run's batch and writes them ahead, in the run's locking transaction
// (one that does not wait: held records are tried again for ClaimLockTimeoutSeconds), one
// request each for a batch of up to a thousand rows.
class BatchClaim
{
public:
    BatchClaim(Database &db, const TransmissionKind &kind, const TransmissionInput &input);

    // Locks the records of `rows` while the database still holds the protocol and status
    // that the list shows, which allowed sending, and reads the values the request sends
    // under that lock into the rows (the quantity). A changed row's protocol, date and
    // status cells are read anew. The locks last until the run's commit or rollback.
    // When `stopAtUnresolved` and the database holds a batch not yet resolved, which is to be
    // resolved first, it claims nothing and gives nothing.
    std::optional<QList<ClaimOutcome>> claim(RecordList &list, const QList<int> &rows, bool stopAtUnresolved);
    // Inserts the batch's registry row as "Preparando" (StatusWrites.h) and puts its
    // provisional protocol, its moment and "Enviando" on the records of claimed rows.
    ProvisionalBatch writeAhead(const RecordList &list, const QList<int> &rows, const BatchRegistration &registration);
    // Puts each row's mark on its record: a batch that never reached the service gives its
    // records back what they held.
    void writeMarks(const RecordList &list, const QList<int> &rows, const QList<RecordMark> &marks);

    // Milliseconds spent in the claims, and in the write-ahead, so far.
    double claimingMs() const { return m_claimingNs / 1e6; }
    double markingMs() const { return m_markingNs / 1e6; }

private:
    // The values of the row's record key, as the blocks read them.
    QStringList keyFields(const RecordList &list, int row) const;

    Database &m_db;
    const TransmissionKind &m_kind;
    const TransmissionInput &m_input;
    qint64 m_claimingNs = 0;
    qint64 m_markingNs = 0;
};

} // namespace tavro
