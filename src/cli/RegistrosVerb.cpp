#include "cli/RegistrosVerb.h"

#include "cli/CliCommands.h"
#include "cli/TerminalProgress.h"
#include "session/ConfigPlaces.h"
#include "transmission/LogRetention.h"

#include <QLocale>
#include <QTextStream>

namespace tavro {

namespace {

QString size(qint64 bytes)
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil).formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString count(qint64 logs, qint64 bytes)
{
    return QStringLiteral("%1 (%2)").arg(logs).arg(size(bytes));
}

QString when(const LogFile &log)
{
    return log.name.isEmpty()
        ? QStringLiteral("-")
        : QStringLiteral("%1 %2").arg(log.modified.toString(QStringLiteral("dd/MM/yyyy HH:mm")), log.name);
}

} // namespace

int runRegistrosVerb(Database &db, const ConfigPlaces &places, int days, bool limpar, QTextStream &out,
                     QTextStream &err)
{
    TerminalProgress progress(err);
    const LogSurvey survey = surveyLogs(places.logFolder(), days, QDateTime::currentDateTime(), unresolvedBatchLogs(db),
                                        &progress);
    progress.clear();
    for (const QString &line : places.dataFolderLines())
        out << line << '\n';
    out << QStringLiteral("Registros: %1\n").arg(count(survey.count, survey.bytes));
    out << QStringLiteral("Mais antigo: %1\n").arg(when(survey.oldest));
    out << QStringLiteral("Mais recente: %1\n").arg(when(survey.newest));
    if (days == 0) {
        out << QStringLiteral("DiasRegistros: 0 (todos os registros são guardados)\n");
        return ExitSuccess;
    }
    out << QStringLiteral("DiasRegistros: %1 (remove os registros de mais de %1 dias)\n").arg(days);
    out << QStringLiteral("A remover: %1\n").arg(count(survey.expired.size(), survey.expiredBytes));
    if (survey.keptOld > 0)
        out << QStringLiteral("Guardados, de lotes ainda sem resposta: %1\n").arg(survey.keptOld);
    if (!limpar)
        return ExitSuccess;
    out.flush();
    const LogRemoval removal = removeExpiredLogs(survey, &progress);
    progress.clear();
    out << QStringLiteral("Removidos: %1\n").arg(count(removal.removed, removal.bytes));
    for (const QString &line : removal.failures)
        err << line << '\n';
    return removal.failures.isEmpty() ? ExitSuccess : ExitFailure;
}

} // namespace tavro
