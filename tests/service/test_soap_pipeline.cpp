#include "ErrorText.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"

#include "service/CallLog.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "session/Login.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/mount.h>
#include <unistd.h>

using namespace tavro;
using tavro::test::errorOf;
using tavro::test::errorWithHintOf;
using tavro::test::SimProcess;

namespace {

const QString AsyncPath = QStringLiteral("/tavro-ws-service/TavroWSService/TavroWSAsync");
const QString WsdlPath = QStringLiteral("/tavro-ws-service/TavroWSService/TavroWS?wsdl");
const QString Base = tavro::test::TestNamespace;
const QString Duplicate = QStringLiteral("O registro já está cadastrado na base de dados definitiva");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

registro2 stockRecord(const QString &origem, const QString &lote = QStringLiteral("L01"))
{
    registro2 record;
    EstabelecimentoType &unit = record.estabelecimento.emplace();
    unit.coCNES = QStringLiteral("2345678");
    unit.coTipoEstabelecimento = coTipoEstabelecimento::F;
    ProdutoType &product = record.produto.emplace();
    product.coRegistroOrigem = origem;
    product.nuProduto = QStringLiteral("BR0268331000019");
    product.nuLote = lote;
    product.dtValidade = QStringLiteral("31-12-2027");
    product.qtProduto = 40;
    product.dtRegistro = QStringLiteral("15-01-2019");
    return record;
}

InformarPosicaoEstoqueEmLoteType stockBatch(std::initializer_list<registro2> records)
{
    InformarPosicaoEstoqueEmLoteType batch;
    batch.identificacao.emplace().coIBGE = 3550308;
    batch.registro = records;
    return batch;
}

ProtocoloType query(const ProtocoloType &answer)
{
    ProtocoloType protocol;
    protocol.nuProtocoloEntrada = answer.nuProtocoloEntrada;
    protocol.dtRecebimento = answer.dtRecebimento.left(25); // as the registry keeps it
    return protocol;
}

class SoapPipeline : public ::testing::Test
{
public:
    void start(const QStringList &arguments, int tempoLimite = 30, const QString &scheme = QStringLiteral("http"))
    {
        m_sim = std::make_unique<SimProcess>(test::simArguments(m_login, arguments));
        useServer(test::localOrigin(m_sim->port(), scheme), tempoLimite);
    }

    void useServer(const QString &origin, int tempoLimite = 30)
    {
        m_origin = origin;
        m_client = test::makeClient(m_transport, origin, m_logFolder, m_login, tempoLimite, [this] { return m_now; });
    }

    TavroWSAsync port() { return GetTavroWSAsync(true, QString(), *m_client); }
    QString logPath(const char *suffix) const { return m_logFolder + QStringLiteral("/2026_12_10_03_04_05") + suffix; }
    QString wsdl() const { return m_origin + WsdlPath; }
    QString endpoint() const { return m_origin + AsyncPath; }

    QTemporaryDir m_dir;
    QString m_logFolder = m_dir.filePath(QStringLiteral("programa/Tavro")); // not there yet
    QDateTime m_now{QDate(2026, 12, 10), QTime(3, 4, 5)};
    LoginValues m_login = test::TestLogin;
    HttpTransport m_transport;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<SoapClient> m_client;
    QString m_origin;
};

} // namespace

