// Every answer body the service may send goes through the envelope reader and then the
// message reader of each response type the system reads. Only Error may come out.
#include "common/Error.h"
#include "service/MessageXml.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"

#include <cstddef>
#include <cstdint>

namespace {

template <class Response>
void readAs(const QByteArray &answer)
{
    try {
        Response response;
        tavro::SoapEnvelope::read(answer,
                                  [&response](QXmlStreamReader &reader) { tavro::MessageXml::read(reader, response); });
    } catch (const tavro::Error &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray answer = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    readAs<tavro::ProtocoloType>(answer);
    readAs<tavro::ProtocoloRetificadoType>(answer);
    readAs<tavro::RespostaProcessamentoLoteType>(answer);
    readAs<tavro::InconsistenciaProcessamentoLoteType>(answer);
    return 0;
}
