#pragma once

#include <QString>

namespace tavro {

class IniFile;

// Where the service lives and how long a call may wait: config.ini, section TAVRO.
struct ServiceSettings
{
    static inline const QString DefaultServidor = QStringLiteral("http://127.0.0.1:8080");
    static inline const QString DefaultNamespace = QStringLiteral("http://tavro.example");
    static constexpr int DefaultTempoLimite = 120;
    // Paths on the server and the namespace of the types below the namespace base.
    static inline const QString WsdlPath = QStringLiteral("/tavro-ws-service/TavroWSService/TavroWS");
    static inline const QString AsyncPath = QStringLiteral("/tavro-ws-service/TavroWSService/TavroWSAsync");
    static inline const QString TypesNamespaceSuffix = QStringLiteral("/tavro-ws/schemas/v1/TavroTypes");

    QString Servidor = DefaultServidor;   // scheme, host and port
    QString Namespace = DefaultNamespace; // the namespace base of the contract
    int TempoLimite = DefaultTempoLimite; // seconds a request may wait for its transfer
    // An https service's certificate is checked only when asked: pharmacies' set-ups rely on
    // the service being reached whatever its certificate.
    bool VerificarCertificado = false; // against the system's authorities
    QString Certificado;               // a PEM file trusted as well; naming one turns verification on
    // The HTTP proxy of the description and every call: empty for none, "sistema" for the
    // environment's http_proxy/https_proxy/no_proxy, or http://[usuario:senha@]host:porta.
    QString Proxy;

    bool verifiesCertificate() const { return VerificarCertificado || !Certificado.isEmpty(); }

    QString wsdlLocation() const;
    QString asyncAddress() const;
    // Namespace of the request and response elements.
    QString typesNamespace() const;
};

// `Servidor`, `Namespace`, `TempoLimite`, `VerificarCertificado`, `Certificado` and `Proxy` of section
// TAVRO; an empty key, or a time-out that is not a positive whole number, keeps the default.
// Verification is on for "1" (or "sim", "true"), off for anything else.
ServiceSettings readServiceSettings(const IniFile &ini);

} // namespace tavro
