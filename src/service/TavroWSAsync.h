#pragma once

#include "service/TavroWS11.h"

#include <functional>

namespace tavro {

class SoapClient;

// The asynchronous port of the service: one member per operation that the system uses,
// each posting its request through the SOAP client and returning the response value,
// or throwing Error with the pipeline's message. The client stays the caller's.
class TavroWSAsync
{
public:
    explicit TavroWSAsync(SoapClient &client);

    // The name the logs of the port's next calls take (SoapClient::invoke); empty for the
    // moment of the call.
    void setLogName(const QString &name) { m_logName = name; }
    // What runs between the request's log and its post (SoapClient::invoke) in the port's next calls.
    void setBeforePost(std::function<void()> beforePost) { m_beforePost = std::move(beforePost); }

    ProtocoloType informarPosicaoEstoqueEmLote(const InformarPosicaoEstoqueEmLoteType &request);
    ProtocoloRetificadoType retificarPosicaoEstoqueEmLote(const RetificarPosicaoEstoqueEmLoteType &request);
    ProtocoloType informarEntradaMedicamentoEmLote(const InformarEntradaMedicamentoEmLoteType &request);
    ProtocoloRetificadoType retificarEntradaMedicamentoEmLote(const RetificarEntradaMedicamentoEmLoteType &request);
    // Issues, and dispensations to patients without a health card.
    ProtocoloType informarSaidaMedicamentoEmLote(const InformarSaidaMedicamentoEmLoteType &request);
    ProtocoloType informarDispensacaoMedicamentoEmLote(const InformarDispensacaoMedicamentoEmLoteType &request);
    // Both queries send their protocol as the element `protocolo`.
    RespostaProcessamentoLoteType consultarResultadoProcessamento(const ProtocoloType &request);
    InconsistenciaProcessamentoLoteType consultarInconsistencias(const ProtocoloType &request);

private:
    template <class Response, class Request>
    Response call(const QString &operation, const QString &requestElement, const Request &request);

    SoapClient &m_client;
    QString m_logName;
    std::function<void()> m_beforePost;
};

inline const QString TavroWSServiceName = QStringLiteral("TavroWSService");
inline const QString TavroWSAsyncPortName = QStringLiteral("TavroWSAsyncPort");

// Prepares `Client` for the asynchronous port and returns the port bound to it. With
// `UseWSDL` the client reads endpoint and actions from the description at `Addr` (the
// default WSDL location when empty) on every call; without it, it posts to `Addr` (the
// direct address of the port when empty).
TavroWSAsync GetTavroWSAsync(bool UseWSDL, const QString &Addr, SoapClient &Client);

} // namespace tavro
