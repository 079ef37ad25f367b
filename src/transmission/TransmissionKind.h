#pragma once

#include "lists/ListKinds.h"
#include "service/Enumerations.h"
#include "transmission/StatusWrites.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tavro {

class RecordList;
class TavroWSAsync;
struct TransmissionInput;

// What one run knows before it takes rows: the mode, the batch's identification and
// the establishment shared by every record.
struct BatchContext
{
    bool retransmission = false; // a protocol is chosen in the tab's box
    QString protocolo;           // the chosen protocol
    qint64 coIBGE = 0;
    QString cnes;
    std::optional<coTipoEstabelecimento> tipoEstabelecimento;
};

// The service's answer to a batch.
struct SentBatch
{
    QString protocolo;
    QString dataRecebimento;
    std::optional<QString> protocoloRetificado; // rectification answers only
};

// One kind of movement plugged into the transmission engine: its checks, record builder
// and operation over the rows of its list, whose kind's facts give the Tipo, the record
// table and the cells. A kind object holds the batch of one run: `begin` starts it, `add`
// appends one row's record, `send` posts it.
class TransmissionKind
{
public:
    explicit TransmissionKind(MovementKind kind)
        : m_kind(kindFacts(kind))
    {
    }
    virtual ~TransmissionKind() = default;

    const QString &tipo() const { return m_kind.tipo; }
    // Its own kind, whose record table the status writes change.
    MovementKind table() const { return m_kind.kind; }
    const TransmissionCells &cells() const { return m_kind.cells; }
    // Does a chosen protocol make a rectification batch (rather than a new batch of its rows)?
    bool rectifies() const { return m_kind.rectifies; }
    // Does the establishment carry the unit's type (looked up before the row pass)? It does
    // in every batch but one of dispensations to card holders.
    virtual bool needsUnitType() const { return true; }

    // The row's checks; each failure appends its line to `erros`. True when all pass.
    virtual bool check(const RecordList &list, int row, QStringList &erros) const = 0;
    // The condition that picks the row's record in its table.
    virtual RecordKey key(const RecordList &list, int row, const TransmissionInput &input) const = 0;

    virtual void begin(const BatchContext &context) = 0;
    // Appends the row's record. Throws RowValueError, with nothing appended, when a cell of
    // the row's own values cannot be converted; any other Error concerns the whole batch.
    virtual void add(const RecordList &list, int row) = 0;
    virtual SentBatch send(TavroWSAsync &port) = 0;

private:
    const KindFacts &m_kind;
};

} // namespace tavro
