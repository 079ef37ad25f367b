#include "service/MessageXml.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"
#include "service/WsdlPort.h"

#include "ErrorText.h"
#include "Products.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::errorOf;

namespace {

const QString Ns = QStringLiteral("urn:t");

// The request element as the pipeline puts it into the Body.
template <class T>
QString written(const QString &element, const T &value)
{
    const QString document = QString::fromUtf8(
        SoapEnvelope::write([&](QXmlStreamWriter &writer) { MessageXml::write(writer, Ns, element, value); }));
    const QString open = QStringLiteral("<SOAP-ENV:Body>");
    const qsizetype from = document.indexOf(open) + open.size();
    return document.mid(from, document.indexOf(QStringLiteral("</SOAP-ENV:Body>")) - from);
}

// Reads `inner` as the content of an answer element.
template <class T>
T readAnswer(const QString &inner)
{
    const QByteArray document = "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body>"
                                "<ns:resposta xmlns:ns=\"urn:t\">"
        + inner.toUtf8() + "</ns:resposta></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    T value;
    SoapEnvelope::read(document, [&](QXmlStreamReader &reader) { MessageXml::read(reader, T::type(), &value); });
    return value;
}

ProdutoType stockProduct()
{
    return test::product<ProdutoType>(QStringLiteral("0000001234-000000000000567-L01"),
                                      QStringLiteral("BR0268331000019"), QStringLiteral("L01"), 40);
}

EstabelecimentoType unit()
{
    EstabelecimentoType e;
    e.coCNES = QStringLiteral("2345678");
    e.coTipoEstabelecimento = coTipoEstabelecimento::F;
    return e;
}

} // namespace

