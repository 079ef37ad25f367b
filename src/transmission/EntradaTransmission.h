#pragma once

#include "transmission/BatchRequests.h"
#include "transmission/ItemTransmission.h"

namespace tavro {

// Goods-received lines: informarEntradaMedicamentoEmLote, or the rectification of a
// chosen protocol with retificarEntradaMedicamentoEmLote.
class EntradaTransmission : public ItemTransmission
{
public:
    EntradaTransmission()
        : ItemTransmission(MovementKind::Entradas)
    {
    }

    bool needsUnitType() const override { return true; }
    bool rectifies() const override { return true; }
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void begin(const BatchContext &context) override;
    void add(const RecordList &list, int row) override;
    SentBatch send(TavroWSAsync &port) override;

    // MontaRegistroEntrada: the product part of one line.
    static void MontaRegistroEntrada(ProdutoEntradaType &produto, const RecordList &list, int row);

private:
    BatchRequests<InformarEntradaMedicamentoEmLoteType, RetificarEntradaMedicamentoEmLoteType> m_requests;
};

} // namespace tavro