TEST_F(SoapPipeline, BatchProcessingAndDuplicateReadTheWsdlBeforeEveryCall)
{
    start({QStringLiteral("--aguardando"), QStringLiteral("1")});
    const ProtocoloType sent = port().informarPosicaoEstoqueEmLote(
        stockBatch({stockRecord(QStringLiteral("0000000001-000000000000567-L01")),
                    stockRecord(QStringLiteral("0000000002-000000000000567-L02"), QStringLiteral("L02"))}));
    EXPECT_FALSE(sent.nuProtocoloEntrada.isEmpty());
    EXPECT_FALSE(sent.dtRecebimento.isEmpty());

    const RespostaProcessamentoLoteType waiting = port().consultarResultadoProcessamento(query(sent));
    EXPECT_EQ(waiting.situacaoProcessamento, situacaoProcessamento::AGUARDANDO);
    EXPECT_TRUE(waiting.registro.empty());
    const RespostaProcessamentoLoteType done = port().consultarResultadoProcessamento(query(sent));
    EXPECT_EQ(done.situacaoProcessamento, situacaoProcessamento::FINALIZADO);
    ASSERT_TRUE(done.identificacao);
    EXPECT_EQ(done.identificacao->coIBGE, 3550308);
    ASSERT_EQ(done.registro.size(), 2u);
    EXPECT_EQ(done.registro[1].produto->coRegistroOrigem, QStringLiteral("0000000002-000000000000567-L02"));
    EXPECT_GT(done.registro[1].produto->coRegistro.value_or(0), 0);
    EXPECT_TRUE(port().consultarInconsistencias(query(sent)).inconsistencias.empty());

    // The same record again: accepted before, so reported as a duplicate.
    const ProtocoloType again = port().informarPosicaoEstoqueEmLote(
        stockBatch({stockRecord(QStringLiteral("0000000001-000000000000567-L01"))}));
    EXPECT_NE(again.nuProtocoloEntrada, sent.nuProtocoloEntrada);
    port().consultarResultadoProcessamento(query(again));
    port().consultarResultadoProcessamento(query(again));
    const InconsistenciaProcessamentoLoteType report = port().consultarInconsistencias(query(again));
    ASSERT_EQ(report.inconsistencias.size(), 1u);
    EXPECT_EQ(report.inconsistencias[0].produto->coRegistroOrigem, QStringLiteral("0000000001-000000000000567-L01"));
    EXPECT_EQ(report.inconsistencias[0].inconsistencia->codigo, QStringLiteral("E025"));
    EXPECT_EQ(report.inconsistencias[0].inconsistencia->mensagem, Duplicate);

    const QStringList requests = m_sim->requests();
    ASSERT_EQ(requests.size(), 16);
    for (qsizetype i = 0; i < requests.size(); i += 2) {
        EXPECT_EQ(requests[i], QStringLiteral("GET ") + WsdlPath);
        EXPECT_TRUE(requests[i + 1].startsWith(QStringLiteral("POST ") + AsyncPath)) << requests[i + 1].toStdString();
    }
    EXPECT_TRUE(
        requests[1].contains(QStringLiteral("SOAPAction=\"urn:tavro-test/tavro-ws/informarPosicaoEstoqueEmLote\" ")));
    EXPECT_TRUE(requests[3].contains(QStringLiteral("/consultarResultadoProcessamento\" ")));
}

TEST(BasicAuthorization, OneByteACharacterAndStandardBase64)
{
    const QString hundred = QString(99, QLatin1Char('u')) + QChar(0xE9);
    const struct
    {
        QString user;
        QString password;
        QByteArray header;
    } cases[] = {
        {QString(), QString(), "Basic Og=="},
        {QStringLiteral("farmacia.ws"), QStringLiteral("segredo-ws"), "Basic ZmFybWFjaWEud3M6c2VncmVkby13cw=="},
        {QStringLiteral("jos\u00e9"), QStringLiteral("\u20ac1\U0001F600"),
         "Basic " + QByteArray("jos\xe9:?1?").toBase64()},
        {hundred, hundred,
         "Basic " + QByteArray(QByteArray(99, 'u') + "\xe9:" + QByteArray(99, 'u') + "\xe9").toBase64()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(basicAuthorization(c.user, c.password), c.header) << c.user.toStdString();
    EXPECT_EQ(basicAuthorization(hundred, hundred).size(), 6 + 268);
}

TEST_F(SoapPipeline, AuthorizationHeaderReachesTheServerAsBuilt)
{
    m_login.TavroUsuarioSessao = QString(100, QLatin1Char('u'));
    m_login.TavroSenhaSessao = QString(100, QLatin1Char('s'));
    start({});
    port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord(QStringLiteral("1-1"))}));
    const QStringList requests = m_sim->requests();
    ASSERT_EQ(requests.size(), 2);
    const QString header = requests[1].section(QStringLiteral(" Authorization="), 1);
    EXPECT_EQ(header, QString::fromLatin1(basicAuthorization(m_login.TavroUsuarioSessao, m_login.TavroSenhaSessao)));
    EXPECT_EQ(header.size(), 6 + 268);
    EXPECT_TRUE(requests[0].startsWith(QStringLiteral("GET "))); // the description is fetched without credentials

    m_login.TavroSenhaSessao = QStringLiteral("outra");
    EXPECT_EQ(errorOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({})); }),
              QStringLiteral("Usuário ou senha inválidos"));
}

