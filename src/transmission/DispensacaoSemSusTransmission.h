#pragma once

#include "service/TavroWS11.h"
#include "transmission/ItemTransmission.h"

namespace tavro {

// Dispensation lines of patients without a health card, sent as issues of type "S-PA"
// to the dispensing unit itself with informarSaidaMedicamentoEmLote, and registered as
// dispensations.
class DispensacaoSemSusTransmission : public ItemTransmission
{
public:
    DispensacaoSemSusTransmission();

    bool needsUnitType() const override { return true; }
    bool rectifies() const override { return false; }
    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void begin(const BatchContext &context) override;
    void add(const RecordList &list, int row) override;
    SentBatch send(TavroWSAsync &port) override;

private:
    QString m_cnes;
    EstabelecimentoType m_estabelecimento;
    InformarSaidaMedicamentoEmLoteType m_request;
};

} // namespace tavro
