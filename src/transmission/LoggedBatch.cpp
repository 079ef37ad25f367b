#include "transmission/LoggedBatch.h"

#include "common/Error.h"
#include "service/MessageXml.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"

namespace tavro {

namespace {

QByteArray messageOf(const QByteArray &log)
{
    if (!log.startsWith("<!--"))
        return log;
    const qsizetype end = log.indexOf("-->");
    return end < 0 ? log : log.mid(end + 3);
}

template <class Request>
void readRecords(QXmlStreamReader &reader, LoggedRequest &batch)
{
    Request request;
    MessageXml::read(reader, request);
    if constexpr (requires { request.identificacao->nuProtocoloEntrada; }) {
        if (request.identificacao)
            batch.protocoloAntigo = request.identificacao->nuProtocoloEntrada;
    }
    bool everyIssueToAPatient = !request.registro.empty();
    for (const auto &registro : request.registro) {
        if (batch.cnes.isEmpty() && registro.estabelecimento)
            batch.cnes = registro.estabelecimento->coCNES.value_or(QString());
        if (registro.produto)
            batch.origens.append(registro.produto->coRegistroOrigem.value_or(QString()));
        if constexpr (requires { registro.produto->tpSaida; }) {
            if (!registro.produto || registro.produto->tpSaida != QLatin1String("S-PA"))
                everyIssueToAPatient = false;
        }
    }
    if constexpr (std::is_same_v<Request, InformarSaidaMedicamentoEmLoteType>) {
        if (everyIssueToAPatient)
            batch.tipo = Tipo::Dispensacao;
    }
}

} // namespace

std::optional<LoggedAnswer> readAnswerLog(const QByteArray &log)
{
    std::optional<LoggedAnswer> answer;
    try {
        SoapEnvelope::read(messageOf(log), [&](QXmlStreamReader &reader) {
            ProtocoloRetificadoType read;
            if (reader.name() == QLatin1String("protocolo"))
                MessageXml::read(reader, static_cast<ProtocoloType &>(read));
            else if (reader.name() == QLatin1String("protocoloRetificado"))
                MessageXml::read(reader, read);
            if (!read.nuProtocoloEntrada.trimmed().isEmpty())
                answer = LoggedAnswer{read.nuProtocoloEntrada, read.dtRecebimento};
        });
    } catch (const Error &) {
        return std::nullopt;
    }
    return answer;
}

LoggedRequest readRequestLog(const QByteArray &log)
{
    LoggedRequest batch;
    bool known = false;
    SoapEnvelope::read(messageOf(log), [&](QXmlStreamReader &reader) {
        const QString element = reader.name().toString();
        known = true;
        if (element == QLatin1String("informarPosicaoEstoqueEmLote")) {
            batch.tipo = Tipo::Estoque;
            readRecords<InformarPosicaoEstoqueEmLoteType>(reader, batch);
        } else if (element == QLatin1String("retificarPosicaoEstoqueEmLote")) {
            batch.tipo = Tipo::Estoque;
            readRecords<RetificarPosicaoEstoqueEmLoteType>(reader, batch);
        } else if (element == QLatin1String("informarEntradaMedicamentoEmLote")) {
            batch.tipo = Tipo::Entrada;
            readRecords<InformarEntradaMedicamentoEmLoteType>(reader, batch);
        } else if (element == QLatin1String("retificarEntradaMedicamentoEmLote")) {
            batch.tipo = Tipo::Entrada;
            readRecords<RetificarEntradaMedicamentoEmLoteType>(reader, batch);
        } else if (element == QLatin1String("informarSaidaMedicamentoEmLote")) {
            batch.tipo = Tipo::Saida;
            readRecords<InformarSaidaMedicamentoEmLoteType>(reader, batch);
        } else if (element == QLatin1String("informarDispensacaoMedicamentoEmLote")) {
            batch.tipo = Tipo::Dispensacao;
            readRecords<InformarDispensacaoMedicamentoEmLoteType>(reader, batch);
        } else {
            known = false;
        }
    });
    if (!known)
        throw Error(QStringLiteral("O log do pedido não contém um lote"));
    batch.table = tableForTipo(batch.tipo);
    return batch;
}

} // namespace tavro
