#pragma once

#include "service/Enumerations.h"

#include <QString>

#include <optional>
#include <vector>

// The message types of the service binding that the system sends and reads. Each type
// keeps the service's own name and field names; an optional field is a std::optional
// (assigning it, an empty text included, makes it present); a record field, required or
// not, is a std::optional that holds no record until one is assigned. Each type's
// `type()` describes its fields once, in wire order, for the generic writer and reader
// (MessageXml). Enumeration members are spelled with `tavro::` because several fields
// carry the name of their enumeration.
namespace tavro {

class MessageType;

// --- identification and protocol -----------------------------------------------------

struct IdentificacaoType
{
    tavro::idOrigem idOrigem = tavro::idOrigem::M;
    qint64 coIBGE = 0;
    static const MessageType &type();
};

struct IdentificacaoProtocoloType : IdentificacaoType
{
    QString nuProtocoloEntrada;
    static const MessageType &type();
};

struct ProtocoloType
{
    QString nuProtocoloEntrada;
    QString dtRecebimento;
    static const MessageType &type();
};

struct ProtocoloRetificadoType : ProtocoloType
{
    QString nuProtocoloRetificado;
    static const MessageType &type();
};

// --- establishments ------------------------------------------------------------------

struct EstabelecimentoType
{
    std::optional<QString> coCNES;
    std::optional<tavro::coTipoEstabelecimento> coTipoEstabelecimento;
    static const MessageType &type();
};

struct EstabelecimentoCNESCNPJType
{
    tavro::idIdentificacao idIdentificacao = tavro::idIdentificacao::CNES;
    std::optional<QString> coCNES;
    std::optional<QString> nuCNPJ;
    static const MessageType &type();
};

struct EstabelecimentoNovoType
{
    tavro::idIdentificacao idIdentificacao = tavro::idIdentificacao::CNES;
    std::optional<QString> coCNES;
    std::optional<QString> nuCNPJ;
    std::optional<tavro::coTipoEstabelecimento> coTipoEstabelecimento;
    static const MessageType &type();
};

// --- products ------------------------------------------------------------------------

struct ProdutoType
{
    std::optional<QString> coRegistroOrigem;
    QString nuProduto;
    QString nuLote;
    QString dtValidade;
    qint64 qtProduto = 0;
    QString dtRegistro;
    std::optional<QString> sgProgramaSaude;
    std::optional<QString> coIUM;
    static const MessageType &type();
};

struct ProdutoVinculadoType : ProdutoType
{
    qint64 coRegistro = 0;
    static const MessageType &type();
};

struct ProdutoEntradaType : ProdutoType
{
    std::optional<QString> nuCNPJFabricante;
    std::optional<QString> noFabricanteInternacional;
    QString nuNotaFiscal;
    QString nuValorUnitario; // decimal text
    QString nuCNPJDistribuidor;
    QString tpEntradaEstoque;
    static const MessageType &type();
};

struct ProdutoVinculadoEntradaType : ProdutoEntradaType
{
    qint64 coRegistro = 0;
    static const MessageType &type();
};

struct ProdutoSaidaType : ProdutoType
{
    std::optional<QString> nuCNPJFabricante;
    std::optional<QString> noFabricanteInternacional;
    QString tpSaida;
    static const MessageType &type();
};

struct ProdutoDispensacaoType : ProdutoType
{
    std::optional<QString> dtCompetencia;
    static const MessageType &type();
};

struct ProdutoNovoType
{
    std::optional<QString> coRegistroOrigem;
    std::optional<QString> nuProduto;
    std::optional<QString> nuLote;
    std::optional<QString> dtValidade;
    qint64 qtProduto = 0;
    std::optional<QString> dtRegistro;
    std::optional<QString> sgProgramaSaude;
    std::optional<QString> coIUM;
    std::optional<QString> nuCNPJFabricante;
    std::optional<QString> noFabricanteInternacional;
    std::optional<QString> tpSaida;
    std::optional<QString> nuNotaFiscal;
    std::optional<QString> nuValorUnitario; // decimal text
    std::optional<QString> nuCNPJDistribuidor;
    std::optional<QString> tpEntradaEstoque;
    std::optional<QString> dtCompetencia;
    std::optional<qint64> coRegistro;
    static const MessageType &type();
};

struct ProdutoVinculadoSimplesType
{
    std::optional<QString> coRegistroOrigem;
    qint64 coRegistro = 0;
    static const MessageType &type();
};

// --- patient and prescriber ----------------------------------------------------------

struct PacienteType
{
    QString nuCNS;
    std::optional<QString> peso; // decimal text
    std::optional<qint64> altura;
    std::optional<QString> cid10; // element "cid-10"
    static const MessageType &type();
};

struct PrescritorType
{
    std::optional<QString> coCNES;
    std::optional<qint64> nuCRM;
    std::optional<QString> ufCRM;
    static const MessageType &type();
};

// --- evaluations (read inside processing and inconsistency answers) -------------------

struct AvaliacaoType
{
    std::optional<QString> coRegistroOrigem;
    qint64 qtLMEavaliadaC1 = 0;
    std::optional<qint64> qtLMEavaliadaC2;
    std::optional<qint64> qtLMEavaliadaC3;
    QString coProcedimento;
    QString dtAvaliacao;
    SimNaoEnumType avAdequacao = SimNaoEnumType::S;
    qint64 coCNES = 0;
    qint64 coCNS = 0;
    static const MessageType &type();
};

struct AvaliacaoProtocoloType : AvaliacaoType
{
    qint64 coRegistro = 0;
    static const MessageType &type();
};

struct AvaliacaoVinculadaSimplesType
{
    std::optional<QString> coRegistroOrigem;
    std::optional<qint64> coRegistro;
    static const MessageType &type();
};

// --- batch records and requests ------------------------------------------------------

struct registro2
{
    std::optional<EstabelecimentoType> estabelecimento;
    std::optional<ProdutoType> produto;
    static const MessageType &type();
};

struct registro4
{
    std::optional<EstabelecimentoType> estabelecimento;
    std::optional<ProdutoVinculadoType> produto;
    static const MessageType &type();
};

struct registro3
{
    std::optional<EstabelecimentoType> estabelecimento;
    std::optional<ProdutoEntradaType> produto;
    static const MessageType &type();
};

struct registro7
{
    std::optional<EstabelecimentoType> estabelecimento;
    std::optional<ProdutoVinculadoEntradaType> produto;
    static const MessageType &type();
};

struct registro9
{
    std::optional<EstabelecimentoType> estabelecimento;
    std::optional<ProdutoSaidaType> produto;
    std::optional<EstabelecimentoCNESCNPJType> estabelecimentoDestino; // element "estabelecimento-destino"
    static const MessageType &type();
};

struct registro5
{
    std::optional<EstabelecimentoCNESCNPJType> estabelecimento;
    std::optional<ProdutoDispensacaoType> produto;
    std::optional<PacienteType> paciente;
    std::optional<PrescritorType> prescritor;
    static const MessageType &type();
};

struct InformarPosicaoEstoqueEmLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::vector<registro2> registro;
    static const MessageType &type();
};

