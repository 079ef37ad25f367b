#include "service/WsdlPort.h"

#include <QXmlStreamReader>

namespace tavro {

namespace {

const QString WsdlNamespace = QStringLiteral("http://schemas.xmlsoap.org/wsdl/");

QString localPart(QStringView qualifiedName)
{
    const qsizetype colon = qualifiedName.lastIndexOf(QLatin1Char(':'));
    return qualifiedName.mid(colon + 1).toString();
}

} // namespace

WsdlPort WsdlPort::read(const QByteArray &wsdl, const QString &service, const QString &port)
{
    // One pass collects the wanted port's binding name and address, and the actions of
    // every binding; the binding may come before or after the service.
    QString bindingOfPort;
    QHash<QString, QHash<QString, QString>> actionsByBinding;
    WsdlPort result;

    QString currentService, currentPort, currentBinding, currentOperation;
    QXmlStreamReader reader(wsdl);
    while (!reader.atEnd()) {
        reader.readNext();
        const bool inWsdl = reader.namespaceUri() == WsdlNamespace;
        const QStringView name = reader.name();
        if (reader.isEndElement()) {
            if (inWsdl && name == QLatin1String("service"))
                currentService.clear();
            else if (inWsdl && name == QLatin1String("port"))
                currentPort.clear();
            else if (inWsdl && name == QLatin1String("binding"))
                currentBinding.clear();
            else if (inWsdl && name == QLatin1String("operation"))
                currentOperation.clear();
            continue;
        }
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (inWsdl && name == QLatin1String("service")) {
            currentService = attributes.value(QStringLiteral("name")).toString();
        } else if (inWsdl && name == QLatin1String("port") && currentService == service) {
            currentPort = attributes.value(QStringLiteral("name")).toString();
            if (currentPort == port)
                bindingOfPort = localPart(attributes.value(QStringLiteral("binding")));
        } else if (!inWsdl && name == QLatin1String("address") && currentService == service && currentPort == port) {
            result.m_address = attributes.value(QStringLiteral("location")).toString();
        } else if (inWsdl && name == QLatin1String("binding")) {
            currentBinding = attributes.value(QStringLiteral("name")).toString();
        } else if (inWsdl && name == QLatin1String("operation") && !currentBinding.isEmpty()) {
            currentOperation = attributes.value(QStringLiteral("name")).toString();
        } else if (!inWsdl && name == QLatin1String("operation") && !currentOperation.isEmpty()) {
            actionsByBinding[currentBinding].insert(currentOperation,
                                                    attributes.value(QStringLiteral("soapAction")).toString());
        }
    }
    result.m_actions = actionsByBinding.value(bindingOfPort);
    return result;
}

} // namespace tavro
