#pragma once

#include "transmission/BatchRequests.h"

namespace tavro {

// Stock positions of one day: informarPosicaoEstoqueEmLote, or the rectification of a
// chosen protocol with retificarPosicaoEstoqueEmLote. A row is keyed by unit, product,
// day and lot.
class EstoqueTransmission : public RectifiableTransmission<TransmissionKind, MovementKind::Estoque,
                                                           &TavroWSAsync::informarPosicaoEstoqueEmLote,
                                                           &TavroWSAsync::retificarPosicaoEstoqueEmLote>
{
public:
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    RecordKey key(const RecordList &list, int row, const TransmissionInput &input) const override;
    void add(const RecordList &list, int row) override;

    // MontaRegistroEstoque
    static ProdutoType MontaRegistroEstoque(const RecordList &list, int row);
};

} // namespace tavro
