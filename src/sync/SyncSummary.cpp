#include "sync/SyncSummary.h"

#include "common/PrivateFile.h"
#include "common/Status.h"
#include "lists/ListKinds.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace tavro {

namespace {

const QString DateTimeFormat = QStringLiteral("dd/MM/yyyy HH:mm:ss");

int totalWaiting(const SyncSummary &summary)
{
    int waiting = 0;
    for (const FollowupSummary &kind : summary.followup)
        waiting += kind.waiting;
    return waiting;
}

QString statusCounts(const QMap<QString, int> &statuses)
{
    QStringList parts;
    for (auto it = statuses.cbegin(); it != statuses.cend(); ++it)
        parts.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value()));
    return parts.join(QStringLiteral(", "));
}

QString periodsText(const QList<Period> &periods)
{
    if (periods.isEmpty())
        return QStringLiteral("nenhum registro por enviar");
    if (periods.size() == 1)
        return periods.first().text();
    return QStringLiteral("%1 a %2 (%3 meses com registros por enviar)")
        .arg(periods.first().dataInicial, periods.last().dataFinal)
        .arg(periods.size());
}

QJsonArray textArray(const QStringList &texts)
{
    return QJsonArray::fromStringList(texts);
}

QStringList texts(const QJsonValue &value)
{
    QStringList result;
    for (const QJsonValue &item : value.toArray())
        result.append(item.toString());
    return result;
}

} // namespace

QJsonObject heldJson(const HeldRecords &held)
{
    // Every kind has its field, zeros included, so monitoring reads one shape.
    QJsonObject porTipo;
    for (const MovementKind kind : AllMovementKinds)
        porTipo[listKind(kind).tipo] = 0;
    const QMap<QString, int> tipos = held.porTipo();
    for (auto it = tipos.cbegin(); it != tipos.cend(); ++it)
        porTipo[it.key()] = it.value();
    QJsonObject porSituacao;
    for (const QString &situacao : heldSituacoes())
        porSituacao[situacao] = 0;
    const QMap<QString, int> situacoes = held.porSituacao();
    for (auto it = situacoes.cbegin(); it != situacoes.cend(); ++it)
        porSituacao[it.key()] = it.value();
    QJsonArray lotes;
    for (const HeldBatch &batch : held.lotes)
        lotes.append(QJsonObject{{QStringLiteral("protocolo"), batch.protocolo},
                                 {QStringLiteral("data"), batch.data},
                                 {QStringLiteral("tipo"), batch.tipo},
                                 {QStringLiteral("situacao"), batch.situacao},
                                 {QStringLiteral("cnes"), batch.cnes},
                                 {QStringLiteral("registros"), batch.registros}});
    return QJsonObject{{QStringLiteral("registros"), held.registros()},
                       {QStringLiteral("porTipo"), porTipo},
                       {QStringLiteral("porSituacao"), porSituacao},
                       {QStringLiteral("lotes"), lotes}};
}

bool SyncSummary::failed() const
{
    if (!failure.isEmpty() || !failedChecks.isEmpty())
        return true;
    for (const KindSummary &kind : kinds) {
        if (!kind.failures.isEmpty())
            return true;
    }
    return false;
}

void SyncSummary::addPendencias(const QList<QPair<QString, int>> &counts)
{
    for (const auto &[titulo, registros] : counts) {
        const auto same = [&](const QPair<QString, int> &entry) { return entry.first == titulo; };
        if (const auto found = std::find_if(pendencias.begin(), pendencias.end(), same); found != pendencias.end())
            found->second += registros;
        else
            pendencias.append({titulo, registros});
    }
}

QString runEnd(const SyncSummary &summary)
{
    if (summary.failed())
        return QStringLiteral("com falhas");
    return summary.interrupted ? QStringLiteral("interrompida pelo usuário") : QStringLiteral("concluída");
}

QString summaryEnd(const SyncSummary &summary)
{
    const QString end = runEnd(summary);
    return summary.retidos.isEmpty() ? end : end + QStringLiteral(", ") + summary.retidos.text();
}