TEST_F(SoapPipeline, LogsHoldTheMessagesByteForByteInAFolderMadeOnFirstUseAndReplaceNone)
{
    start({});
    const ProtocoloType sent = port().informarPosicaoEstoqueEmLote(
        stockBatch({stockRecord(QStringLiteral("1-1"), QStringLiteral("Lé"))}));

    const QByteArray prefix = "<!--" + wsdl().toLatin1() + "-->";
    const QByteArray request = readFile(logPath("_req.xml"));
    ASSERT_TRUE(request.startsWith(prefix)) << request.left(200).toStdString();
    const QByteArray posted = request.mid(prefix.size());
    EXPECT_TRUE(posted.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope"));
    EXPECT_TRUE(posted.endsWith("</SOAP-ENV:Envelope>\n"));
    EXPECT_TRUE(posted.contains("<nuLote>L\xc3\xa9</nuLote>"));
    EXPECT_TRUE(m_sim->requests().value(1).contains(QStringLiteral(" Length=%1 ").arg(posted.size())));

    // The answer log names the request it answers and the answer's status after the answer.
    const QByteArray answerLog = readFile(logPath("_res.xml"));
    ASSERT_TRUE(answerLog.startsWith(prefix));
    const std::optional<AnswerLog> logged = parseAnswerLog(answerLog);
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->requestDigest, requestDigest(posted));
    EXPECT_EQ(logged->status, 200);
    const QByteArray answer = logged->message;
    const QByteArray number = sent.nuProtocoloEntrada.toLatin1();
    EXPECT_TRUE(answer.contains(QByteArray("<nuProtocoloEntrada>" + number + "</nuProtocoloEntrada>")));
    EXPECT_TRUE(answer.endsWith("</SOAP-ENV:Envelope>\n"));

    // By direct address: no description is read, and the log names no WSDL.
    m_now = m_now.addSecs(1);
    GetTavroWSAsync(false, QString(), *m_client).informarPosicaoEstoqueEmLote(stockBatch({}));
    const QStringList requests = m_sim->requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].contains(QStringLiteral("SOAPAction=\"tav:informarPosicaoEstoqueEmLote\"")));
    EXPECT_TRUE(readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_req.xml")).startsWith("<!---->"));

    // A second call within the same second keeps the first call's logs.
    GetTavroWSAsync(false, QString(), *m_client).informarPosicaoEstoqueEmLote(stockBatch({}));
    EXPECT_TRUE(readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_req.xml")).startsWith("<!---->"));
    EXPECT_TRUE(readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_2_req.xml")).startsWith("<!---->"));
    EXPECT_TRUE(
        readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_2_res.xml")).contains("nuProtocoloEntrada"));
    EXPECT_NE(readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_res.xml")),
              readFile(m_logFolder + QStringLiteral("/2026_12_10_03_04_06_2_res.xml")));
}

TEST_F(SoapPipeline, EveryFailureOfTheCallHasItsMessage)
{
    const QString unreachable = test::localOrigin(test::unusedPort());

    const QString fault = QStringLiteral("O identificador não está no estado correto");
    const struct
    {
        QStringList arguments;
        std::function<QString(SoapPipeline &)> message;
        int tempoLimite = 30;
        QString hint = QString(); // the plain line the operator gets below the message
    } cases[] = {
        {{QStringLiteral("--falha-status"), QStringLiteral("404"), QStringLiteral("--falha-texto"),
          QStringLiteral("Not Found")},
         [](SoapPipeline &t) { return QStringLiteral("Not Found (404) - '%1'").arg(t.endpoint()); }},
        {{QStringLiteral("--falha-status"), QStringLiteral("503"), QStringLiteral("--falha-texto"),
          QStringLiteral("Servico Indisponivel")},
         [](SoapPipeline &t) { return QStringLiteral("Servico Indisponivel (503) - '%1'").arg(t.endpoint()); }},
        {{QStringLiteral("--falha-status"), QStringLiteral("401"), QStringLiteral("--falha-texto"),
          QStringLiteral("Unauthorized")},
         [](SoapPipeline &t) { return QStringLiteral("Unauthorized (401) - '%1'").arg(t.endpoint()); },
         30,
         ErrorHint::UsuarioRecusado},
        {{QStringLiteral("--falha-fault"), QStringLiteral("Usuário ou senha inválidos")},
         [](SoapPipeline &) { return QStringLiteral("Usuário ou senha inválidos"); },
         30,
         ErrorHint::UsuarioRecusado},
        {{QStringLiteral("--falha-fault"), fault}, [fault](SoapPipeline &) { return fault; }},
        {{QStringLiteral("--falha-html")},
         [](SoapPipeline &) {
             return QStringLiteral("Received content of invalid Content-Type setting: text/html; charset=utf-8 - "
                                   "SOAP expects \"text/xml\"");
         }},
        {{QStringLiteral("--falha-raiz")},
         [](SoapPipeline &) {
             return QStringLiteral(
                 "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, :resposta found");
         }},
        {{QStringLiteral("--sem-endereco")},
         [](SoapPipeline &t) {
             return QStringLiteral("Unable to retrieve the URL endpoint for Service/Port "
                                   "'TavroWSService'/'TavroWSAsyncPort' from WSDL '%1'")
                 .arg(t.wsdl());
         }},
        {{QStringLiteral("--atraso"), QStringLiteral("3000")},
         [](SoapPipeline &t) {
             return QStringLiteral("O serviço não respondeu dentro do tempo limite (1 s) - URL:%1 - SOAPAction:%2")
                 .arg(t.endpoint(), Base + QStringLiteral("/tavro-ws/informarPosicaoEstoqueEmLote"));
         },
         1,
         ErrorHint::SemResposta},
        {{QStringLiteral("--silencio")},
         [](SoapPipeline &t) {
             return QStringLiteral("O serviço não respondeu dentro do tempo limite (1 s) - URL:%1 - SOAPAction:%2")
                 .arg(t.endpoint(), Base + QStringLiteral("/tavro-ws/informarPosicaoEstoqueEmLote"));
         },
         1,
         ErrorHint::SemResposta},
    };
    for (const auto &c : cases) {
        start(c.arguments, c.tempoLimite);
        QDir(m_logFolder).removeRecursively();
        EXPECT_EQ(errorWithHintOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord("1-1")})); }),
                  withHint(c.message(*this), c.hint))
            << c.arguments.join(' ').toStdString();
    }

    // The fault's answer was logged before it was read, under its request's name.
    start({QStringLiteral("--falha-fault"), fault});
    QDir(m_logFolder).removeRecursively();
    EXPECT_EQ(errorOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({})); }), fault);
    const QByteArray logged = readFile(logPath("_res.xml"));
    EXPECT_TRUE(logged.contains(QByteArray("<faultstring>" + fault.toUtf8() + "</faultstring>")));

    useServer(unreachable);
    EXPECT_EQ(errorWithHintOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({})); }),
              QStringLiteral("Connection refused - URL:%1\n").arg(wsdl()) + ErrorHint::SemConexao);
}

