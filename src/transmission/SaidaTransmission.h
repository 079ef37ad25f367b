#pragma once

#include "transmission/BatchRequests.h"
#include "transmission/ItemTransmission.h"

namespace tavro {

// Issue lines to other establishments and bodies: informarSaidaMedicamentoEmLote. A
// chosen protocol only selects its "Ok" lines for a new batch; issues are not rectified.
class SaidaTransmission : public ItemTransmission
{
public:
    SaidaTransmission()
        : SaidaTransmission(MovementKind::Saidas)
    {
    }

    bool check(const RecordList &list, int row, QStringList &erros) const override;
    void begin(const BatchContext &context) override;
    void add(const RecordList &list, int row) override;
    SentBatch send(TavroWSAsync &port) override;

protected:
    // For kinds of another list that go out as issues.
    explicit SaidaTransmission(MovementKind list);

    // Appends one issue record from the shared establishment.
    void appendIssue(ProdutoSaidaType produto, EstabelecimentoCNESCNPJType destino);
    const QString &cnes() const { return m_cnes; }

private:
    QString m_cnes;
    EstabelecimentoType m_estabelecimento;
    InformarSaidaMedicamentoEmLoteType m_request;
};

} // namespace tavro