QString summaryText(const SyncSummary &summary)
{
    QString text;
    const auto line = [&text](const QString &s) { text += s + QLatin1Char('\n'); };
    line(QStringLiteral("Sincronização de %1 a %2: %3")
             .arg(summary.started.toString(DateTimeFormat), summary.finished.toString(DateTimeFormat),
                  summaryEnd(summary).toUpper()));
    line(QStringLiteral("Unidade %1 (CNES %2), período: %3")
             .arg(summary.unidade, summary.cnes, periodsText(summary.periods)));
    if (!summary.failure.isEmpty())
        line(QStringLiteral("Falha: ") + summary.failure);
    for (const QString &liberado : summary.liberados)
        line(liberado);

    if (!summary.kinds.isEmpty()) {
        line(QString());
        line(QStringLiteral("%1 %2 %3 %4 %5 %6")
                 .arg(QStringLiteral("Envio"), -14)
                 .arg(QStringLiteral("listas"), 7)
                 .arg(QStringLiteral("lotes"), 6)
                 .arg(QStringLiteral("enviados"), 9)
                 .arg(QStringLiteral("recusados"), 10)
                 .arg(QStringLiteral("pendentes"), 10));
        for (const KindSummary &kind : summary.kinds) {
            line(QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(kind.name, -14)
                     .arg(kind.lists, 7)
                     .arg(kind.batches, 6)
                     .arg(kind.sent, 9)
                     .arg(kind.refused, 10)
                     .arg(kind.pending, 10));
        }
        for (const KindSummary &kind : summary.kinds) {
            if (kind.messages.isEmpty())
                continue;
            line(QStringLiteral("Recusados em %1:").arg(kind.name));
            for (const QString &message : kind.messages)
                line(QStringLiteral("  ") + message);
        }
        if (!summary.pendencias.isEmpty()) {
            QStringList counts;
            for (const auto &[titulo, registros] : summary.pendencias)
                counts.append(QStringLiteral("%1 %2").arg(titulo).arg(registros));
            line(QStringLiteral("Pendências de cadastro: ") + counts.join(QStringLiteral(", ")));
        }
        for (const KindSummary &kind : summary.kinds) {
            for (const QString &failure : kind.failures)
                line(QStringLiteral("Falha no envio de %1, %2").arg(kind.name, failure));
        }
    }

    if (!summary.followup.isEmpty()) {
        line(QString());
        line(QStringLiteral("%1 %2  %3")
                 .arg(QStringLiteral("Acompanhamento"), -14)
                 .arg(QStringLiteral("verificados"), 11)
                 .arg(QStringLiteral("situação depois")));
        for (const FollowupSummary &kind : summary.followup)
            line(
                QStringLiteral("%1 %2  %3").arg(kind.tipo, -14).arg(kind.checked, 11).arg(statusCounts(kind.statuses)));
    }
    for (const FailedCheck &check : summary.failedChecks)
        line(QStringLiteral("Falha na verificação do protocolo %1: %2").arg(check.protocolo, check.message));
    line(QString());
    line(QStringLiteral("Protocolos aguardando o serviço: %1").arg(totalWaiting(summary)));
    if (summary.retidos.isEmpty()) {
        line(QStringLiteral("Registros retidos: 0"));
        return text;
    }
    line(QStringLiteral("Registros retidos: %1 (%2): veja Protocolos.")
             .arg(summary.retidos.text(), statusCounts(summary.retidos.porSituacao())));
    for (const HeldBatch &batch : summary.retidos.lotes)
        line(QStringLiteral("  Lote %1 (%2), %3 em %4, %5 registro(s)")
                 .arg(batch.protocolo, batch.tipo, batch.situacao, batch.data)
                 .arg(batch.registros));
    return text;
}

