#include "TavroSimulator.h"

#include "common/Error.h"
#include "service/MessageXml.h"
#include "service/ServiceSettings.h"
#include "service/SoapClient.h"
#include "service/SoapEnvelope.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cstdio>

using namespace tavro;

namespace {

struct Operation
{
    const char *name;
    const char *request;
    const char *response;
};

// The asynchronous port in its contract order.
const Operation AsyncOperations[] = {
    {"informarPosicaoEstoqueEmLote", "informarPosicaoEstoqueEmLote", "protocolo"},
    {"retificarPosicaoEstoqueEmLote", "retificarPosicaoEstoqueEmLote", "protocoloRetificado"},
    {"informarEntradaMedicamentoEmLote", "informarEntradaMedicamentoEmLote", "protocolo"},
    {"retificarEntradaMedicamentoEmLote", "retificarEntradaMedicamentoEmLote", "protocoloRetificado"},
    {"informarSaidaMedicamentoEmLote", "informarSaidaMedicamentoEmLote", "protocolo"},
    {"retificarSaidaMedicamentoEmLote", "retificarSaidaMedicamentoEmLote", "protocoloRetificado"},
    {"informarDispensacaoMedicamentoEmLote", "informarDispensacaoMedicamentoEmLote", "protocolo"},
    {"retificarDispensacaoMedicamentoEmLote", "retificarDispensacaoMedicamentoEmLote", "protocoloRetificado"},
    {"informarAvaliacaoDeferidaEmLote", "informarAvaliacaoDeferidaEmLote", "protocolo"},
    {"retificarAvaliacaoDeferidaEmLote", "retificarAvaliacaoDeferidaEmLote", "protocoloRetificado"},
    {"consultarResultadoProcessamento", "protocolo", "respostaProcessamentoLote"},
    {"consultarInconsistencias", "protocolo", "respostaInconsistencias"},
    {"consultarReprocessamento", "identificacao", "respostaReprocessamentoLote"},
};

void report(const QByteArray &line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

bool isDate(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("dd-MM-yyyy")).isValid();
}

QString typesNamespace(const QString &base)
{
    return base + ServiceSettings::TypesNamespaceSuffix;
}

// The request element of a call's body.
template <class T>
T readBody(const QByteArray &body)
{
    T value;
    SoapEnvelope::read(body, [&value](QXmlStreamReader &reader) { MessageXml::read(reader, value); });
    return value;
}

} // namespace

TavroSimulator::TavroSimulator(SimOptions options)
    : m_options(std::move(options))
{
}

HttpResponse TavroSimulator::handle(const HttpRequest &request)
{
    const QByteArray path = request.target.split('?').first();
    if (request.method == "GET") {
        report("GET " + request.target);
        if (path.toLower() == ServiceSettings::WsdlPath.toLower().toLatin1())
            return wsdl(request.headers.value("host"));
    } else if (request.method == "POST") {
        report("POST " + request.target + " Length=" + QByteArray::number(request.body.size()) + " SOAPAction="
               + request.headers.value("soapaction") + " Authorization=" + request.headers.value("authorization"));
        if (path == ServiceSettings::AsyncPath.toLatin1()) {
            HttpResponse response = call(request);
            response.held = m_calls == m_options.reter;
            return response;
        }
    }
    HttpResponse notFound;
    notFound.status = 404;
    notFound.reason = "Not Found";
    notFound.contentType = "text/html";
    notFound.body = "<html><body>Not Found</body></html>";
    return notFound;
}

