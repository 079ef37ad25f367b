#pragma once

#include "service/TavroWS11.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/TransmissionKind.h"

#include <utility>

namespace tavro {

// Appends a record of `produto` for the batch's establishment to `request`.
template <class Request, class Produto>
void appendRecord(Request &request, const EstabelecimentoType &estabelecimento, Produto produto)
{
    typename decltype(request.registro)::value_type registro;
    registro.estabelecimento = estabelecimento;
    registro.produto = std::move(produto);
    request.registro.push_back(std::move(registro));
}

inline SentBatch sentBatch(const ProtocoloType &answer)
{
    return {answer.nuProtocoloEntrada, answer.dtRecebimento, std::nullopt};
}

inline SentBatch sentBatch(const ProtocoloRetificadoType &answer)
{
    return {answer.nuProtocoloEntrada, answer.dtRecebimento, answer.nuProtocoloRetificado};
}

// The two requests of a kind that sends a new batch or, for a chosen protocol, rectifies that
// one: a run builds one of them, with its identification, for the establishment its records share.
template <class NewRequest, class RectifyRequest>
struct BatchRequests
{
    bool rectification = false;
    EstabelecimentoType estabelecimento;
    NewRequest novo;
    RectifyRequest retificacao;

    void begin(const BatchContext &context)
    {
        rectification = context.retransmission;
        estabelecimento = tavro::estabelecimento(context);
        novo = {};
        retificacao = {};
        if (rectification)
            retificacao.identificacao = identificacaoProtocolo(context);
        else
            novo.identificacao = identificacao(context);
    }

    SentBatch send(TavroWSAsync &port, ProtocoloType (TavroWSAsync::*informar)(const NewRequest &),
                   ProtocoloRetificadoType (TavroWSAsync::*retificar)(const RectifyRequest &)) const
    {
        return rectification ? sentBatch((port.*retificar)(retificacao)) : sentBatch((port.*informar)(novo));
    }
};

} // namespace tavro
