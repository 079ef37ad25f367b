#include "followup/ProtocolFollowup.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "db/UFunc.h"
#include "followup/ErrorCatalogue.h"
#include "followup/InconsistencyRow.h"
#include "service/ErrorHint.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "transmission/HeldBatches.h"
#include "transmission/StatusWrites.h"

namespace tavro {

namespace {

// The width of the record key and registration code taken from an inconsistency.
constexpr int ReportedFieldLength = 30;

const QChar KeySeparator = QLatin1Char('-');

template <class T>
const T &required(const std::optional<T> &value, const char *element)
{
    if (!value)
        throw Error(QStringLiteral("Elemento ausente na resposta: %1").arg(QLatin1String(element)));
    return *value;
}

QString decimal(const std::optional<qint64> &value)
{
    return value ? QString::number(*value) : QString();
}

void refuseProvisional(const QString &protocolo, const QString &situacao)
{
    if (const QString refusal = provisionalRefusal(protocolo, situacao); !refusal.isEmpty())
        throw Error(refusal);
}

ProtocoloType protocoloRequest(const QString &protocolo, const QString &data)
{
    ProtocoloType request;
    request.nuProtocoloEntrada = protocolo;
    request.dtRecebimento = data;
    return request;
}

} // namespace

bool inconsistencyCheckAllowed(const QString &situacao)
{
    return situacao == Situacao::Finalizado || situacao == Situacao::Inconsistencia;
}

QString provisionalRefusal(const QString &protocolo, const QString &situacao)
{
    if (!protocolo.startsWith(ProvisionalPrefix) && !heldSituacao(situacao) && situacao != Situacao::Liberado
        && situacao != Situacao::NaoEnviado)
        return QString();
    return QStringLiteral("O protocolo %1 (%2) é provisório, deste programa: o serviço não deu protocolo a este "
                          "lote, então não há o que verificar nele.")
        .arg(protocolo, situacao);
}

ProtocolFollowup::ProtocolFollowup(Database &db, SoapClient &client, LineSink output)
    : m_db(db)
    , m_client(client)
    , m_output(std::move(output))
{
}

QString ProtocolFollowup::guarded(const QString &protocolo, const std::function<QString()> &check)
{
    m_lastError.clear();
    m_lastHint.clear();
    const TransactionGuard transaction(m_db);
    try {
        return check();
    } catch (const Error &error) {
        m_lastError = error.message();
        m_lastHint = error.hint();
    } catch (const std::exception &error) {
        m_lastError = QString::fromLocal8Bit(error.what());
    }
    if (m_failures)
        m_failures(protocolo, withHint(m_lastError, m_lastHint));
    return QString();
}

QString ProtocolFollowup::ProtocolosVerificarProcessamento(const QString &pNumeroProtocolo,
                                                           const QString &pDataProtocolo, const QString &pTipoProtocolo,
                                                           const QString &pSituacaoProtocolo,
                                                           const QString &pProtocoloRetificado)
{
    return guarded(pNumeroProtocolo, [&] {
        refuseProvisional(pNumeroProtocolo, pSituacaoProtocolo);
        return processamento(pNumeroProtocolo, pDataProtocolo, pTipoProtocolo, pProtocoloRetificado);
    });
}

QString ProtocolFollowup::ProtocolosVerificarInconsistencia(const QString &pNumeroProtocolo,
                                                            const QString &pDataProtocolo,
                                                            const QString &pTipoProtocolo,
                                                            const QString &pSituacaoProtocolo,
                                                            const QString &pProtocoloRetificado)
{
    return guarded(pNumeroProtocolo, [&] {
        refuseProvisional(pNumeroProtocolo, pSituacaoProtocolo);
        return inconsistencia(pNumeroProtocolo, pDataProtocolo, pTipoProtocolo);
    });
}

QString ProtocolFollowup::processamento(const QString &protocolo, const QString &data, const QString &tipo,
                                        const QString &protocoloRetificado)
{
    if (m_headings)
        m_headings(followupHeading(protocolo, tipo, data));
    TavroWSAsync port = GetTavroWSAsync(true, QString(), m_client);
    const RespostaProcessamentoLoteType answer = port.consultarResultadoProcessamento(
        protocoloRequest(protocolo, data));
    const IdentificacaoType &identificacao = required(answer.identificacao, "identificacao");
    const QString situacao = required(answer.situacaoProcessamento, "situacaoProcessamento")
            == situacaoProcessamento::FINALIZADO
        ? Situacao::Finalizado
        : Situacao::Aguardando;
    m_output(literal(identificacao.idOrigem));
    m_output(QString::number(identificacao.coIBGE));
    m_output(situacao);

    const std::optional<MovementKind> table = movementKindOfTipo(tipo);
    for (const registro &processed : answer.registro) {
        const ProdutoNovoType &produto = required(processed.produto, "produto");
        const QString origem = produto.coRegistroOrigem.value_or(QString());
        const QString coRegistro = decimal(produto.coRegistro);
        if (table) {
            if (protocoloRetificado.isEmpty())
                storeRegistrationCode(m_db, *table, protocolo, recordKeyOf(*table, origem), coRegistro);
            else
                moveRectifiedRecord(m_db, *table, protocoloRetificado, recordKeyOf(*table, origem), protocolo, data,
                                    coRegistro);
        }
        // Each moved record becomes durable with the rectified protocol's mark, so a check
        // that fails later keeps what it moved, and running it again moves the rest.
        if (!protocoloRetificado.isEmpty()) {
            markProtocolRectified(m_db, protocoloRetificado);
            m_db.commit();
        }
    }
    if (table)
        raiseRecordsOfProtocol(m_db, *table, protocolo, situacao, PrioridadeSituacao(situacao));
    raiseProtocol(m_db, protocolo, situacao);
    m_db.commit();
    return situacao;
}

void ProtocolFollowup::nameReleasedCopy(const QString &tipo, const QString &origem,
                                        std::optional<QList<ReleasedBatch>> &released)
{
    if (!released)
        released = releasedBatches(m_db, m_client.logFolder(), tipo);
    for (const ReleasedBatch &batch : std::as_const(*released)) {
        if (batch.sent(origem)) {
            m_output(QStringLiteral("O registro %1 já estava no serviço pelo lote %2 (enviado em %3), liberado para "
                                    "reenvio sem resposta: a cópia reenviada voltou como duplicada.")
                         .arg(origem, batch.protocolo, batch.data));
            return;
        }
    }
}

QString ProtocolFollowup::inconsistencia(const QString &protocolo, const QString &data, const QString &tipo)
{
    if (m_headings)
        m_headings(followupHeading(protocolo, tipo, data));
    TavroWSAsync port = GetTavroWSAsync(true, QString(), m_client);
    const InconsistenciaProcessamentoLoteType answer = port.consultarInconsistencias(protocoloRequest(protocolo, data));
    const IdentificacaoType &identificacao = required(answer.identificacao, "identificacao");
    m_output(literal(identificacao.idOrigem));
    m_output(QString::number(identificacao.coIBGE));

    const std::optional<MovementKind> table = movementKindOfTipo(tipo);
    const int psitprio = PrioridadeSituacao(Situacao::Inconsistencia);
    std::optional<QList<ReleasedBatch>> released; // read at the first duplicate
    bool onlyDuplicates = true;
    for (const inconsistencias &reported : answer.inconsistencias) {
        m_output(QString());
        QString origem;
        QString chave; // the origin key whole, as the request carried it
        QString coRegistro;
        if (table && kindFacts(*table).keyFields > 1) {
            const ProdutoVinculadoSimplesType &produto = required(reported.produto, "produto");
            chave = produto.coRegistroOrigem.value_or(QString());
            origem = chave.left(ReportedFieldLength);
            coRegistro = QString::number(produto.coRegistro).left(ReportedFieldLength);
            m_output(QStringLiteral("coRegistroOrigem=") + origem);
            m_output(QStringLiteral("coRegistro=") + coRegistro);
        } else {
            // A stock position (or a record of an unknown kind) is named by the first
            // field of its origin key; an evaluation, when present, names it instead.
            if (reported.produto) {
                chave = reported.produto->coRegistroOrigem.value_or(QString());
                origem = PegaCampo(chave, 1, KeySeparator);
                coRegistro = QString::number(reported.produto->coRegistro);
                m_output(QStringLiteral("coRegistroOrigem=") + origem);
                m_output(QStringLiteral("coRegistro=") + coRegistro);
            }
            if (reported.avaliacao) {
                chave = reported.avaliacao->coRegistroOrigem.value_or(QString());
                origem = PegaCampo(chave, 1, KeySeparator);
                coRegistro = decimal(reported.avaliacao->coRegistro);
                m_output(QStringLiteral("coRegistroOrigem=") + origem);
                m_output(QStringLiteral("coRegistro=") + coRegistro);
            }
            origem = origem.left(ReportedFieldLength);
            coRegistro = coRegistro.left(ReportedFieldLength);
        }

        const InconsistenciaType &item = required(reported.inconsistencia, "inconsistencia");
        // A code the catalogue lacks is still an inconsistency of its record.
        const QString codigoErro = tavro::codigoErro(item.codigo);
        m_output(QStringLiteral("idOrigem=") + item.idOrigem.value_or(QString()));
        m_output(QStringLiteral("coIBGE=") + item.coIBGE.value_or(QString()));
        m_output(QStringLiteral("coRegistro=") + item.coRegistro.value_or(QString()));
        m_output(QStringLiteral("coRegistroOrigem=") + item.coRegistroOrigem.value_or(QString()));
        m_output(QStringLiteral("codigoerro=") + codigoErro);
        m_output(QStringLiteral("mensagem=") + item.mensagem);
        m_output(QStringLiteral("campo=") + item.campo.value_or(QString()));
        m_output(QStringLiteral("valor=") + item.valor.value_or(QString()));

        if (m_rows && table) {
            InconsistencyRow row{protocolo, QString(), QString(), QString(), codigoErro, item.mensagem};
            describeRecord(m_db, *table, origem, row);
            m_rows(row);
        }
        const bool duplicate = isDuplicate(codigoErro, item.mensagem);
        onlyDuplicates = onlyDuplicates && duplicate;
        if (duplicate && table)
            nameReleasedCopy(tipo, chave, released);
        if (table) {
            raiseReportedRecord(m_db, *table, protocolo, recordKeyOf(*table, origem),
                                duplicate ? Situacao::OkInc : Situacao::Inconsistencia, coRegistro, psitprio);
        }
    }
    if (table)
        raiseRecordsOfProtocol(m_db, *table, protocolo, Situacao::Ok, psitprio);

    QString situacao = Situacao::Ok;
    if (!answer.inconsistencias.empty())
        situacao = table && onlyDuplicates ? Situacao::OkInc : Situacao::Inconsistencia;
    raiseProtocol(m_db, protocolo, situacao);
    m_db.commit();
    // Two identification lines alone read like a check that stopped half-way.
    if (answer.inconsistencias.empty())
        m_output(NoInconsistencyLine);
    return situacao;
}

} // namespace tavro
