#pragma once

#include "transmission/SaidaTransmission.h"

namespace tavro {

// Dispensation lines of patients without a health card, sent as issues of type "S-PA"
// to the dispensing unit itself with informarSaidaMedicamentoEmLote, and registered as
// dispensations: the issue batch with the dispensation list's cells and checks.
class SemCartaoTransmission : public SaidaTransmission
{
public:
    SemCartaoTransmission()
        : SaidaTransmission(MovementKind::SemCartao)
    {
    }

    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void add(const RecordList &list, int row) override;
};

} // namespace tavro