TEST(MessageWriting, FollowsFieldOrderPresenceNilAndQualificationRules)
{
    struct Case
    {
        const char *name;
        QString actual;
        QString expected;
    };

    InformarPosicaoEstoqueEmLoteType empty; // identification never assigned, no records
    InformarPosicaoEstoqueEmLoteType stock;
    stock.identificacao.emplace().coIBGE = 3550308;
    registro2 &first = stock.registro.emplace_back();
    first.estabelecimento = unit();
    first.produto = stockProduct();
    first.produto->sgProgramaSaude = QString(); // assigned empty: written empty
    stock.registro.push_back(first);            // a shared establishment is written in full twice
    stock.registro[1].produto->qtProduto = -3;
    stock.registro[1].produto->sgProgramaSaude.reset();
    stock.registro[1].produto->nuLote = QStringLiteral("A<&>\"é");

    RetificarEntradaMedicamentoEmLoteType rectification;
    IdentificacaoProtocoloType &id = rectification.identificacao.emplace();
    id.idOrigem = idOrigem::M;
    id.coIBGE = 3550308;
    id.nuProtocoloEntrada = QStringLiteral("100000000001");
    registro7 &entry = rectification.registro.emplace_back(); // establishment left empty: nil
    ProdutoVinculadoEntradaType &bought = entry.produto.emplace();
    static_cast<ProdutoType &>(bought) = stockProduct();
    bought.coRegistroOrigem.reset();
    bought.nuCNPJFabricante = QStringLiteral("12345678000199");
    bought.nuNotaFiscal = QStringLiteral("889");
    bought.nuValorUnitario = QStringLiteral("1.25");
    bought.nuCNPJDistribuidor = QStringLiteral("98765432000155");
    bought.tpEntradaEstoque = QStringLiteral("1");
    bought.coRegistro = 5000001;

    registro9 issue;
    issue.estabelecimento = unit();
    issue.estabelecimentoDestino.emplace().idIdentificacao = idIdentificacao::CNPJ;
    issue.estabelecimentoDestino->nuCNPJ = QStringLiteral("12345678000199");

    registro5 withoutPrescriber;
    withoutPrescriber.paciente.emplace().nuCNS = QStringLiteral("898001160660831");
    registro5 emptyPrescriber = withoutPrescriber;
    emptyPrescriber.prescritor.emplace();
    emptyPrescriber.paciente->cid10 = QStringLiteral("F20");
    emptyPrescriber.paciente->peso = QStringLiteral("70.5");

    const QString stockProductXml = QStringLiteral(
        "<coRegistroOrigem>0000001234-000000000000567-L01</coRegistroOrigem><nuProduto>BR0268331000019</nuProduto>");
    const Case cases[] = {
        {"unset required record and required enumeration, empty sequence",
         written(QStringLiteral("informarPosicaoEstoqueEmLote"), empty),
         QStringLiteral("<tav:informarPosicaoEstoqueEmLote xmlns:tav=\"urn:t\"><identificacao xsi:nil=\"true\"/>"
                        "</tav:informarPosicaoEstoqueEmLote>")},
        {"stock batch: order, empty optional, skipped optional, negative number, escaping, shared record",
         written(QStringLiteral("informarPosicaoEstoqueEmLote"), stock),
         QStringLiteral("<tav:informarPosicaoEstoqueEmLote xmlns:tav=\"urn:t\">"
                        "<identificacao><idOrigem>M</idOrigem><coIBGE>3550308</coIBGE></identificacao>"
                        "<registro><estabelecimento><coCNES>2345678</coCNES><coTipoEstabelecimento>F"
                        "</coTipoEstabelecimento></estabelecimento><produto>")
             + stockProductXml
             + QStringLiteral("<nuLote>L01</nuLote><dtValidade>31-12-2027</dtValidade><qtProduto>40</qtProduto>"
                              "<dtRegistro>15-01-2019</dtRegistro><sgProgramaSaude></sgProgramaSaude></produto>"
                              "</registro>"
                              "<registro><estabelecimento><coCNES>2345678</coCNES><coTipoEstabelecimento>F"
                              "</coTipoEstabelecimento></estabelecimento><produto>")
             + stockProductXml
             + QStringLiteral("<nuLote>A&lt;&amp;&gt;&quot;é</nuLote><dtValidade>31-12-2027</dtValidade>"
                              "<qtProduto>-3</qtProduto><dtRegistro>15-01-2019</dtRegistro></produto></registro>"
                              "</tav:informarPosicaoEstoqueEmLote>")},
        {"rectification of goods received: base fields first, coRegistro last",
         written(QStringLiteral("retificarEntradaMedicamentoEmLote"), rectification),
         QStringLiteral("<tav:retificarEntradaMedicamentoEmLote xmlns:tav=\"urn:t\"><identificacao><idOrigem>M"
                        "</idOrigem><coIBGE>3550308</coIBGE><nuProtocoloEntrada>100000000001</nuProtocoloEntrada>"
                        "</identificacao><registro><estabelecimento xsi:nil=\"true\"/><produto>"
                        "<nuProduto>BR0268331000019</nuProduto><nuLote>L01</nuLote><dtValidade>31-12-2027"
                        "</dtValidade><qtProduto>40</qtProduto><dtRegistro>15-01-2019</dtRegistro>"
                        "<nuCNPJFabricante>12345678000199</nuCNPJFabricante><nuNotaFiscal>889</nuNotaFiscal>"
                        "<nuValorUnitario>1.25</nuValorUnitario><nuCNPJDistribuidor>98765432000155"
                        "</nuCNPJDistribuidor><tpEntradaEstoque>1</tpEntradaEstoque><coRegistro>5000001"
                        "</coRegistro></produto></registro></tav:retificarEntradaMedicamentoEmLote>")},
        {"issue to a destination identified by CNPJ, hyphenated element, empty required texts",
         written(QStringLiteral("registro"), issue),
         QStringLiteral("<tav:registro xmlns:tav=\"urn:t\"><estabelecimento><coCNES>2345678</coCNES>"
                        "<coTipoEstabelecimento>F</coTipoEstabelecimento></estabelecimento><produto xsi:nil=\"true\"/>"
                        "<estabelecimento-destino><idIdentificacao>CNPJ</idIdentificacao><nuCNPJ>12345678000199"
                        "</nuCNPJ></estabelecimento-destino></tav:registro>")},
        {"dispensation without prescriber: patient with nuCNS only, no prescritor element",
         written(QStringLiteral("registro"), withoutPrescriber),
         QStringLiteral("<tav:registro xmlns:tav=\"urn:t\"><estabelecimento xsi:nil=\"true\"/>"
                        "<produto xsi:nil=\"true\"/><paciente><nuCNS>898001160660831</nuCNS></paciente>"
                        "</tav:registro>")},
        {"dispensation with an empty prescriber and cid-10", written(QStringLiteral("registro"), emptyPrescriber),
         QStringLiteral("<tav:registro xmlns:tav=\"urn:t\"><estabelecimento xsi:nil=\"true\"/>"
                        "<produto xsi:nil=\"true\"/><paciente><nuCNS>898001160660831</nuCNS><peso>70.5</peso>"
                        "<cid-10>F20</cid-10></paciente><prescritor/></tav:registro>")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(MessageWriting, UnsetProductWritesEveryRequiredFieldWithItsDefault)
{
    registro2 value;
    value.produto.emplace();
    value.estabelecimento.emplace();
    EXPECT_EQ(written(QStringLiteral("registro"), value),
              QStringLiteral("<tav:registro xmlns:tav=\"urn:t\"><estabelecimento/><produto>"
                             "<nuProduto></nuProduto><nuLote></nuLote><dtValidade></dtValidade><qtProduto>0"
                             "</qtProduto><dtRegistro></dtRegistro></produto></tav:registro>"));
    EstabelecimentoCNESCNPJType destination;
    EXPECT_EQ(written(QStringLiteral("e"), destination),
              QStringLiteral("<tav:e xmlns:tav=\"urn:t\"><idIdentificacao>CNES</idIdentificacao></tav:e>"));
}

TEST(MessageReading, ProcessingAnswer)
{
    const auto answer = readAnswer<RespostaProcessamentoLoteType>(QStringLiteral(
        "<ignorado>x</ignorado>"
        "<situacaoProcessamento>finalizado</situacaoProcessamento>"
        "<registro><produto><coRegistro>7</coRegistro><coRegistroOrigem>1-1</coRegistroOrigem>"
        "<qtProduto>3</qtProduto><nuCNPJFabricante xsi:nil=\"true\"/></produto><situacao>s</situacao></registro>"
        "<identificacao><coIBGE> 3550308 </coIBGE><idOrigem>e</idOrigem></identificacao>"
        "<registro xsi:nil=\"true\"/>"
        "<registro><produto xsi:nil=\"true\"/><situacao></situacao>"
        "<avaliacao><qtLMEavaliadaC1>1</qtLMEavaliadaC1><avAdequacao>N</avAdequacao></avaliacao>"
        "<avaliacao/></registro>"));
    ASSERT_TRUE(answer.identificacao);
    EXPECT_EQ(answer.identificacao->idOrigem, idOrigem::E);
    EXPECT_EQ(answer.identificacao->coIBGE, 3550308);
    EXPECT_EQ(answer.situacaoProcessamento, situacaoProcessamento::FINALIZADO);
    ASSERT_EQ(answer.registro.size(), 3u);
    const ProdutoNovoType &first = *answer.registro[0].produto;
    EXPECT_EQ(first.coRegistroOrigem, QStringLiteral("1-1"));
    EXPECT_EQ(first.coRegistro, 7);
    EXPECT_EQ(first.qtProduto, 3);
    EXPECT_EQ(first.nuCNPJFabricante, QString()); // nil: present, empty
    EXPECT_FALSE(first.nuLote.has_value());
    EXPECT_EQ(answer.registro[0].situacao, situacao::S);
    EXPECT_FALSE(answer.registro[1].produto.has_value());
    EXPECT_FALSE(answer.registro[2].produto.has_value());
    EXPECT_EQ(answer.registro[2].situacao, situacao::S); // empty text: first literal
    ASSERT_EQ(answer.registro[2].avaliacao.size(), 2u);
    EXPECT_EQ(answer.registro[2].avaliacao[0].avAdequacao, SimNaoEnumType::N);

    const auto waiting = readAnswer<RespostaProcessamentoLoteType>(QString());
    EXPECT_FALSE(waiting.identificacao.has_value());
    EXPECT_FALSE(waiting.situacaoProcessamento.has_value());
    EXPECT_TRUE(waiting.registro.empty());
}

TEST(MessageReading, InconsistencyAnswerKeepsDocumentOrder)
{
    const auto answer = readAnswer<InconsistenciaProcessamentoLoteType>(QStringLiteral(
        "<identificacao><idOrigem>M</idOrigem><coIBGE>3550308</coIBGE></identificacao>"
        "<inconsistencias><produto><coRegistroOrigem>10-1</coRegistroOrigem><coRegistro>5</coRegistro></produto>"
        "<inconsistencia><codigo>e025</codigo><mensagem>O registro já está cadastrado na base de dados definitiva"
        "</mensagem><campo xsi:nil=\"true\"/></inconsistencia></inconsistencias>"
        "<inconsistencias><avaliacao><coRegistro xsi:nil=\"true\"/></avaliacao><inconsistencia><codigo>E053</codigo>"
        "<mensagem>m</mensagem><coIBGE>3550308</coIBGE></inconsistencia></inconsistencias>"));
    ASSERT_EQ(answer.inconsistencias.size(), 2u);
    const auto &duplicate = answer.inconsistencias[0];
    EXPECT_EQ(duplicate.produto->coRegistroOrigem, QStringLiteral("10-1"));
    EXPECT_EQ(duplicate.inconsistencia->codigo, QStringLiteral("e025")); // as received; the catalogue reads it
    EXPECT_EQ(duplicate.inconsistencia->mensagem,
              QStringLiteral("O registro já está cadastrado na base de dados definitiva"));
    EXPECT_EQ(duplicate.inconsistencia->campo, QString());
    EXPECT_FALSE(duplicate.inconsistencia->valor.has_value());
    const auto &second = answer.inconsistencias[1];
    EXPECT_FALSE(second.produto.has_value());
    EXPECT_EQ(second.avaliacao->coRegistro, qint64(0));
    EXPECT_EQ(second.inconsistencia->codigo, QStringLiteral("E053"));
    EXPECT_EQ(second.inconsistencia->coIBGE, QStringLiteral("3550308")); // text here, not an integer
}

TEST(MessageReading, UnreadableValuesFailTheWholeAnswer)
{
    const struct
    {
        QString inner;
        QString message;
    } cases[] = {
        {QStringLiteral("<identificacao><coIBGE>35x</coIBGE></identificacao>"),
         QStringLiteral("'35x' is not a valid integer value")},
        {QStringLiteral("<identificacao><coIBGE/></identificacao>"), QStringLiteral("'' is not a valid integer value")},
        {QStringLiteral("<identificacao><idOrigem>X</idOrigem></identificacao>"),
         QStringLiteral("Invalid property element: X")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errorOf([&] { readAnswer<InconsistenciaProcessamentoLoteType>(c.inner); }), c.message)
            << c.inner.toStdString();
}

// The service may add inconsistency codes: one the catalogue lacks is read as its text.
TEST(MessageReading, InconsistencyCodeOutsideTheCatalogueIsKept)
{
    for (const QString &code : {QStringLiteral("E002"), QStringLiteral("E021"), QStringLiteral("E099")}) {
        const auto answer = readAnswer<InconsistenciaProcessamentoLoteType>(
            QStringLiteral("<inconsistencias><inconsistencia><codigo>%1</codigo><mensagem>m</mensagem>"
                           "</inconsistencia></inconsistencias>")
                .arg(code));
        ASSERT_EQ(answer.inconsistencias.size(), 1u);
        EXPECT_EQ(answer.inconsistencias[0].inconsistencia->codigo, code);
    }
}

TEST(SoapEnvelope, FaultAndForeignRootBecomeErrors)
{
    const QByteArray fault = "<?xml version=\"1.0\"?><S:Envelope xmlns:S=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                             "<S:Header/><S:Body><S:Fault><faultcode>S:Server</faultcode><faultstring>O identificador"
                             " não está no estado correto</faultstring><detail><x/></detail></S:Fault></S:Body>"
                             "</S:Envelope>";
    EXPECT_EQ(errorOf([&] { SoapEnvelope::read(fault, [](QXmlStreamReader &) {}); }),
              QStringLiteral("O identificador não está no estado correto"));
    EXPECT_EQ(errorOf([] { SoapEnvelope::read("<html xmlns=\"urn:h\"><body/></html>", [](QXmlStreamReader &) {}); }),
              QStringLiteral("DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
                             "urn:h:html found"));
}

TEST(WsdlPort, AddressAndActionsOfTheNamedPortOnly)
{
    const QByteArray wsdl = R"(<definitions xmlns="http://schemas.xmlsoap.org/wsdl/"
        xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:tns="urn:s">
      <service name="TavroWSService">
        <port name="TavroWSPort" binding="tns:Sync"><soap:address location="http://h/sync"/></port>
        <port name="TavroWSAsyncPort" binding="tns:Async"><soap:address location="http://h/async"/></port>
      </service>
      <binding name="Sync"><soap:binding style="document"/>
        <operation name="consultarInconsistencias"><soap:operation soapAction="sync-action"/></operation></binding>
      <binding name="Async"><soap:binding style="document"/>
        <operation name="consultarInconsistencias"><soap:operation soapAction="urn:consultar"/></operation>
        <operation name="informarPosicaoEstoqueEmLote"><soap:operation/></operation></binding>
    </definitions>)";
    const WsdlPort port = WsdlPort::read(wsdl, QStringLiteral("TavroWSService"), QStringLiteral("TavroWSAsyncPort"));
    EXPECT_EQ(port.address(), QStringLiteral("http://h/async"));
    EXPECT_EQ(port.action(QStringLiteral("consultarInconsistencias")), QStringLiteral("urn:consultar"));
    EXPECT_EQ(port.action(QStringLiteral("informarPosicaoEstoqueEmLote")), QString());
    EXPECT_EQ(WsdlPort::read(wsdl, QStringLiteral("Outro"), QStringLiteral("TavroWSAsyncPort")).address(), QString());
}