TEST(ErrorHint, OnlyAFaultRefusingTheLoginGetsTheCredentialsHint)
{
    const struct
    {
        const char *fault;
        bool credentials;
    } cases[] = {
        {"Usuário ou senha inválidos", true},
        {"Senha incorreta para o usuário farmacia.ws", true},
        {"Acesso negado: credenciais inválidas", true},
        {"Invalid username or password", true},
        {"O identificador não está no estado correto", false},
        {"Usuário sem permissão para o CNES informado", false},
        {"Data inválida", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(faultHint(QString::fromUtf8(c.fault)), c.credentials ? ErrorHint::UsuarioRecusado : QString())
            << c.fault;
}

namespace {

// A tmpfs of 64 KiB mounted on `path` and filled to the last byte; unmounted at the end.
class FullFolder
{
public:
    explicit FullFolder(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        QDir().mkpath(path);
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, "size=64k,mode=0700") == 0;
        QFile filler(path + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (m_mounted && filler.write(QByteArray(512, 'x')) > 0) {
        }
    }
    ~FullFolder()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_path;
    bool m_mounted = false;
};

} // namespace

// The request's log is on disk before anything is posted: a folder that cannot hold it stops
// the call after the description was read, with the folder and the system's reason, and
// leaves no partial log behind.
TEST_F(SoapPipeline, ARequestLogThatCannotBeWrittenStopsTheCallBeforeThePost)
{
    start({});
    const QString fullFolder = m_dir.filePath(QStringLiteral("cheia"));
    FullFolder full(fullFolder);
    // Mounting needs root, as ./dev test and CI run; another account checks the folder case alone.
    ASSERT_TRUE(full.mounted() || ::geteuid() != 0) << "a tmpfs could not be mounted";
    QFile blocker(m_dir.filePath(QStringLiteral("programa")));
    blocker.open(QIODevice::WriteOnly); // a file where the log folder's parent should be
    blocker.close();
    const struct
    {
        QString folder;
        const char *reason;
    } cases[] = {{m_logFolder, "Not a directory"}, {fullFolder, "No space left on device"}};
    for (const auto &c : cases) {
        if (c.folder == fullFolder && !full.mounted())
            continue;
        m_logFolder = c.folder;
        useServer(m_origin);
        EXPECT_EQ(errorOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord("1-1")})); }),
                  QStringLiteral("Não foi possível gravar o log do pedido na pasta %1: %2")
                      .arg(c.folder, QLatin1String(c.reason)));
        EXPECT_EQ(m_sim->requests(), QStringList{QStringLiteral("GET ") + WsdlPath}) << c.reason;
        EXPECT_EQ(QDir(c.folder).entryList({QStringLiteral("*.xml")}), QStringList()) << c.reason;
    }
}

namespace {

// A service that keeps its connection open after the description and closes it as soon as
// it has read a whole call, without a byte of answer: the moment an HTTP library would post
// the same body again on a fresh connection.
class ClosingService
{
public:
    ClosingService()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }
    QString origin() const { return test::localOrigin(m_server.serverPort()); }
    int posts = 0;

private:
    void serve(QTcpSocket *socket)
    {
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            received->append(socket->readAll());
            const qsizetype headerEnd = received->indexOf("\r\n\r\n");
            const qsizetype length = received->mid(received->toLower().indexOf("content-length:") + 15).toLongLong();
            if (headerEnd < 0 || received->size() < headerEnd + 4 + (received->startsWith("POST") ? length : 0))
                return;
            if (received->startsWith("POST")) {
                ++posts;
                socket->disconnectFromHost();
                return;
            }
            const QByteArray wsdl = "<definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\" xmlns:soap=\""
                                    "http://schemas.xmlsoap.org/wsdl/soap/\"><service name=\"TavroWSService\">"
                                    "<port name=\"TavroWSAsyncPort\"><soap:address location=\""
                + origin().toLatin1() + "/async\"/></port></service></definitions>";
            received->clear();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                          + QByteArray::number(wsdl.size()) + "\r\n\r\n" + wsdl);
        });
    }

    QTcpServer m_server;
};

} // namespace