QByteArray summaryJson(const SyncSummary &summary)
{
    QJsonObject root;
    root[QStringLiteral("inicio")] = summary.started.toString(Qt::ISODate);
    root[QStringLiteral("fim")] = summary.finished.toString(Qt::ISODate);
    root[QStringLiteral("falhou")] = summary.failed();
    root[QStringLiteral("interrompida")] = summary.interrupted;
    root[QStringLiteral("manual")] = summary.manual;
    root[QStringLiteral("banco")] = summary.database;
    root[QStringLiteral("unidade")] = summary.unidade;
    root[QStringLiteral("cnes")] = summary.cnes;
    QJsonArray periods;
    for (const Period &period : summary.periods)
        periods.append(
            QJsonObject{{QStringLiteral("de"), period.dataInicial}, {QStringLiteral("ate"), period.dataFinal}});
    root[QStringLiteral("periodos")] = periods;
    QJsonArray kinds;
    for (const KindSummary &kind : summary.kinds) {
        kinds.append(QJsonObject{{QStringLiteral("tipo"), kind.name},
                                 {QStringLiteral("listas"), kind.lists},
                                 {QStringLiteral("lotes"), kind.batches},
                                 {QStringLiteral("enviados"), kind.sent},
                                 {QStringLiteral("recusados"), kind.refused},
                                 {QStringLiteral("mensagens"), textArray(kind.messages)},
                                 {QStringLiteral("pendentes"), kind.pending},
                                 {QStringLiteral("falhas"), textArray(kind.failures)}});
    }
    root[QStringLiteral("envio")] = kinds;
    QJsonArray pendencias;
    for (const auto &[titulo, registros] : summary.pendencias)
        pendencias.append(QJsonObject{{QStringLiteral("grupo"), titulo}, {QStringLiteral("registros"), registros}});
    root[QStringLiteral("pendencias")] = pendencias;
    QJsonArray followup;
    for (const FollowupSummary &kind : summary.followup) {
        QJsonObject statuses;
        for (auto it = kind.statuses.cbegin(); it != kind.statuses.cend(); ++it)
            statuses[it.key()] = it.value();
        followup.append(QJsonObject{{QStringLiteral("tipo"), kind.tipo},
                                    {QStringLiteral("verificados"), kind.checked},
                                    {QStringLiteral("situacoes"), statuses},
                                    {QStringLiteral("aguardandoServico"), kind.waiting}});
    }
    root[QStringLiteral("acompanhamento")] = followup;
    QJsonArray failedChecks;
    for (const FailedCheck &check : summary.failedChecks)
        failedChecks.append(
            QJsonObject{{QStringLiteral("protocolo"), check.protocolo}, {QStringLiteral("mensagem"), check.message}});
    root[QStringLiteral("falhasAcompanhamento")] = failedChecks;
    root[QStringLiteral("aguardandoServico")] = totalWaiting(summary);
    root[QStringLiteral("liberados")] = textArray(summary.liberados);
    root[QStringLiteral("retidos")] = heldJson(summary.retidos);
    root[QStringLiteral("falha")] = summary.failure;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool summaryFromJson(const QByteArray &json, SyncSummary &summary)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject root = document.object();
    if (!document.isObject() || !root.contains(QStringLiteral("inicio")) || !root.contains(QStringLiteral("envio")))
        return false;
    summary = {};
    summary.started = QDateTime::fromString(root[QStringLiteral("inicio")].toString(), Qt::ISODate);
    summary.finished = QDateTime::fromString(root[QStringLiteral("fim")].toString(), Qt::ISODate);
    summary.database = root[QStringLiteral("banco")].toString();
    summary.unidade = root[QStringLiteral("unidade")].toString();
    summary.cnes = root[QStringLiteral("cnes")].toString();
    for (const QJsonValue &period : root[QStringLiteral("periodos")].toArray()) {
        summary.periods.append({period[QStringLiteral("de")].toString(), period[QStringLiteral("ate")].toString()});
    }
    for (const QJsonValue &value : root[QStringLiteral("envio")].toArray()) {
        KindSummary kind;
        kind.name = value[QStringLiteral("tipo")].toString();
        kind.lists = value[QStringLiteral("listas")].toInt();
        kind.batches = value[QStringLiteral("lotes")].toInt();
        kind.sent = value[QStringLiteral("enviados")].toInt();
        kind.refused = value[QStringLiteral("recusados")].toInt();
        kind.messages = texts(value[QStringLiteral("mensagens")]);
        kind.pending = value[QStringLiteral("pendentes")].toInt();
        kind.failures = texts(value[QStringLiteral("falhas")]);
        summary.kinds.append(kind);
    }
    for (const QJsonValue &value : root[QStringLiteral("pendencias")].toArray())
        summary.pendencias.append(
            {value[QStringLiteral("grupo")].toString(), value[QStringLiteral("registros")].toInt()});
    for (const QJsonValue &value : root[QStringLiteral("acompanhamento")].toArray()) {
        FollowupSummary kind;
        kind.tipo = value[QStringLiteral("tipo")].toString();
        kind.checked = value[QStringLiteral("verificados")].toInt();
        const QJsonObject statuses = value[QStringLiteral("situacoes")].toObject();
        for (auto it = statuses.constBegin(); it != statuses.constEnd(); ++it)
            kind.statuses.insert(it.key(), it.value().toInt());
        kind.waiting = value[QStringLiteral("aguardandoServico")].toInt();
        summary.followup.append(kind);
    }
    for (const QJsonValue &value : root[QStringLiteral("falhasAcompanhamento")].toArray()) {
        summary.failedChecks.append(
            {value[QStringLiteral("protocolo")].toString(), value[QStringLiteral("mensagem")].toString()});
    }
    summary.liberados = texts(root[QStringLiteral("liberados")]);
    for (const QJsonValue &value : root[QStringLiteral("retidos")][QStringLiteral("lotes")].toArray()) {
        summary.retidos.lotes.append(
            {value[QStringLiteral("protocolo")].toString(), value[QStringLiteral("data")].toString(),
             value[QStringLiteral("tipo")].toString(), value[QStringLiteral("situacao")].toString(),
             value[QStringLiteral("cnes")].toString(), value[QStringLiteral("registros")].toInt()});
    }
    summary.failure = root[QStringLiteral("falha")].toString();
    summary.interrupted = root[QStringLiteral("interrompida")].toBool();
    summary.manual = root[QStringLiteral("manual")].toBool();
    return true;
}

QString lastRunLine(const SyncSummary &summary)
{
    return QStringLiteral("Última sincronização %1: %2 (CNES %3), %4")
        .arg(summary.manual ? QStringLiteral("pela janela") : QStringLiteral("automática"),
             summary.finished.toString(QStringLiteral("dd/MM/yyyy HH:mm")), summary.cnes, runEnd(summary));
}

bool writeSummaryJson(const QString &path, const QByteArray &json, QString &error)
{
    QString reason;
    if (makePrivateFolder(QFileInfo(path).absolutePath(), &reason) && writePrivateFile(path, json, &reason))
        return true;
    error = QStringLiteral("Não foi possível gravar %1: %2").arg(path, reason);
    return false;
}

QString lastSummaryPath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("sincronizar-ultimo.json"));
}

} // namespace tavro
