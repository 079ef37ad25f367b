#include "cli/PendenciasVerb.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/TerminalProgress.h"
#include "lists/ListKinds.h"
#include "sync/Pendencias.h"
#include "sync/PendenciasReport.h"

#include <QJsonDocument>
#include <QTextStream>

namespace tavro {

int runPendenciasVerb(Database &db, const CliOptions &options, const QString &codigoUnidade, QTextStream &out,
                      QTextStream &err)
{
    PendenciasRequest request;
    request.unidades = options.todasUnidades ? allUnitCodes(db) : QStringList{codigoUnidade};
    request.de = options.mesInicial;
    request.ate = options.mesFinal;
    TerminalProgress progress(err);
    const Pendencias pendencias = listPendencias(db, request, &progress);
    progress.clear();
    if (options.json) {
        out << QJsonDocument(pendenciasJson(pendencias)).toJson(QJsonDocument::Indented);
    } else {
        out << "grupo\tregistros\n";
        for (const PendenciaGroup &group : pendencias.grupos)
            out << group.titulo << '\t' << group.registros() << '\n';
        out << "\ngrupo\tassunto\tlista\tunidade\tlancamento\tdata\tmensagem\n";
        for (const PendenciaGroup &group : pendencias.grupos) {
            for (const PendenciaItem &item : group.itens) {
                for (const PendenciaRow &row : item.rows)
                    out << group.titulo << '\t' << item.assunto << '\t' << listKind(row.list).name << '\t'
                        << row.unidade << '\t' << row.chave << '\t' << row.data << '\t' << row.texto << '\n';
            }
        }
    }
    out.flush();
    err << pendenciasText(pendencias) << '\n';
    if (pendencias.interrompido)
        err << QStringLiteral("Interrompido pelo usuário: a lista está incompleta.") << '\n';
    if (!options.csvPath.isEmpty()) {
        QString error;
        if (!writePendenciasCsv(options.csvPath, pendencias, error)) {
            err << error << '\n';
            return ExitFailure;
        }
        err << QStringLiteral("Lista gravada em %1").arg(options.csvPath) << '\n';
    }
    return pendencias.recusados > 0 ? ExitPendente : ExitSuccess;
}

} // namespace tavro
