#pragma once

#include "transmission/TransmissionKind.h"

namespace tavro {

// A kind whose records are document lines (goods received, issues, dispensations):
// the row caption "lancamento-item" is the record's key.
class ItemTransmission : public TransmissionKind
{
public:
    using TransmissionKind::TransmissionKind;

    RecordKey key(const RecordList &list, int row, const TransmissionInput &input) const override;

protected:
    // The product-code checks every line kind starts with: an empty code drops the row
    // silently, a code shorter than 15 characters with "Código de produto inválido!".
    bool checkProductCode(const RecordList &list, int row, QStringList &erros) const;
    // A check's line that names no row of its own, completed so the clerk finds the row.
    QString withRow(const QString &message, const RecordList &list, int row) const;
};

} // namespace tavro
