#pragma once

#include <QString>

namespace tavro {

class Database;
class RecordList;
class TransmissionKind;
struct TransmissionInput;

// How long a claim waits for a record that another transaction holds. A transmitter
// holds its records only while its batch is on its way, so a longer wait would mostly
// wait for a batch that is about to be recorded, and the record would be gone anyway.
constexpr int ClaimLockTimeoutSeconds = 3;

// The text of a run stopped because another transmitter holds a record of its batch.
QString recordHeldMessage(const QString &caption);

// Claims the rows of a run's batch before the batch leaves. The first claim starts the
// run's transaction (a lock time-out of ClaimLockTimeoutSeconds); each claim locks the
// row's record while the database still holds the protocol and status that the list
// shows, which allowed sending. The locks last until the run's commit or rollback.
class BatchClaim
{
public:
    BatchClaim(Database &db, const TransmissionKind &kind, const TransmissionInput &input);

    // True when the row's record is now this run's. False when the record changed since
    // the list was loaded: the row's protocol, date and status cells are read anew and it
    // stays out of the batch. When another transaction holds the record, throws
    // Error(recordHeldMessage), and nothing of the run may be sent.
    bool claim(RecordList &list, int row);
    // Milliseconds spent in the claims so far.
    double elapsedMs() const { return m_elapsedNs / 1e6; }

private:
    Database &m_db;
    const TransmissionKind &m_kind;
    const TransmissionInput &m_input;
    bool m_started = false;
    qint64 m_elapsedNs = 0;
};

} // namespace tavro