HttpResponse TavroSimulator::wsdl(const QByteArray &host) const
{
    // The address is the host the description was asked of, as services behind a relay or a
    // proxy give it; without a Host header, the substitute's own.
    const QString origin = host.isEmpty()
        ? m_origin
        : m_origin.section(QStringLiteral("://"), 0, 0) + QStringLiteral("://") + QString::fromLatin1(host);
    const QString service = m_options.namespaceBase + QStringLiteral("/tavro-ws");
    QByteArray document;
    QXmlStreamWriter w(&document);
    const QString wsdlNs = QStringLiteral("http://schemas.xmlsoap.org/wsdl/");
    const QString soapNs = QStringLiteral("http://schemas.xmlsoap.org/wsdl/soap/");
    w.writeStartDocument();
    w.writeNamespace(wsdlNs, QStringLiteral("wsdl"));
    w.writeNamespace(soapNs, QStringLiteral("soap"));
    w.writeNamespace(service, QStringLiteral("tns"));
    w.writeNamespace(typesNamespace(m_options.namespaceBase), QStringLiteral("tav"));
    w.writeStartElement(wsdlNs, QStringLiteral("definitions"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("TavroWSService"));
    w.writeAttribute(QStringLiteral("targetNamespace"), service);
    for (const Operation &op : AsyncOperations) {
        for (const auto &[suffix, element] : {std::pair{"Request", op.request}, std::pair{"Response", op.response}}) {
            w.writeStartElement(wsdlNs, QStringLiteral("message"));
            w.writeAttribute(QStringLiteral("name"), QLatin1String(op.name) + QLatin1String(suffix));
            w.writeEmptyElement(wsdlNs, QStringLiteral("part"));
            w.writeAttribute(QStringLiteral("name"), QStringLiteral("parameters"));
            w.writeAttribute(QStringLiteral("element"), QStringLiteral("tav:") + QLatin1String(element));
            w.writeEndElement();
        }
    }
    w.writeStartElement(wsdlNs, QStringLiteral("portType"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("TavroWSAsync"));
    for (const Operation &op : AsyncOperations) {
        w.writeStartElement(wsdlNs, QStringLiteral("operation"));
        w.writeAttribute(QStringLiteral("name"), QLatin1String(op.name));
        w.writeEmptyElement(wsdlNs, QStringLiteral("input"));
        w.writeAttribute(QStringLiteral("message"), QStringLiteral("tns:") + QLatin1String(op.name) + "Request");
        w.writeEmptyElement(wsdlNs, QStringLiteral("output"));
        w.writeAttribute(QStringLiteral("message"), QStringLiteral("tns:") + QLatin1String(op.name) + "Response");
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement(wsdlNs, QStringLiteral("binding"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("TavroWSAsyncPortBinding"));
    w.writeAttribute(QStringLiteral("type"), QStringLiteral("tns:TavroWSAsync"));
    w.writeEmptyElement(soapNs, QStringLiteral("binding"));
    w.writeAttribute(QStringLiteral("style"), QStringLiteral("document"));
    w.writeAttribute(QStringLiteral("transport"), QStringLiteral("http://schemas.xmlsoap.org/soap/http"));
    for (const Operation &op : AsyncOperations) {
        w.writeStartElement(wsdlNs, QStringLiteral("operation"));
        w.writeAttribute(QStringLiteral("name"), QLatin1String(op.name));
        w.writeEmptyElement(soapNs, QStringLiteral("operation"));
        if (!m_options.semAcao)
            w.writeAttribute(QStringLiteral("soapAction"), service + QLatin1Char('/') + QLatin1String(op.name));
        for (const char *direction : {"input", "output"}) {
            w.writeStartElement(wsdlNs, QLatin1String(direction));
            w.writeEmptyElement(soapNs, QStringLiteral("body"));
            w.writeAttribute(QStringLiteral("use"), QStringLiteral("literal"));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement(wsdlNs, QStringLiteral("service"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("TavroWSService"));
    w.writeStartElement(wsdlNs, QStringLiteral("port"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("TavroWSAsyncPort"));
    w.writeAttribute(QStringLiteral("binding"), QStringLiteral("tns:TavroWSAsyncPortBinding"));
    if (!m_options.semEndereco) {
        w.writeEmptyElement(soapNs, QStringLiteral("address"));
        w.writeAttribute(QStringLiteral("location"), origin + ServiceSettings::AsyncPath);
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    HttpResponse response;
    response.body = document;
    return response;
}

std::optional<HttpResponse> TavroSimulator::failure() const
{
    HttpResponse response;
    if (m_options.silencio) {
        response.silent = true;
    } else if (m_options.falhaStatus > 0) {
        response.status = m_options.falhaStatus;
        response.reason = m_options.falhaTexto.toLatin1();
        response.contentType = "text/html";
        response.body = "<html><body>" + m_options.falhaTexto.toUtf8() + "</body></html>";
    } else if (m_options.falhaFault) {
        return fault(*m_options.falhaFault);
    } else if (m_options.falhaHtml) {
        response.contentType = "text/html; charset=utf-8";
        response.body = "<html><body><h1>Servi\xc3\xa7o em manuten\xc3\xa7\xc3\xa3o</h1></body></html>";
    } else if (m_options.falhaRaiz) {
        response.body
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><resposta><erro>indispon\xc3\xadvel</erro></resposta>";
    } else {
        return std::nullopt;
    }
    return response;
}

HttpResponse TavroSimulator::call(const HttpRequest &request)
{
    ++m_calls;
    if (m_options.falhas < 0 || m_calls <= m_options.falhas) {
        if (std::optional<HttpResponse> failed = failure())
            return *failed;
    }
    if (request.headers.value("authorization") != basicAuthorization(m_options.usuario, m_options.senha))
        return fault(QStringLiteral("Usuário ou senha inválidos"));

    QString operation = QString::fromUtf8(request.headers.value("soapaction"));
    operation.remove(QLatin1Char('"'));
    operation = operation.mid(operation.lastIndexOf(QRegularExpression(QStringLiteral("[/:]"))) + 1);

    const QByteArray &body = request.body;
    HttpResponse response;
    try {
        if (operation == QLatin1String("informarPosicaoEstoqueEmLote")) {
            response = receiveBatch(QStringLiteral("estoque"), readBody<InformarPosicaoEstoqueEmLoteType>(body));
        } else if (operation == QLatin1String("retificarPosicaoEstoqueEmLote")) {
            response = receiveBatch(QStringLiteral("estoque"), readBody<RetificarPosicaoEstoqueEmLoteType>(body));
        } else if (operation == QLatin1String("informarEntradaMedicamentoEmLote")) {
            response = receiveBatch(QStringLiteral("entrada"), readBody<InformarEntradaMedicamentoEmLoteType>(body));
        } else if (operation == QLatin1String("retificarEntradaMedicamentoEmLote")) {
            response = receiveBatch(QStringLiteral("entrada"), readBody<RetificarEntradaMedicamentoEmLoteType>(body));
        } else if (operation == QLatin1String("informarSaidaMedicamentoEmLote")) {
            response = receiveBatch(QStringLiteral("saida"), readBody<InformarSaidaMedicamentoEmLoteType>(body));
        } else if (operation == QLatin1String("informarDispensacaoMedicamentoEmLote")) {
            response = receiveBatch(QStringLiteral("dispensacao"),
                                    readBody<InformarDispensacaoMedicamentoEmLoteType>(body));
        } else if (operation == QLatin1String("consultarResultadoProcessamento")) {
            response = resultadoProcessamento(readBody<ProtocoloType>(body));
        } else if (operation == QLatin1String("consultarInconsistencias")) {
            response = inconsistencias(readBody<ProtocoloType>(body));
        } else {
            return fault(QStringLiteral("Operação desconhecida: %1").arg(operation));
        }
    } catch (const Error &error) {
        return fault(error.message());
    }
    // A late answer is one of the failures, so --falhas N limits it to the first N calls too.
    if (m_options.falhas < 0 || m_calls <= m_options.falhas)
        response.delayMs = m_options.atrasoMs;
    return response;
}

template <class R>
TavroSimulator::Record TavroSimulator::receive(const R &registro)
{
    Record record;
    if (registro.produto)
        record.produto = *registro.produto;
    if (registro.estabelecimento)
        record.coCNES = registro.estabelecimento->coCNES.value_or(QString());
    if constexpr (requires { registro.paciente; }) {
        if (registro.paciente)
            record.nuCNS = registro.paciente->nuCNS;
    }
    if constexpr (requires { registro.produto->coRegistro; }) {
        if (registro.produto)
            record.coRegistro = registro.produto->coRegistro;
    }
    return record;
}

HttpResponse TavroSimulator::answer(const QString &element, const auto &value) const
{
    const QString ns = typesNamespace(m_options.namespaceBase);
    HttpResponse response;
    response.body = SoapEnvelope::write(
        [&](QXmlStreamWriter &writer) { MessageXml::write(writer, ns, element, value); });
    return response;
}

HttpResponse TavroSimulator::fault(const QString &faultstring) const
{
    HttpResponse response;
    response.status = 500;
    response.reason = "Internal Server Error";
    response.body = SoapEnvelope::write([&](QXmlStreamWriter &writer) {
        writer.writeStartElement(SoapEnvelope::Namespace, QStringLiteral("Fault"));
        writer.writeTextElement(QStringLiteral("faultcode"), QStringLiteral("SOAP-ENV:Server"));
        writer.writeTextElement(QStringLiteral("faultstring"), faultstring);
        writer.writeEndElement();
    });
    return response;
}

QList<TavroSimulator::Problem> TavroSimulator::check(const QString &kind, const Record &record) const
{
    using C = CodigoInconsistenciaType;
    QList<Problem> problems;
    const ProdutoType &p = record.produto;
    if (p.nuProduto.size() < 15)
        problems.append(
            {C::E026, QStringLiteral("Produto não encontrado no catálogo"), QStringLiteral("nuProduto"), p.nuProduto});
    if (p.nuLote.isEmpty())
        problems.append({C::E027, QStringLiteral("Lote não informado"), QStringLiteral("nuLote"), p.nuLote});
    if (!isDate(p.dtValidade))
        problems.append(
            {C::E028, QStringLiteral("Data de validade inválida"), QStringLiteral("dtValidade"), p.dtValidade});
    if (!isDate(p.dtRegistro))
        problems.append(
            {C::E029, QStringLiteral("Data de registro inválida"), QStringLiteral("dtRegistro"), p.dtRegistro});
    if (p.qtProduto < 0 || (p.qtProduto == 0 && kind != QLatin1String("estoque")))
        problems.append({C::E030, QStringLiteral("Quantidade inválida"), QStringLiteral("qtProduto"),
                         QString::number(p.qtProduto)});
    static const QRegularExpression cns(QStringLiteral("^\\d{15}$"));
    static const QRegularExpression cnes(QStringLiteral("^\\d{7}$"));
    if (record.nuCNS && !cns.match(*record.nuCNS).hasMatch())
        problems.append({C::E031, QStringLiteral("CNS do paciente inválido"), QStringLiteral("nuCNS"), *record.nuCNS});
    if (!cnes.match(record.coCNES).hasMatch())
        problems.append(
            {C::E032, QStringLiteral("CNES do estabelecimento inválido"), QStringLiteral("coCNES"), record.coCNES});
    return problems;
}

template <class Request>
HttpResponse TavroSimulator::receiveBatch(const QString &kind, const Request &request)
{
    if (!request.identificacao)
        return fault(QStringLiteral("Identificação não informada"));
    Protocol protocol;
    protocol.identificacao = *request.identificacao;
    constexpr bool rectification = requires
    {
        request.identificacao->nuProtocoloEntrada;
    };
    // A rectification may only name records of the protocol it rectifies; an unknown
    // protocol has none.
    QSet<qint64> rectifiable;
    if constexpr (rectification) {
        for (const Record &earlier : m_protocols.value(request.identificacao->nuProtocoloEntrada).records)
            rectifiable.insert(earlier.coRegistro);
    }
    QSet<QString> &accepted = m_accepted[kind];
    for (const auto &registro : request.registro) {
        Record record = receive(registro);
        record.problems = check(kind, record);
        const QString key = record.produto.coRegistroOrigem.value_or(QString());
        if (!rectification && accepted.contains(key))
            record.problems.append({CodigoInconsistenciaType::E025,
                                    QStringLiteral("O registro já está cadastrado na base de dados definitiva"),
                                    QStringLiteral("coRegistroOrigem"), key});
        if (rectification && !rectifiable.contains(record.coRegistro))
            record.problems.append({CodigoInconsistenciaType::E033,
                                    QStringLiteral("Registro não pertence ao protocolo retificado"),
                                    QStringLiteral("coRegistro"), QString::number(record.coRegistro)});
        if (record.problems.isEmpty())
            accepted.insert(key);
        if (record.coRegistro == 0)
            record.coRegistro = m_nextRegistro++;
        protocol.records.append(record);
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString number = QString::number(m_nextProtocol++);
    // The service writes its reception time as day-month-year and time of day.
    const QString received = now.toString(QStringLiteral("dd-MM-yyyy hh:mm:ss"));
    m_protocols.insert(number, protocol);
    if constexpr (rectification) {
        ProtocoloRetificadoType answered;
        answered.nuProtocoloEntrada = number;
        answered.dtRecebimento = received;
        answered.nuProtocoloRetificado = request.identificacao->nuProtocoloEntrada;
        return answer(QStringLiteral("protocoloRetificado"), answered);
    } else {
        ProtocoloType answered;
        answered.nuProtocoloEntrada = number;
        answered.dtRecebimento = received;
        return answer(QStringLiteral("protocolo"), answered);
    }
}

HttpResponse TavroSimulator::resultadoProcessamento(const ProtocoloType &query)
{
    const auto it = m_protocols.find(query.nuProtocoloEntrada);
    if (it == m_protocols.end())
        return fault(QStringLiteral("Protocolo não encontrado: %1").arg(query.nuProtocoloEntrada));
    RespostaProcessamentoLoteType result;
    result.identificacao = it->identificacao;
    if (it->queries++ < m_options.aguardando) {
        result.situacaoProcessamento = m_options.reprocessamento ? situacaoProcessamento::AGUARDANDO_REPROCESSAMENTO
                                                                 : situacaoProcessamento::AGUARDANDO;
        return answer(QStringLiteral("respostaProcessamentoLote"), result);
    }
    result.situacaoProcessamento = situacaoProcessamento::FINALIZADO;
    for (const Record &record : it->records) {
        registro &processed = result.registro.emplace_back();
        processed.estabelecimento.emplace().coCNES = record.coCNES;
        ProdutoNovoType &produto = processed.produto.emplace();
        produto.coRegistroOrigem = record.produto.coRegistroOrigem;
        produto.nuProduto = record.produto.nuProduto;
        produto.nuLote = record.produto.nuLote;
        produto.dtValidade = record.produto.dtValidade;
        produto.qtProduto = record.produto.qtProduto;
        produto.dtRegistro = record.produto.dtRegistro;
        produto.coRegistro = record.coRegistro;
        processed.situacao = record.problems.isEmpty() ? situacao::S : situacao::N;
    }
    return answer(QStringLiteral("respostaProcessamentoLote"), result);
}

HttpResponse TavroSimulator::inconsistencias(const ProtocoloType &query)
{
    const auto it = m_protocols.find(query.nuProtocoloEntrada);
    if (it == m_protocols.end())
        return fault(QStringLiteral("Protocolo não encontrado: %1").arg(query.nuProtocoloEntrada));
    if (it->queries <= m_options.aguardando)
        return fault(QStringLiteral("O processamento do protocolo %1 não terminou").arg(query.nuProtocoloEntrada));
    InconsistenciaProcessamentoLoteType result;
    result.identificacao = it->identificacao;
    for (const Record &record : it->records) {
        for (const Problem &problem : record.problems) {
            tavro::inconsistencias &item = result.inconsistencias.emplace_back();
            ProdutoVinculadoSimplesType &produto = item.produto.emplace();
            produto.coRegistroOrigem = record.produto.coRegistroOrigem;
            produto.coRegistro = record.coRegistro;
            InconsistenciaType &inconsistencia = item.inconsistencia.emplace();
            inconsistencia.idOrigem = literal(it->identificacao.idOrigem);
            inconsistencia.coIBGE = QString::number(it->identificacao.coIBGE);
            inconsistencia.coRegistro = QString::number(record.coRegistro);
            inconsistencia.coRegistroOrigem = record.produto.coRegistroOrigem;
            inconsistencia.codigo = literal(problem.codigo);
            inconsistencia.mensagem = problem.mensagem;
            inconsistencia.campo = problem.campo;
            inconsistencia.valor = problem.valor;
        }
    }
    if (m_options.codigoFora && !it->records.empty()) {
        // A code the service added after the catalogue was made, on the batch's first record.
        const Record &record = it->records.front();
        tavro::inconsistencias &item = result.inconsistencias.emplace_back();
        ProdutoVinculadoSimplesType &produto = item.produto.emplace();
        produto.coRegistroOrigem = record.produto.coRegistroOrigem;
        produto.coRegistro = record.coRegistro;
        InconsistenciaType &inconsistencia = item.inconsistencia.emplace();
        inconsistencia.coRegistroOrigem = record.produto.coRegistroOrigem;
        inconsistencia.codigo = *m_options.codigoFora;
        inconsistencia.mensagem = QStringLiteral("Código fora do catálogo");
    }
    return answer(QStringLiteral("respostaInconsistencias"), result);
}
