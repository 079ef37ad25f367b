#pragma once

#include "HttpServer.h"
#include "SimOptions.h"

#include "service/TavroWS11.h"

#include <QHash>
#include <QSet>

// The service as tavro-sim plays it: the WSDL, the six batch sends and the two protocol
// queries, from state kept per protocol, behind Basic credentials; and the failures the
// options ask for. Each request is reported as one line on standard output.
class TavroSimulator
{
public:
    explicit TavroSimulator(SimOptions options);

    // The scheme, host and port the WSDL gives as the port's address when the request names no host.
    void setOrigin(const QString &origin) { m_origin = origin; }
    HttpResponse handle(const HttpRequest &request);

private:
    struct Problem
    {
        tavro::CodigoInconsistenciaType codigo;
        QString mensagem;
        QString campo;
        QString valor;
    };
    struct Record
    {
        tavro::ProdutoType produto;
        QString coCNES;
        std::optional<QString> nuCNS;
        qint64 coRegistro = 0;
        QList<Problem> problems;
    };
    struct Protocol
    {
        tavro::IdentificacaoType identificacao;
        QList<Record> records;
        int queries = 0;
    };

    HttpResponse wsdl(const QByteArray &host) const;
    HttpResponse call(const HttpRequest &request);
    // The failure the options ask for, if any.
    std::optional<HttpResponse> failure() const;
    HttpResponse answer(const QString &element, const auto &value) const;
    HttpResponse fault(const QString &faultstring) const;
    // The parts of a received record that the rules and the answers use.
    template <class R>
    static Record receive(const R &registro);
    template <class Request>
    HttpResponse receiveBatch(const QString &kind, const Request &request);
    HttpResponse resultadoProcessamento(const tavro::ProtocoloType &query);
    HttpResponse inconsistencias(const tavro::ProtocoloType &query);
    QList<Problem> check(const QString &kind, const Record &record) const;

    SimOptions m_options;
    QString m_origin;
    int m_calls = 0;
    qint64 m_nextProtocol = 100000000001;
    qint64 m_nextRegistro = 5000001;
    QHash<QString, Protocol> m_protocols;
    QHash<QString, QSet<QString>> m_accepted; // origin keys accepted before, per kind of batch
};
