#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tavro {

// What a service description gives one port of one service: its address and the SOAP
// action of each operation of its binding. Everything else in the document is ignored.
class WsdlPort
{
public:
    // Reads `wsdl`; a service or port that is not there leaves the address empty.
    static WsdlPort read(const QByteArray &wsdl, const QString &service, const QString &port);

    const QString &address() const { return m_address; }
    // The operation's soapAction, empty when the binding gives none.
    QString action(const QString &operation) const { return m_actions.value(operation); }

private:
    QString m_address;
    QHash<QString, QString> m_actions;
};

} // namespace tavro