struct RetificarPosicaoEstoqueEmLoteType
{
    std::optional<IdentificacaoProtocoloType> identificacao;
    std::vector<registro4> registro;
    static const MessageType &type();
};

struct InformarEntradaMedicamentoEmLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::vector<registro3> registro;
    static const MessageType &type();
};

struct RetificarEntradaMedicamentoEmLoteType
{
    std::optional<IdentificacaoProtocoloType> identificacao;
    std::vector<registro7> registro;
    static const MessageType &type();
};

struct InformarSaidaMedicamentoEmLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::vector<registro9> registro;
    static const MessageType &type();
};

struct InformarDispensacaoMedicamentoEmLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::vector<registro5> registro;
    static const MessageType &type();
};

// --- answers of the protocol queries -------------------------------------------------

// One processed record of a processing answer.
struct registro
{
    std::optional<EstabelecimentoNovoType> estabelecimento;
    std::optional<ProdutoNovoType> produto;
    std::vector<AvaliacaoProtocoloType> avaliacao;
    std::optional<tavro::situacao> situacao;
    static const MessageType &type();
};

struct RespostaProcessamentoLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::optional<tavro::situacaoProcessamento> situacaoProcessamento;
    std::vector<tavro::registro> registro;
    static const MessageType &type();
};

struct InconsistenciaType
{
    std::optional<QString> idOrigem;
    std::optional<QString> coIBGE;
    std::optional<QString> coRegistro;
    std::optional<QString> coRegistroOrigem;
    // A code of CodigoInconsistenciaType, kept as received: the service may add codes,
    // and one the catalogue lacks must not make the whole answer unreadable.
    std::optional<QString> codigo;
    QString mensagem;
    std::optional<QString> campo;
    std::optional<QString> valor;
    static const MessageType &type();
};

// One inconsistency of an inconsistency answer and the record it concerns.
struct inconsistencias
{
    std::optional<ProdutoVinculadoSimplesType> produto;
    std::optional<AvaliacaoVinculadaSimplesType> avaliacao;
    std::optional<InconsistenciaType> inconsistencia;
    static const MessageType &type();
};

struct InconsistenciaProcessamentoLoteType
{
    std::optional<IdentificacaoType> identificacao;
    std::vector<tavro::inconsistencias> inconsistencias;
    static const MessageType &type();
};

} // namespace tavro
