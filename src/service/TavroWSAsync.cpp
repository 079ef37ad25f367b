#include "service/TavroWSAsync.h"

#include "service/MessageXml.h"
#include "service/SoapClient.h"

namespace tavro {

TavroWSAsync::TavroWSAsync(SoapClient &client)
    : m_client(client)
{
}

template <class Response, class Request>
Response TavroWSAsync::call(const QString &operation, const QString &requestElement, const Request &request)
{
    const QString typesNamespace = m_client.settings().typesNamespace();
    Response response;
    m_client.invoke(
        operation,
        [&](QXmlStreamWriter &writer) { MessageXml::write(writer, typesNamespace, requestElement, request); },
        [&](QXmlStreamReader &reader) { MessageXml::read(reader, response); }, m_logName, m_beforePost);
    return response;
}

ProtocoloType TavroWSAsync::informarPosicaoEstoqueEmLote(const InformarPosicaoEstoqueEmLoteType &request)
{
    return call<ProtocoloType>(QStringLiteral("informarPosicaoEstoqueEmLote"),
                               QStringLiteral("informarPosicaoEstoqueEmLote"), request);
}

ProtocoloRetificadoType TavroWSAsync::retificarPosicaoEstoqueEmLote(const RetificarPosicaoEstoqueEmLoteType &request)
{
    return call<ProtocoloRetificadoType>(QStringLiteral("retificarPosicaoEstoqueEmLote"),
                                         QStringLiteral("retificarPosicaoEstoqueEmLote"), request);
}

ProtocoloType TavroWSAsync::informarEntradaMedicamentoEmLote(const InformarEntradaMedicamentoEmLoteType &request)
{
    return call<ProtocoloType>(QStringLiteral("informarEntradaMedicamentoEmLote"),
                               QStringLiteral("informarEntradaMedicamentoEmLote"), request);
}

ProtocoloRetificadoType
TavroWSAsync::retificarEntradaMedicamentoEmLote(const RetificarEntradaMedicamentoEmLoteType &request)
{
    return call<ProtocoloRetificadoType>(QStringLiteral("retificarEntradaMedicamentoEmLote"),
                                         QStringLiteral("retificarEntradaMedicamentoEmLote"), request);
}

ProtocoloType TavroWSAsync::informarSaidaMedicamentoEmLote(const InformarSaidaMedicamentoEmLoteType &request)
{
    return call<ProtocoloType>(QStringLiteral("informarSaidaMedicamentoEmLote"),
                               QStringLiteral("informarSaidaMedicamentoEmLote"), request);
}

ProtocoloType
TavroWSAsync::informarDispensacaoMedicamentoEmLote(const InformarDispensacaoMedicamentoEmLoteType &request)
{
    return call<ProtocoloType>(QStringLiteral("informarDispensacaoMedicamentoEmLote"),
                               QStringLiteral("informarDispensacaoMedicamentoEmLote"), request);
}

RespostaProcessamentoLoteType TavroWSAsync::consultarResultadoProcessamento(const ProtocoloType &request)
{
    return call<RespostaProcessamentoLoteType>(QStringLiteral("consultarResultadoProcessamento"),
                                               QStringLiteral("protocolo"), request);
}

InconsistenciaProcessamentoLoteType TavroWSAsync::consultarInconsistencias(const ProtocoloType &request)
{
    return call<InconsistenciaProcessamentoLoteType>(QStringLiteral("consultarInconsistencias"),
                                                     QStringLiteral("protocolo"), request);
}

TavroWSAsync GetTavroWSAsync(bool UseWSDL, const QString &Addr, SoapClient &Client)
{
    if (UseWSDL)
        Client.setWSDLLocation(Addr.isEmpty() ? Client.settings().wsdlLocation() : Addr, TavroWSServiceName,
                               TavroWSAsyncPortName);
    else
        Client.setURL(Addr.isEmpty() ? Client.settings().asyncAddress() : Addr);
    return TavroWSAsync(Client);
}

} // namespace tavro