// A connection closed after the request left is the call's failure: the service got the
// batch once, on the connection kept from the description or on a fresh one.
TEST_F(SoapPipeline, ABatchIsPostedOnceWhenTheConnectionClosesUnanswered)
{
    for (const bool wsdl : {true, false}) {
        SCOPED_TRACE(wsdl ? "after the description" : "direct address");
        ClosingService service;
        useServer(service.origin());
        TavroWSAsync async = GetTavroWSAsync(wsdl, wsdl ? QString() : service.origin() + "/async", *m_client);
        EXPECT_EQ(errorWithHintOf([&] { async.informarPosicaoEstoqueEmLote(stockBatch({stockRecord("1-1")})); }),
                  QStringLiteral("A conexão foi encerrada depois do envio do pedido, sem resposta; o pedido não é "
                                 "enviado de novo - URL:%1/async - SOAPAction:tav:informarPosicaoEstoqueEmLote\n")
                          .arg(service.origin())
                      + ErrorHint::SemConexao);
        EXPECT_EQ(service.posts, 1);
    }
}

// The description, the call and the next calls share one connection, over http and https.
TEST_F(SoapPipeline, OneConnectionServesTheDescriptionAndEveryCall)
{
    for (const char *scheme : {"http", "https"}) {
        SCOPED_TRACE(scheme);
        QStringList arguments{QStringLiteral("--conexoes")};
        if (scheme == QLatin1String("https"))
            arguments << QStringLiteral("--tls");
        start(arguments, 30, QLatin1String(scheme));
        for (int call = 0; call < 3; ++call)
            port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord(QStringLiteral("1-%1").arg(call))}));
        const QStringList lines = m_sim->requests();
        EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^connection "))), QStringList{"connection 1"});
        EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^(GET|POST) "))).size(), 6);
    }
}

TEST_F(SoapPipeline, OnlyTheFirstCallsFailWhenTheSubstituteIsToldSo)
{
    const QString fault = QStringLiteral("Could not roll back Hibernate transaction");
    start({QStringLiteral("--falha-fault"), fault, QStringLiteral("--falhas"), QStringLiteral("1")});
    EXPECT_EQ(errorOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({})); }), fault);
    EXPECT_FALSE(port().informarPosicaoEstoqueEmLote(stockBatch({})).nuProtocoloEntrada.isEmpty());
}

TEST_F(SoapPipeline, ACodeOutsideTheCatalogueReachesTheCallerOnItsRecord)
{
    start(
        {QStringLiteral("--aguardando"), QStringLiteral("0"), QStringLiteral("--codigo-fora"), QStringLiteral("E021")});
    const ProtocoloType sent = port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord(QStringLiteral("1-1"))}));
    EXPECT_EQ(port().consultarResultadoProcessamento(query(sent)).situacaoProcessamento,
              situacaoProcessamento::FINALIZADO);
    const InconsistenciaProcessamentoLoteType report = port().consultarInconsistencias(query(sent));
    ASSERT_EQ(report.inconsistencias.size(), 1u);
    EXPECT_EQ(report.inconsistencias[0].produto->coRegistroOrigem, QStringLiteral("1-1"));
    EXPECT_EQ(report.inconsistencias[0].inconsistencia->codigo, QStringLiteral("E021"));
}

TEST_F(SoapPipeline, TlsWithASelfSignedCertificateAndNoActionInTheWsdl)
{
    start({QStringLiteral("--tls"), QStringLiteral("--sem-acao")}, 30, QStringLiteral("https"));
    const ProtocoloType sent = port().informarPosicaoEstoqueEmLote(stockBatch({stockRecord(QStringLiteral("1-1"))}));
    EXPECT_FALSE(sent.nuProtocoloEntrada.isEmpty());
    EXPECT_TRUE(m_sim->requests().value(1).contains(QStringLiteral("SOAPAction=\"tav:informarPosicaoEstoqueEmLote\"")));
}

