// Any service description goes through the port reader; it never throws, so anything
// that comes out of it is a fault.
#include "service/TavroWSAsync.h"
#include "service/WsdlPort.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray wsdl = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const tavro::WsdlPort port = tavro::WsdlPort::read(wsdl, tavro::TavroWSServiceName, tavro::TavroWSAsyncPortName);
    (void)port.action(QStringLiteral("consultarInconsistencias"));
    return 0;
}
