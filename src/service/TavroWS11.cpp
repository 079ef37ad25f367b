#include "service/TavroWS11.h"

#include "service/MessageType.h"

namespace tavro {

namespace {

using Fields = std::vector<MessageField>;

// Base tables are templates over the class they are built for, so a derived type lists
// its base's fields first without repeating them.
template <class T>
Fields identificacaoFields()
{
    return {enumeration<T>("idOrigem", &T::idOrigem), integer<T>("coIBGE", &T::coIBGE)};
}

template <class T>
Fields protocoloFields()
{
    return {text<T>("nuProtocoloEntrada", &T::nuProtocoloEntrada), text<T>("dtRecebimento", &T::dtRecebimento)};
}

template <class T>
Fields produtoFields()
{
    return {
        text<T>("coRegistroOrigem", &T::coRegistroOrigem),
        text<T>("nuProduto", &T::nuProduto),
        text<T>("nuLote", &T::nuLote),
        text<T>("dtValidade", &T::dtValidade),
        integer<T>("qtProduto", &T::qtProduto),
        text<T>("dtRegistro", &T::dtRegistro),
        text<T>("sgProgramaSaude", &T::sgProgramaSaude),
        text<T>("coIUM", &T::coIUM),
    };
}

template <class T>
Fields produtoEntradaFields()
{
    Fields fields = produtoFields<T>();
    fields.push_back(text<T>("nuCNPJFabricante", &T::nuCNPJFabricante));
    fields.push_back(text<T>("noFabricanteInternacional", &T::noFabricanteInternacional));
    fields.push_back(text<T>("nuNotaFiscal", &T::nuNotaFiscal));
    fields.push_back(decimal<T>("nuValorUnitario", &T::nuValorUnitario));
    fields.push_back(text<T>("nuCNPJDistribuidor", &T::nuCNPJDistribuidor));
    fields.push_back(text<T>("tpEntradaEstoque", &T::tpEntradaEstoque));
    return fields;
}

template <class T>
Fields avaliacaoFields()
{
    return {
        text<T>("coRegistroOrigem", &T::coRegistroOrigem),
        integer<T>("qtLMEavaliadaC1", &T::qtLMEavaliadaC1),
        integer<T>("qtLMEavaliadaC2", &T::qtLMEavaliadaC2),
        integer<T>("qtLMEavaliadaC3", &T::qtLMEavaliadaC3),
        text<T>("coProcedimento", &T::coProcedimento),
        text<T>("dtAvaliacao", &T::dtAvaliacao),
        enumeration<T>("avAdequacao", &T::avAdequacao),
        integer<T>("coCNES", &T::coCNES),
        integer<T>("coCNS", &T::coCNS),
    };
}

Fields with(Fields fields, std::initializer_list<MessageField> added)
{
    fields.insert(fields.end(), added.begin(), added.end());
    return fields;
}

// The unit and the product every batch record starts with.
template <class T>
Fields registroFields()
{
    return {record<T>("estabelecimento", Occurs::Required, &T::estabelecimento),
            record<T>("produto", Occurs::Required, &T::produto)};
}

// The two fields of every batch request: identification and the records, no wrapper.
template <class T>
Fields loteFields()
{
    return {record<T>("identificacao", Occurs::Required, &T::identificacao), sequence<T>("registro", &T::registro)};
}

} // namespace

const MessageType &IdentificacaoType::type()
{
    static const MessageType t(QStringLiteral("IdentificacaoType"), identificacaoFields<IdentificacaoType>());
    return t;
}

const MessageType &IdentificacaoProtocoloType::type()
{
    using T = IdentificacaoProtocoloType;
    static const MessageType t(QStringLiteral("IdentificacaoProtocoloType"),
                               with(identificacaoFields<T>(), {text<T>("nuProtocoloEntrada", &T::nuProtocoloEntrada)}));
    return t;
}

const MessageType &ProtocoloType::type()
{
    static const MessageType t(QStringLiteral("ProtocoloType"), protocoloFields<ProtocoloType>());
    return t;
}

const MessageType &ProtocoloRetificadoType::type()
{
    using T = ProtocoloRetificadoType;
    static const MessageType t(
        QStringLiteral("ProtocoloRetificadoType"),
        with(protocoloFields<T>(), {text<T>("nuProtocoloRetificado", &T::nuProtocoloRetificado)}));
    return t;
}

const MessageType &EstabelecimentoType::type()
{
    using T = EstabelecimentoType;
    static const MessageType t(
        QStringLiteral("EstabelecimentoType"),
        {text<T>("coCNES", &T::coCNES), enumeration<T>("coTipoEstabelecimento", &T::coTipoEstabelecimento)});
    return t;
}

const MessageType &EstabelecimentoCNESCNPJType::type()
{
    using T = EstabelecimentoCNESCNPJType;
    static const MessageType t(QStringLiteral("EstabelecimentoCNESCNPJType"),
                               {enumeration<T>("idIdentificacao", &T::idIdentificacao), text<T>("coCNES", &T::coCNES),
                                text<T>("nuCNPJ", &T::nuCNPJ)});
    return t;
}

const MessageType &EstabelecimentoNovoType::type()
{
    using T = EstabelecimentoNovoType;
    static const MessageType t(QStringLiteral("EstabelecimentoNovoType"),
                               {enumeration<T>("idIdentificacao", &T::idIdentificacao), text<T>("coCNES", &T::coCNES),
                                text<T>("nuCNPJ", &T::nuCNPJ),
                                enumeration<T>("coTipoEstabelecimento", &T::coTipoEstabelecimento)});
    return t;
}

const MessageType &ProdutoType::type()
{
    static const MessageType t(QStringLiteral("ProdutoType"), produtoFields<ProdutoType>());
    return t;
}

const MessageType &ProdutoVinculadoType::type()
{
    using T = ProdutoVinculadoType;
    static const MessageType t(QStringLiteral("ProdutoVinculadoType"),
                               with(produtoFields<T>(), {integer<T>("coRegistro", &T::coRegistro)}));
    return t;
}

const MessageType &ProdutoEntradaType::type()
{
    static const MessageType t(QStringLiteral("ProdutoEntradaType"), produtoEntradaFields<ProdutoEntradaType>());
    return t;
}

const MessageType &ProdutoVinculadoEntradaType::type()
{
    using T = ProdutoVinculadoEntradaType;
    static const MessageType t(QStringLiteral("ProdutoVinculadoEntradaType"),
                               with(produtoEntradaFields<T>(), {integer<T>("coRegistro", &T::coRegistro)}));
    return t;
}

const MessageType &ProdutoSaidaType::type()
{
    using T = ProdutoSaidaType;
    static const MessageType t(
        QStringLiteral("ProdutoSaidaType"),
        with(produtoFields<T>(),
             {text<T>("nuCNPJFabricante", &T::nuCNPJFabricante),
              text<T>("noFabricanteInternacional", &T::noFabricanteInternacional), text<T>("tpSaida", &T::tpSaida)}));
    return t;
}

const MessageType &ProdutoDispensacaoType::type()
{
    using T = ProdutoDispensacaoType;
    static const MessageType t(QStringLiteral("ProdutoDispensacaoType"),
                               with(produtoFields<T>(), {text<T>("dtCompetencia", &T::dtCompetencia)}));
    return t;
}

const MessageType &ProdutoNovoType::type()
{
    using T = ProdutoNovoType;
    static const MessageType t(QStringLiteral("ProdutoNovoType"),
                               with(produtoFields<T>(),
                                    {
                                        text<T>("nuCNPJFabricante", &T::nuCNPJFabricante),
                                        text<T>("noFabricanteInternacional", &T::noFabricanteInternacional),
                                        text<T>("tpSaida", &T::tpSaida),
                                        text<T>("nuNotaFiscal", &T::nuNotaFiscal),
                                        decimal<T>("nuValorUnitario", &T::nuValorUnitario),
                                        text<T>("nuCNPJDistribuidor", &T::nuCNPJDistribuidor),
                                        text<T>("tpEntradaEstoque", &T::tpEntradaEstoque),
                                        text<T>("dtCompetencia", &T::dtCompetencia),
                                        integer<T>("coRegistro", &T::coRegistro),
                                    }));
    return t;
}

const MessageType &ProdutoVinculadoSimplesType::type()
{
    using T = ProdutoVinculadoSimplesType;
    static const MessageType t(
        QStringLiteral("ProdutoVinculadoSimplesType"),
        {text<T>("coRegistroOrigem", &T::coRegistroOrigem), integer<T>("coRegistro", &T::coRegistro)});
    return t;
}

const MessageType &PacienteType::type()
{
    using T = PacienteType;
    static const MessageType t(QStringLiteral("PacienteType"),
                               {text<T>("nuCNS", &T::nuCNS), decimal<T>("peso", &T::peso),
                                integer<T>("altura", &T::altura), text<T>("cid-10", &T::cid10)});
    return t;
}

const MessageType &PrescritorType::type()
{
    using T = PrescritorType;
    static const MessageType t(
        QStringLiteral("PrescritorType"),
        {text<T>("coCNES", &T::coCNES), integer<T>("nuCRM", &T::nuCRM), text<T>("ufCRM", &T::ufCRM)});
    return t;
}

const MessageType &AvaliacaoType::type()
{
    static const MessageType t(QStringLiteral("AvaliacaoType"), avaliacaoFields<AvaliacaoType>());
    return t;
}

const MessageType &AvaliacaoProtocoloType::type()
{
    using T = AvaliacaoProtocoloType;
    static const MessageType t(QStringLiteral("AvaliacaoProtocoloType"),
                               with(avaliacaoFields<T>(), {integer<T>("coRegistro", &T::coRegistro)}));
    return t;
}

const MessageType &AvaliacaoVinculadaSimplesType::type()
{
    using T = AvaliacaoVinculadaSimplesType;
    static const MessageType t(
        QStringLiteral("AvaliacaoVinculadaSimplesType"),
        {text<T>("coRegistroOrigem", &T::coRegistroOrigem), integer<T>("coRegistro", &T::coRegistro)});
    return t;
}

const MessageType &registro2::type()
{
    static const MessageType t(QStringLiteral("registro2"), registroFields<registro2>());
    return t;
}

const MessageType &registro4::type()
{
    static const MessageType t(QStringLiteral("registro4"), registroFields<registro4>());
    return t;
}

const MessageType &registro3::type()
{
    static const MessageType t(QStringLiteral("registro3"), registroFields<registro3>());
    return t;
}

const MessageType &registro7::type()
{
    static const MessageType t(QStringLiteral("registro7"), registroFields<registro7>());
    return t;
}

const MessageType &registro9::type()
{
    using T = registro9;
    static const MessageType t(
        QStringLiteral("registro9"),
        with(registroFields<T>(),
             {record<T>("estabelecimento-destino", Occurs::Required, &T::estabelecimentoDestino)}));
    return t;
}

const MessageType &registro5::type()
{
    using T = registro5;
    static const MessageType t(QStringLiteral("registro5"),
                               with(registroFields<T>(),
                                    {record<T>("paciente", Occurs::Required, &T::paciente),
                                     record<T>("prescritor", Occurs::Optional, &T::prescritor)}));
    return t;
}

const MessageType &InformarPosicaoEstoqueEmLoteType::type()
{
    static const MessageType t(QStringLiteral("InformarPosicaoEstoqueEmLoteType"),
                               loteFields<InformarPosicaoEstoqueEmLoteType>());
    return t;
}

const MessageType &RetificarPosicaoEstoqueEmLoteType::type()
{
    static const MessageType t(QStringLiteral("RetificarPosicaoEstoqueEmLoteType"),
                               loteFields<RetificarPosicaoEstoqueEmLoteType>());
    return t;
}

const MessageType &InformarEntradaMedicamentoEmLoteType::type()
{
    static const MessageType t(QStringLiteral("InformarEntradaMedicamentoEmLoteType"),
                               loteFields<InformarEntradaMedicamentoEmLoteType>());
    return t;
}

const MessageType &RetificarEntradaMedicamentoEmLoteType::type()
{
    static const MessageType t(QStringLiteral("RetificarEntradaMedicamentoEmLoteType"),
                               loteFields<RetificarEntradaMedicamentoEmLoteType>());
    return t;
}

const MessageType &InformarSaidaMedicamentoEmLoteType::type()
{
    static const MessageType t(QStringLiteral("InformarSaidaMedicamentoEmLoteType"),
                               loteFields<InformarSaidaMedicamentoEmLoteType>());
    return t;
}

const MessageType &InformarDispensacaoMedicamentoEmLoteType::type()
{
    static const MessageType t(QStringLiteral("InformarDispensacaoMedicamentoEmLoteType"),
                               loteFields<InformarDispensacaoMedicamentoEmLoteType>());
    return t;
}

const MessageType &registro::type()
{
    using T = registro;
    static const MessageType t(QStringLiteral("registro"),
                               {record<T>("estabelecimento", Occurs::Optional, &T::estabelecimento),
                                record<T>("produto", Occurs::Optional, &T::produto),
                                sequence<T>("avaliacao", &T::avaliacao), enumeration<T>("situacao", &T::situacao)});
    return t;
}

const MessageType &RespostaProcessamentoLoteType::type()
{
    using T = RespostaProcessamentoLoteType;
    static const MessageType t(QStringLiteral("RespostaProcessamentoLoteType"),
                               {record<T>("identificacao", Occurs::Required, &T::identificacao),
                                enumeration<T>("situacaoProcessamento", &T::situacaoProcessamento),
                                sequence<T>("registro", &T::registro)});
    return t;
}

const MessageType &InconsistenciaType::type()
{
    using T = InconsistenciaType;
    static const MessageType t(
        QStringLiteral("InconsistenciaType"),
        {text<T>("idOrigem", &T::idOrigem), text<T>("coIBGE", &T::coIBGE), text<T>("coRegistro", &T::coRegistro),
         text<T>("coRegistroOrigem", &T::coRegistroOrigem), text<T>("codigo", &T::codigo),
         text<T>("mensagem", &T::mensagem), text<T>("campo", &T::campo), text<T>("valor", &T::valor)});
    return t;
}

const MessageType &inconsistencias::type()
{
    using T = inconsistencias;
    static const MessageType t(QStringLiteral("inconsistencias"),
                               {record<T>("produto", Occurs::Optional, &T::produto),
                                record<T>("avaliacao", Occurs::Optional, &T::avaliacao),
                                record<T>("inconsistencia", Occurs::Required, &T::inconsistencia)});
    return t;
}

const MessageType &InconsistenciaProcessamentoLoteType::type()
{
    using T = InconsistenciaProcessamentoLoteType;
    static const MessageType t(QStringLiteral("InconsistenciaProcessamentoLoteType"),
                               {record<T>("identificacao", Occurs::Required, &T::identificacao),
                                sequence<T>("inconsistencias", &T::inconsistencias)});
    return t;
}

} // namespace tavro