namespace {

// The eight fields every product movement starts with, all present.
template <class Product>
Product product(const QString &origem)
{
    Product p;
    p.coRegistroOrigem = origem;
    p.nuProduto = QStringLiteral("BR0268331000019");
    p.nuLote = QStringLiteral("L01");
    p.dtValidade = QStringLiteral("31-12-2027");
    p.qtProduto = 40;
    p.dtRegistro = QStringLiteral("15-01-2019");
    p.sgProgramaSaude = QStringLiteral("HIPERDIA");
    p.coIUM = QStringLiteral("IUM7");
    return p;
}

template <class Identification>
Identification identification()
{
    Identification id;
    id.idOrigem = idOrigem::M;
    id.coIBGE = 3550308;
    return id;
}

template <class Batch>
Batch batch()
{
    Batch b;
    b.identificacao = identification<IdentificacaoType>();
    return b;
}

template <class Batch>
Batch rectification()
{
    Batch b;
    b.identificacao = identification<IdentificacaoProtocoloType>();
    b.identificacao->nuProtocoloEntrada = QStringLiteral("100000000001");
    return b;
}

template <class Product>
Product entry(const QString &origem)
{
    Product p = product<Product>(origem);
    p.nuCNPJFabricante = QStringLiteral("12345678000199");
    p.noFabricanteInternacional = QStringLiteral("Pharma GmbH");
    p.nuNotaFiscal = QStringLiteral("889");
    p.nuValorUnitario = QStringLiteral("1.25");
    p.nuCNPJDistribuidor = QStringLiteral("98765432000155");
    p.tpEntradaEstoque = QStringLiteral("1");
    return p;
}

EstabelecimentoCNESCNPJType establishment(idIdentificacao by, const QString &code)
{
    EstabelecimentoCNESCNPJType e;
    e.idIdentificacao = by;
    (by == idIdentificacao::CNES ? e.coCNES : e.nuCNPJ) = code;
    return e;
}

} // namespace

