#pragma once

#include "transmission/BatchRequests.h"

namespace tavro {

// Stock positions of one day: informarPosicaoEstoqueEmLote, or the rectification of a
// chosen protocol with retificarPosicaoEstoqueEmLote. A row is keyed by unit, product,
// day and lot.
class EstoqueTransmission : public TransmissionKind
{
public:
    EstoqueTransmission()
        : TransmissionKind(MovementKind::Estoque)
    {
    }

    bool needsUnitType() const override { return true; }
    bool rectifies() const override { return true; }
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    RecordKey key(const RecordList &list, int row, const TransmissionInput &input) const override;
    void begin(const BatchContext &context) override;
    void add(const RecordList &list, int row) override;
    SentBatch send(TavroWSAsync &port) override;

    // MontaRegistroEstoque
    static ProdutoType MontaRegistroEstoque(const RecordList &list, int row);

private:
    BatchRequests<InformarPosicaoEstoqueEmLoteType, RetificarPosicaoEstoqueEmLoteType> m_requests;
};

} // namespace tavro
