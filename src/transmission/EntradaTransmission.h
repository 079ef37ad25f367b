#pragma once

#include "transmission/BatchRequests.h"
#include "transmission/ItemTransmission.h"

namespace tavro {

// Goods-received lines: informarEntradaMedicamentoEmLote, or the rectification of a
// chosen protocol with retificarEntradaMedicamentoEmLote.
class EntradaTransmission : public RectifiableTransmission<ItemTransmission, MovementKind::Entradas,
                                                           &TavroWSAsync::informarEntradaMedicamentoEmLote,
                                                           &TavroWSAsync::retificarEntradaMedicamentoEmLote>
{
public:
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void add(const RecordList &list, int row) override;

    // MontaRegistroEntrada: the product part of one line.
    static void MontaRegistroEntrada(ProdutoEntradaType &produto, const RecordList &list, int row);
};

} // namespace tavro