// The six batch requests, written out by hand from the contract: element names, their
// order and nesting, the namespace and the envelope, compared byte for byte with what
// the pipeline posts (as its request log holds it). The substitute reads requests with
// the same codec, so only this table would see a field renamed, moved or requalified.
TEST_F(SoapPipeline, BatchRequestsAreTheContractsDocumentsByteForByte)
{
    EstabelecimentoType unit;
    unit.coCNES = QStringLiteral("2345678");
    unit.coTipoEstabelecimento = coTipoEstabelecimento::F;

    InformarPosicaoEstoqueEmLoteType stock = batch<InformarPosicaoEstoqueEmLoteType>();
    stock.registro.push_back({unit, product<ProdutoType>(QStringLiteral("5001"))});

    RetificarPosicaoEstoqueEmLoteType stockRectification = rectification<RetificarPosicaoEstoqueEmLoteType>();
    stockRectification.registro.push_back({unit, product<ProdutoVinculadoType>(QStringLiteral("5001"))});
    stockRectification.registro[0].produto->coRegistro = 5000001;

    InformarEntradaMedicamentoEmLoteType entries = batch<InformarEntradaMedicamentoEmLoteType>();
    entries.registro.push_back({unit, entry<ProdutoEntradaType>(QStringLiteral("1001-1"))});

    RetificarEntradaMedicamentoEmLoteType entryRectification = rectification<RetificarEntradaMedicamentoEmLoteType>();
    entryRectification.registro.push_back({unit, entry<ProdutoVinculadoEntradaType>(QStringLiteral("1001-1"))});
    entryRectification.registro[0].produto->coRegistro = 5000002;

    InformarSaidaMedicamentoEmLoteType issues = batch<InformarSaidaMedicamentoEmLoteType>();
    ProdutoSaidaType issued = product<ProdutoSaidaType>(QStringLiteral("2001-1"));
    issued.nuCNPJFabricante = QStringLiteral("12345678000199");
    issued.noFabricanteInternacional = QStringLiteral("Pharma GmbH");
    issued.tpSaida = QStringLiteral("2");
    issues.registro.push_back({unit, issued, establishment(idIdentificacao::CNPJ, QStringLiteral("11222333000181"))});
    issued.coRegistroOrigem = QStringLiteral("2001-2");
    issues.registro.push_back({unit, issued, establishment(idIdentificacao::CNES, QStringLiteral("7654321"))});

    InformarDispensacaoMedicamentoEmLoteType dispensations = batch<InformarDispensacaoMedicamentoEmLoteType>();
    ProdutoDispensacaoType dispensed = product<ProdutoDispensacaoType>(QStringLiteral("3001-1"));
    dispensed.dtCompetencia = QStringLiteral("01-2019");
    PacienteType patient;
    patient.nuCNS = QStringLiteral("898001160660831");
    patient.peso = QStringLiteral("70.5");
    patient.altura = 172;
    patient.cid10 = QStringLiteral("F20");
    PrescritorType prescriber;
    prescriber.coCNES = QStringLiteral("2345678");
    prescriber.nuCRM = 123456;
    prescriber.ufCRM = QStringLiteral("SP");
    const EstabelecimentoCNESCNPJType pharmacy = establishment(idIdentificacao::CNES, QStringLiteral("2345678"));
    dispensations.registro.push_back({pharmacy, dispensed, patient, prescriber});
    dispensed.coRegistroOrigem = QStringLiteral("3001-2");
    dispensations.registro.push_back({pharmacy, dispensed, patient, std::nullopt});

    const QByteArray unitXml = "<estabelecimento><coCNES>2345678</coCNES><coTipoEstabelecimento>F"
                               "</coTipoEstabelecimento></estabelecimento>";
    const QByteArray identificationXml = "<identificacao><idOrigem>M</idOrigem><coIBGE>3550308</coIBGE>"
                                         "</identificacao>";
    const QByteArray protocolIdentificationXml = "<identificacao><idOrigem>M</idOrigem><coIBGE>3550308</coIBGE>"
                                                 "<nuProtocoloEntrada>100000000001</nuProtocoloEntrada>"
                                                 "</identificacao>";
    const auto productXml = [](const QByteArray &origem) -> QByteArray {
        return "<coRegistroOrigem>" + origem
            + "</coRegistroOrigem><nuProduto>BR0268331000019</nuProduto>"
              "<nuLote>L01</nuLote><dtValidade>31-12-2027</dtValidade><qtProduto>40</qtProduto>"
              "<dtRegistro>15-01-2019</dtRegistro><sgProgramaSaude>HIPERDIA</sgProgramaSaude><coIUM>IUM7</coIUM>";
    };
    const QByteArray entryXml = "<nuCNPJFabricante>12345678000199</nuCNPJFabricante>"
                                "<noFabricanteInternacional>Pharma GmbH</noFabricanteInternacional>"
                                "<nuNotaFiscal>889</nuNotaFiscal><nuValorUnitario>1.25</nuValorUnitario>"
                                "<nuCNPJDistribuidor>98765432000155</nuCNPJDistribuidor>"
                                "<tpEntradaEstoque>1</tpEntradaEstoque>";
    const QByteArray issueXml = "<nuCNPJFabricante>12345678000199</nuCNPJFabricante>"
                                "<noFabricanteInternacional>Pharma GmbH</noFabricanteInternacional>"
                                "<tpSaida>2</tpSaida>";
    const QByteArray patientXml = "<paciente><nuCNS>898001160660831</nuCNS><peso>70.5</peso><altura>172</altura>"
                                  "<cid-10>F20</cid-10></paciente>";
    const QByteArray pharmacyXml = "<estabelecimento><idIdentificacao>CNES</idIdentificacao><coCNES>2345678"
                                   "</coCNES></estabelecimento>";

    const struct
    {
        const char *element;
        std::function<void(TavroWSAsync &)> send;
        QByteArray content;
    } cases[] = {
        {"informarPosicaoEstoqueEmLote", [&](TavroWSAsync &p) { p.informarPosicaoEstoqueEmLote(stock); },
         identificationXml + "<registro>" + unitXml + "<produto>" + productXml("5001") + "</produto></registro>"},
        {"retificarPosicaoEstoqueEmLote", [&](TavroWSAsync &p) { p.retificarPosicaoEstoqueEmLote(stockRectification); },
         protocolIdentificationXml + "<registro>" + unitXml + "<produto>" + productXml("5001")
             + "<coRegistro>5000001</coRegistro></produto></registro>"},
        {"informarEntradaMedicamentoEmLote", [&](TavroWSAsync &p) { p.informarEntradaMedicamentoEmLote(entries); },
         identificationXml + "<registro>" + unitXml + "<produto>" + productXml("1001-1") + entryXml
             + "</produto></registro>"},
        {"retificarEntradaMedicamentoEmLote",
         [&](TavroWSAsync &p) { p.retificarEntradaMedicamentoEmLote(entryRectification); },
         protocolIdentificationXml + "<registro>" + unitXml + "<produto>" + productXml("1001-1") + entryXml
             + "<coRegistro>5000002</coRegistro></produto></registro>"},
        {"informarSaidaMedicamentoEmLote", [&](TavroWSAsync &p) { p.informarSaidaMedicamentoEmLote(issues); },
         identificationXml + "<registro>" + unitXml + "<produto>" + productXml("2001-1") + issueXml
             + "</produto><estabelecimento-destino><idIdentificacao>CNPJ</idIdentificacao>"
               "<nuCNPJ>11222333000181</nuCNPJ></estabelecimento-destino></registro>"
             + "<registro>" + unitXml + "<produto>" + productXml("2001-2") + issueXml
             + "</produto><estabelecimento-destino><idIdentificacao>CNES</idIdentificacao>"
               "<coCNES>7654321</coCNES></estabelecimento-destino></registro>"},
        {"informarDispensacaoMedicamentoEmLote",
         [&](TavroWSAsync &p) { p.informarDispensacaoMedicamentoEmLote(dispensations); },
         identificationXml + "<registro>" + pharmacyXml + "<produto>" + productXml("3001-1")
             + "<dtCompetencia>01-2019</dtCompetencia></produto>" + patientXml
             + "<prescritor><coCNES>2345678</coCNES><nuCRM>123456</nuCRM><ufCRM>SP</ufCRM></prescritor></registro>"
             + "<registro>" + pharmacyXml + "<produto>" + productXml("3001-2")
             + "<dtCompetencia>01-2019</dtCompetencia></produto>" + patientXml + "</registro>"},
    };

    start({});
    for (const auto &c : cases) {
        m_now = m_now.addSecs(1);
        TavroWSAsync p = port();
        EXPECT_NO_THROW(c.send(p)) << c.element;
        const QByteArray expected
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope "
              "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
              "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
              "<SOAP-ENV:Body><tav:"
            + QByteArray(c.element) + " xmlns:tav=\"urn:tavro-test/tavro-ws/schemas/v1/TavroTypes\">" + c.content
            + "</tav:" + c.element + "></SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
        const QByteArray logged = readFile(m_logFolder + QLatin1Char('/')
                                           + m_now.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss")) + "_req.xml");
        EXPECT_EQ(logged.mid(logged.indexOf("-->") + 3), expected) << c.element;
    }
}
// tavro-sim --tls serves a self-signed certificate made out to 127.0.0.1. Its certificate is
// checked only when the settings ask for it; a failed check is a transfer failure with its
// reason, before anything is posted.
TEST_F(SoapPipeline, TlsCertificateVerifiedOnlyWhenAsked)
{
    m_sim = std::make_unique<SimProcess>(test::simArguments(m_login, {QStringLiteral("--tls")}));
    const QString certificate = QStringLiteral(TAVRO_SIM_CERTIFICATE);
    struct Case
    {
        const char *name;
        bool verify;
        QString certificado;
        const char *host;
        QString error; // empty: the batch is accepted
    };
    const Case cases[] = {
        {"verification off", false, QString(), "127.0.0.1", QString()},
        {"verification on: self-signed", true, QString(), "127.0.0.1",
         QStringLiteral("SSL handshake failed: SSL certificate problem: self-signed certificate")},
        {"verification on, its certificate given", true, certificate, "127.0.0.1", QString()},
        {"its certificate given turns verification on: host not in it", false, certificate, "localhost",
         QStringLiteral("no alternative certificate subject name matches target host name 'localhost'")},
        {"certificate file that cannot be read", true, m_dir.filePath(QStringLiteral("nada.pem")), "127.0.0.1",
         QStringLiteral("Não foi possível ler o certificado %1 (TAVRO/Certificado)")
             .arg(m_dir.filePath(QStringLiteral("nada.pem")))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ServiceSettings settings;
        settings.Servidor = QStringLiteral("https://%1:%2").arg(QLatin1String(c.host)).arg(m_sim->port());
        settings.Namespace = test::TestNamespace;
        settings.TempoLimite = 30;
        settings.VerificarCertificado = c.verify;
        settings.Certificado = c.certificado;
        // Each case on a fresh transport, so no TLS session of an earlier case is reused.
        HttpTransport transport;
        SoapClient client(
            transport, settings, m_logFolder, [] { return QDateTime::currentDateTime(); }, m_login);
        QStringList warnings;
        client.setWarningSink([&](const QString &line) { warnings.append(line); });
        TavroWSAsync tls = GetTavroWSAsync(true, QString(), client);
        m_sim->requests();
        if (c.error.isEmpty()) {
            EXPECT_FALSE(tls.informarPosicaoEstoqueEmLote(stockBatch({stockRecord(QStringLiteral("1-1"))}))
                             .nuProtocoloEntrada.isEmpty());
        } else {
            const QString error = errorOf([&] { tls.informarPosicaoEstoqueEmLote(stockBatch({})); });
            EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
            if (!c.certificado.endsWith(QLatin1String("nada.pem"))) {
                EXPECT_TRUE(error.endsWith(QStringLiteral(" - URL:") + settings.wsdlLocation())) << error.toStdString();
            }
            EXPECT_EQ(m_sim->requests(), QStringList());
        }
        EXPECT_EQ(warnings, QStringList()); // credentials over https
    }
}

TEST_F(SoapPipeline, CredentialsOverPlainHttpWarnOnceAtTheFirstCall)
{
    start({});
    QStringList warnings;
    m_client->setWarningSink([&](const QString &line) { warnings.append(line); });
    port().informarPosicaoEstoqueEmLote(stockBatch({}));
    port().informarPosicaoEstoqueEmLote(stockBatch({}));
    EXPECT_EQ(warnings,
              QStringList{QStringLiteral("Aviso: o serviço é acessado por http, sem criptografia; o usuário e "
                                         "a senha do serviço trafegam legíveis pela rede (%1).")
                              .arg(endpoint())});

    // Without credentials there is nothing to give away.
    m_login = LoginValues{};
    useServer(m_origin);
    warnings.clear();
    m_client->setWarningSink([&](const QString &line) { warnings.append(line); });
    errorOf([&] { port().informarPosicaoEstoqueEmLote(stockBatch({})); }); // the service refuses the empty login
    EXPECT_EQ(warnings, QStringList());
}
