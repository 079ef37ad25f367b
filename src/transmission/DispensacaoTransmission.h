#pragma once

#include "transmission/BatchRequests.h"
#include "transmission/ItemTransmission.h"

namespace tavro {

// Dispensation lines of patients with a valid health card:
// informarDispensacaoMedicamentoEmLote. Not rectified; a chosen protocol only selects
// its "Ok" lines for a new batch.
class DispensacaoTransmission : public ItemTransmission
{
public:
    DispensacaoTransmission()
        : ItemTransmission(MovementKind::Dispensacoes)
    {
    }

    bool needsUnitType() const override { return false; }
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void begin(const BatchContext &context) override;
    void add(const RecordList &list, int row) override;
    SentBatch send(TavroWSAsync &port) override;

private:
    EstabelecimentoCNESCNPJType m_estabelecimento;
    InformarDispensacaoMedicamentoEmLoteType m_request;
};

} // namespace tavro
