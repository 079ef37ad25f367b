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

// The request type an operation of the port takes.
template <class Operation>
struct OperationRequest;
template <class Answer, class Request>
struct OperationRequest<Answer (TavroWSAsync::*)(const Request &)>
{
    using type = Request;
};

// A kind of the rows of `list` whose batch is new, sent with the port's `informar`, or the
// rectification of a chosen protocol, sent with `retificar`; `Base` checks and keys its rows.
template <class Base, MovementKind list, auto informar, auto retificar>
class RectifiableTransmission : public Base
{
public:
    RectifiableTransmission()
        : Base(list)
    {
    }

    void begin(const BatchContext &context) override { m_requests.begin(context); }
    SentBatch send(TavroWSAsync &port) override { return m_requests.send(port, informar, retificar); }

protected:
    BatchRequests<typename OperationRequest<decltype(informar)>::type,
                  typename OperationRequest<decltype(retificar)>::type>
        m_requests;
};

} // namespace tavro
