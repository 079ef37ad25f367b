#pragma once

#include "service/TavroWS11.h"
#include "transmission/TransmissionKind.h"

namespace tavro {

// Stock positions of one day: informarPosicaoEstoqueEmLote, or the rectification of a
// chosen protocol with retificarPosicaoEstoqueEmLote. A row is keyed by unit, product,
// day and lot.
class EstoqueTransmission : public TransmissionKind
{
public:
    QString tipo() const override;
    RecordTable table() const override { return RecordTable::Conciliacao; }
    TransmissionCells cells() const override;
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
    bool m_rectification = false;
    EstabelecimentoType m_estabelecimento;
    InformarPosicaoEstoqueEmLoteType m_new;
    RetificarPosicaoEstoqueEmLoteType m_rectify;
};

} // namespace tavro
