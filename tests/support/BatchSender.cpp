#include "BatchSender.h"
#include "Products.h"

#include "db/Database.h"
#include "db/UFunc.h"
#include "service/TavroWSAsync.h"
#include "transmission/StatusWrites.h"

#include <QDate>

namespace tavro::test {

namespace {

const QString Cnes = QStringLiteral("2345678");
constexpr qint64 Ibge = 3550308;

template <class Produto>
Produto produto(const QString &tipo, const QString &key, bool rejected)
{
    return product<Produto>(BatchSender::origem(tipo, key),
                            rejected ? QStringLiteral("BR026") : QStringLiteral("BR0268143000016"),
                            QStringLiteral("L-") + key, 10);
}

EstabelecimentoType unit()
{
    EstabelecimentoType e;
    e.coCNES = Cnes;
    e.coTipoEstabelecimento = coTipoEstabelecimento::F;
    return e;
}

template <class Request>
Request batch()
{
    Request request;
    request.identificacao.emplace().coIBGE = Ibge;
    return request;
}

template <class Produto>
void fillEntrada(Produto &p)
{
    p.nuNotaFiscal = QStringLiteral("448");
    p.nuValorUnitario = QStringLiteral("0.12");
    p.nuCNPJDistribuidor = QStringLiteral("11222333000181");
    p.tpEntradaEstoque = QStringLiteral("E-O");
}

} // namespace

BatchSender::BatchSender(Database &db, SoapClient &client)
    : m_db(db)
    , m_client(client)
{
}

QString BatchSender::origem(const QString &tipo, const QString &key)
{
    if (tipo == Tipo::Estoque)
        return NumeroComZeros(key, 10) + QStringLiteral("-000000000000101-L1");
    return key;
}

QString BatchSender::send(const QString &tipo, const QStringList &keys, const QStringList &rejected,
                          const QStringList &unmarked)
{
    TavroWSAsync port = GetTavroWSAsync(true, QString(), m_client);
    ProtocoloType answer;
    if (tipo == Tipo::Estoque) {
        auto request = batch<InformarPosicaoEstoqueEmLoteType>();
        for (const QString &key : keys)
            request.registro.push_back({unit(), produto<ProdutoType>(tipo, key, rejected.contains(key))});
        answer = port.informarPosicaoEstoqueEmLote(request);
    } else if (tipo == Tipo::Entrada) {
        auto request = batch<InformarEntradaMedicamentoEmLoteType>();
        for (const QString &key : keys) {
            auto p = produto<ProdutoEntradaType>(tipo, key, rejected.contains(key));
            fillEntrada(p);
            request.registro.push_back({unit(), p});
        }
        answer = port.informarEntradaMedicamentoEmLote(request);
    } else if (tipo == Tipo::Saida) {
        auto request = batch<InformarSaidaMedicamentoEmLoteType>();
        for (const QString &key : keys) {
            auto p = produto<ProdutoSaidaType>(tipo, key, rejected.contains(key));
            p.tpSaida = QStringLiteral("S-TR");
            request.registro.push_back({unit(), p, std::nullopt});
        }
        answer = port.informarSaidaMedicamentoEmLote(request);
    } else {
        auto request = batch<InformarDispensacaoMedicamentoEmLoteType>();
        for (const QString &key : keys) {
            registro5 &r = request.registro.emplace_back();
            r.estabelecimento.emplace().coCNES = Cnes;
            r.produto = produto<ProdutoDispensacaoType>(tipo, key, rejected.contains(key));
            r.paciente.emplace().nuCNS = QStringLiteral("898001160660831");
        }
        answer = port.informarDispensacaoMedicamentoEmLote(request);
    }
    QStringList marked;
    for (const QString &key : keys) {
        if (!unmarked.contains(key))
            marked << key;
    }
    record(tipo, answer.nuProtocoloEntrada, answer.dtRecebimento, marked, QString());
    return answer.nuProtocoloEntrada.left(25);
}

QString BatchSender::rectify(const QString &tipo, const QString &protocoloAntigo, const QStringList &keys,
                             const QStringList &marked)
{
    const auto coRegistro = [&](const QString &key) {
        SqlStatement query{QStringLiteral("select TavroCoRegistro from ")
                           + (tipo == Tipo::Estoque ? QStringLiteral("conciliacao") : QStringLiteral("itensentradas"))};
        addKey(query, recordKeyOf(kindOfTipo(tipo), key));
        SqlCursor cursor = m_db.select(query);
        const qint64 code = cursor.next() ? cursor.text(0).toLongLong() : 0;
        cursor.close();
        return code;
    };
    TavroWSAsync port = GetTavroWSAsync(true, QString(), m_client);
    ProtocoloRetificadoType answer;
    if (tipo == Tipo::Estoque) {
        RetificarPosicaoEstoqueEmLoteType request;
        request.identificacao.emplace().nuProtocoloEntrada = protocoloAntigo;
        request.identificacao->coIBGE = Ibge;
        for (const QString &key : keys) {
            auto p = produto<ProdutoVinculadoType>(tipo, key, false);
            p.coRegistro = coRegistro(key);
            request.registro.push_back({unit(), p});
        }
        answer = port.retificarPosicaoEstoqueEmLote(request);
    } else {
        RetificarEntradaMedicamentoEmLoteType request;
        request.identificacao.emplace().nuProtocoloEntrada = protocoloAntigo;
        request.identificacao->coIBGE = Ibge;
        for (const QString &key : keys) {
            auto p = produto<ProdutoVinculadoEntradaType>(tipo, key, false);
            fillEntrada(p);
            p.coRegistro = coRegistro(key);
            request.registro.push_back({unit(), p});
        }
        answer = port.retificarEntradaMedicamentoEmLote(request);
    }
    record(tipo, answer.nuProtocoloEntrada, answer.dtRecebimento, marked, protocoloAntigo);
    return answer.nuProtocoloEntrada.left(25);
}

void BatchSender::record(const QString &tipo, const QString &protocolo, const QString &data, const QStringList &keys,
                         const QString &protocoloAntigo)
{
    for (const QString &key : keys)
        markRecordSent(m_db, kindOfTipo(tipo), protocolo, data, recordKeyOf(kindOfTipo(tipo), key));
    registerBatch(m_db, {protocolo, data, QDate::currentDate(), tipo, Cnes, protocoloAntigo});
    m_db.commit();
}

} // namespace tavro::test
