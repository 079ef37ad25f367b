#include "transmission/Transmission.h"

#include "common/Error.h"
#include "db/Database.h"
#include "db/UFunc.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/Status.h"
#include "transmission/TransmissionKind.h"

#include <QElapsedTimer>

namespace tavro {

namespace {

const QString Sim = QStringLiteral("Sim");

std::optional<coTipoEstabelecimento> unitType(Database &db, const QString &cnes)
{
    SqlStatement query{QStringLiteral(
        "select tipoestabelecimento from unidades where codigo = :punidade or numero = :punidade")};
    query.setParam(QStringLiteral("punidade"), cnes);
    SqlCursor cursor = db.select(query);
    const QString first = cursor.next() ? cursor.text(0).left(1) : QString();
    cursor.close();
    if (first == QLatin1String("A"))
        return coTipoEstabelecimento::A;
    if (first == QLatin1String("R"))
        return coTipoEstabelecimento::R;
    if (first == QLatin1String("F"))
        return coTipoEstabelecimento::F;
    return std::nullopt;
}

} // namespace

bool rowToSend(const RecordList &list, int row, const TransmissionCells &cells, const QString &protocolo)
{
    const QStringView situacao = list.subCellView(row, cells.situacao);
    if (protocolo.isEmpty())
        return sendableInNewBatch(situacao);
    return list.subCellView(row, cells.protocolo) == protocolo && situacao == Situacao::Ok;
}

QString transmitOnce(Database &db, SoapClient &client, TransmissionKind &kind, RecordList &list,
                     const TransmissionInput &input, RunReport &report)
{
    const TransmissionCells cells = kind.cells();
    QElapsedTimer clock;
    clock.start();
    QList<int> batchRows; // the rows given the run mark, in list order
    try {
        BatchContext context;
        context.retransmission = !input.protocolo.isEmpty();
        context.protocolo = input.protocolo;
        context.coIBGE = integerValue(input.ibge);
        context.cnes = input.cnes;
        if (kind.needsUnitType()) {
            context.tipoEstabelecimento = unitType(db, input.cnes);
            if (!context.tipoEstabelecimento) {
                report.unitTypeMissing = true;
                return QString();
            }
        }
        kind.begin(context);

        int taken = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            list.setSubCell(row, cells.gravar, QString());
            const bool take = rowToSend(list, row, cells, input.protocolo)
                && (context.retransmission || taken < input.loteMaximo);
            const qsizetype linesBefore = report.erros.size();
            const bool passes = kind.check(list, row, report.erros);
            for (qsizetype i = linesBefore; i < report.erros.size(); ++i)
                report.recusas.append({list.caption(row), report.erros.at(i)});
            if (take && passes) {
                ++taken;
                list.setSubCell(row, cells.gravar, Sim);
                batchRows.append(row);
                kind.add(list, row);
            }
        }
        if (taken == 0)
            return RunResult::Pronto;

        report.buildingMs = clock.nsecsElapsed() / 1e6;
        TavroWSAsync port = GetTavroWSAsync(true, QString(), client);
        const SentBatch answer = kind.send(port);
        report.erros += client.takeLogFailures();
        const QString protocolo = answer.protocolo.left(25);
        // An answer without a protocol number (a Body without the protocol element) gives the
        // records nothing to be followed up by: marked, they would wait for ever instead of
        // going out again with the next run.
        if (protocolo.trimmed().isEmpty())
            throw Error(RespostaSemProtocoloMessage);
        const QString data = answer.dataRecebimento.left(25);
        QStringList retornos{protocolo};
        if (answer.protocoloRetificado)
            retornos.append(*answer.protocoloRetificado);
        retornos.append(data);
        report.retornos = retornos;
        clock.restart();

        for (const int row : batchRows) {
            list.setSubCell(row, cells.gravar, QString());
            list.setSubCell(row, cells.protocolo, protocolo);
            list.setSubCell(row, cells.data, data);
            list.setSubCell(row, cells.situacao, Situacao::Aguardando);
            markRecordSent(db, kind.table(), protocolo, data, kind.key(list, row, input));
        }
        BatchRegistration batch{protocolo, data, input.hoje, kind.tipo(), input.cnes, QString()};
        if (context.retransmission && kind.rectifies())
            batch.protocoloAntigo = input.protocolo;
        registerBatch(db, batch);
        report.markingMs = clock.nsecsElapsed() / 1e6;
        report.enviados = int(batchRows.size());
        return RunResult::Transmitido;
    } catch (const Error &error) {
        report.erros += client.takeLogFailures();
        report.dica = error.hint();
        for (const int row : batchRows) {
            if (list.subCellView(row, cells.gravar) != Sim)
                continue; // already written in the list before the failure
            for (const int cell : {cells.gravar, cells.protocolo, cells.data, cells.situacao})
                list.setSubCell(row, cell, QString());
        }
        // Undone at once, so no later commit can make a record durable as sent without
        // the registry row of its protocol.
        db.rollback();
        return error.message();
    }
}

ClickOutcome transmitRepeatedly(int vezes, const std::function<QString()> &run)
{
    ClickOutcome outcome;
    for (int i = 0; i < vezes; ++i) {
        const QString result = run();
        outcome.results.append(result);
        if (result == RunResult::Transmitido || result.contains(QLatin1String("Could not roll back Hibernate transaction"))
            || result.contains(QStringLiteral("O identificador não está no estado correto")))
            continue;
        if (result == RunResult::Pronto) {
            outcome.end = ClickOutcome::AllSent;
            return outcome;
        }
        outcome.end = ClickOutcome::Aborted;
        outcome.message = result;
        return outcome;
    }
    outcome.end = ClickOutcome::RunsUsedUp;
    return outcome;
}

} // namespace tavro
