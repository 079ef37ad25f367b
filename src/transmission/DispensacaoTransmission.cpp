#include "transmission/DispensacaoTransmission.h"

#include "db/UFunc.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"

namespace tavro {

namespace Cell = DispensacaoCell;

bool DispensacaoTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    const auto fail = [&](const QString &message) { erros.append(message + list.subCell(row, Cell::NomeUsuario)); };
    const QStringView cns = list.subCellView(row, Cell::CnsUsuario);
    bool ok = checkProductCode(list, row, erros);
    if (cns.isEmpty()) {
        fail(RowCheck::PessoaSemCns);
        ok = false;
    }
    if (cns == QLatin1String("000000000000000") || cns == QLatin1String("XXXXXXXXXXXXXXX")
        || cns == QLatin1String("xxxxxxxxxxxxxxx")) {
        fail(RowCheck::PessoaCnsIncorreto);
        ok = false;
    }
    if (SoNumeros(cns).size() < 15) {
        fail(RowCheck::PessoaCnsIncorreto);
        ok = false;
    }
    return ok;
}

void DispensacaoTransmission::begin(const BatchContext &context)
{
    m_estabelecimento = {};
    m_estabelecimento.idIdentificacao = idIdentificacao::CNES;
    m_estabelecimento.coCNES = context.cnes;
    m_request = {};
    m_request.identificacao = identificacao(context);
}

void DispensacaoTransmission::add(const RecordList &list, int row)
{
    registro5 registro;
    readRowCells([&] {
        ProdutoDispensacaoType produto;
        fillItemProduct(produto, list, row);
        if (const QString competencia = list.subCell(row, Cell::Competencia); !competencia.isEmpty())
            produto.dtCompetencia = competencia;

        PacienteType paciente;
        paciente.nuCNS = list.subCell(row, Cell::CnsUsuario);
        if (QString peso = list.subCell(row, Cell::Peso); !peso.isEmpty()) {
            // The list shows the weight with the local decimal comma; the service's decimal has a point.
            paciente.peso = peso.replace(QLatin1Char(','), QLatin1Char('.'));
        }
        if (const QString altura = list.subCell(row, Cell::Altura); !altura.isEmpty())
            paciente.altura = integerValue(altura);
        if (const QString cid = list.subCell(row, Cell::Cid10); !cid.isEmpty())
            paciente.cid10 = cid;

        registro.estabelecimento = m_estabelecimento;
        registro.produto = std::move(produto);
        registro.paciente = std::move(paciente);
        const QString cnesProfissional = list.subCell(row, Cell::CnesProfissional);
        const QString crm = list.subCell(row, Cell::Crm);
        const QString uf = list.subCell(row, Cell::Uf);
        if (!cnesProfissional.isEmpty() && !crm.isEmpty() && !uf.isEmpty()) {
            PrescritorType prescritor;
            prescritor.coCNES = cnesProfissional;
            prescritor.nuCRM = integerValue(crm);
            prescritor.ufCRM = uf;
            registro.prescritor = std::move(prescritor);
        }
    });
    m_request.registro.push_back(std::move(registro));
}

SentBatch DispensacaoTransmission::send(TavroWSAsync &port)
{
    return sentBatch(port.informarDispensacaoMedicamentoEmLote(m_request));
}

} // namespace tavro
