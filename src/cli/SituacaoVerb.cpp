#include "cli/SituacaoVerb.h"

#include "cli/CliCommands.h"
#include "common/Error.h"
#include "lists/OverviewStatements.h"
#include "sync/SyncSummary.h"
#include "transmission/HeldBatches.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace tavro {

namespace {

QDate month(const QString &option, const QString &text)
{
    const std::optional<QDate> value = monthFromText(text);
    if (!value)
        throw Error(QStringLiteral("--%1 exige um mês MM/AAAA: %2").arg(option, text));
    return *value;
}

// Every line of the overview in output order: kind, month, then status.
template <typename Line>
void forEachLine(const OverviewFigures &figures, Line &&line)
{
    const QStringList situacoes = figures.situacoes();
    for (const MovementKind kind : AllLists) {
        for (int m = 0; m < figures.period().months; ++m) {
            for (const QString &situacao : situacoes)
                line(kindFacts(kind).name, monthText(figures.period().month(m)), situacao,
                     figures.count(kind, m, situacao));
        }
    }
}

} // namespace

std::optional<OverviewPeriod> situacaoPeriod(const QString &ano, const QString &de, const QString &ate)
{
    if (!ano.isEmpty()) {
        if (!de.isEmpty() || !ate.isEmpty())
            throw Error(QStringLiteral("situacao aceita --ano ou --de e --ate, não ambos"));
        bool ok = false;
        const int year = ano.toInt(&ok);
        if (!ok || ano.size() != 4 || year < 1)
            throw Error(QStringLiteral("--ano exige um ano AAAA: %1").arg(ano));
        return yearPeriod(year);
    }
    if (de.isEmpty() != ate.isEmpty())
        throw Error(QStringLiteral("situacao exige --de e --ate juntos"));
    if (de.isEmpty())
        return std::nullopt;
    return monthRange(month(QStringLiteral("de"), de), month(QStringLiteral("ate"), ate));
}

int runSituacaoVerb(Database &db, OverviewSearch search, const QString &nomeUnidade, bool json, QTextStream &out)
{
    if (search.period.months == 0) {
        const QDate latest = latestRecordDay(db, search);
        search.period = lastTwelveMonths(latest.isValid() ? latest : QDate::currentDate());
    }
    const OverviewFigures figures = loadOverview(db, search);
    const HeldRecords held = heldRecords(db, search.cnes);
    if (!json) {
        out << "tipo\tmes\tsituacao\tquantidade\n";
        forEachLine(figures, [&](const QString &tipo, const QString &mes, const QString &situacao, qint64 n) {
            out << tipo << '\t' << mes << '\t' << situacao << '\t' << n << '\n';
        });
        if (!held.isEmpty())
            out << QStringLiteral("Registros retidos: %1: veja tavro-cli protocolos.").arg(held.text()) << '\n';
        return ExitSuccess;
    }
    QJsonArray lines;
    forEachLine(figures, [&](const QString &tipo, const QString &mes, const QString &situacao, qint64 n) {
        lines.append(QJsonObject{{QStringLiteral("tipo"), tipo},
                                 {QStringLiteral("mes"), mes},
                                 {QStringLiteral("situacao"), situacao},
                                 {QStringLiteral("quantidade"), n}});
    });
    const QJsonObject document{{QStringLiteral("unidade"), search.codigoUnidade},
                               {QStringLiteral("cnes"), search.cnes},
                               {QStringLiteral("nome"), nomeUnidade},
                               {QStringLiteral("de"), monthText(search.period.firstDay())},
                               {QStringLiteral("ate"), monthText(search.period.lastDay())},
                               {QStringLiteral("linhas"), lines},
                               {QStringLiteral("retidos"), heldJson(held)}};
    out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return ExitSuccess;
}

} // namespace tavro
