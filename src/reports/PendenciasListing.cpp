#include "reports/PendenciasListing.h"

#include "sync/Pendencias.h"

namespace tavro {

namespace {

constexpr double TitleHeight = 15.4;
constexpr double GroupHeight = 7.0;

// The columns of a row, each ending at least 1 mm before the next begins.
struct Column
{
    const char *heading;
    double left;
    double width;
};
const Column Columns[] = {
    {"Assunto", 0.8, 78.0}, {"Lista", 80.0, 20.0},      {"Lançamento", 101.0, 18.0},
    {"Data", 120.0, 16.0},  {"Mensagem", 137.0, 139.0},
};
enum ColumnIndex { Assunto, Lista, Lancamento, Data, Mensagem };

ReportBand titleBand(const PendenciasReportInput &input)
{
    ReportBand band(TitleHeight);
    band.addField(
        {QStringLiteral("PENDÊNCIAS DE CADASTRO"), 6.4, 1.3, 267, BandedReport::TitlePoints, Qt::AlignHCenter});
    if (input.unidade.isEmpty()) {
        band.addField({QStringLiteral("Todas as unidades do banco"), 6.4, 6.4, 120, BandedReport::TitlePoints});
    } else {
        band.addField({QStringLiteral("Unidade: ") + input.unidade, 6.4, 6.4, 37.1, BandedReport::TitlePoints});
        band.addField({QStringLiteral("CNES: ") + input.cnes, 44.5, 6.4, 39.2, BandedReport::TitlePoints});
        band.addField({QStringLiteral("Nome: ") + input.nomeUnidade, 84.7, 6.4, 123.1, BandedReport::TitlePoints});
    }
    for (const Column &column : Columns)
        band.addField({QString::fromUtf8(column.heading), column.left, 11.0, 0, BandedReport::DetailPoints});
    return band;
}

QString registros(int count)
{
    return count == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(count);
}

ReportBand groupBand(const PendenciaGroup &group)
{
    ReportBand band(GroupHeight);
    const QString kind = group.aviso ? QStringLiteral(" (aviso: o envio leva estes registros)") : QString();
    band.addField({group.titulo + QStringLiteral(": ") + registros(group.registros()) + kind, 0.8, 2.2, 0,
                   BandedReport::TitlePoints});
    return band;
}

ReportBand detailBand(const PendenciaItem &item, const PendenciaRow &row, const QColor &background)
{
    ReportBand band(BandedReport::DetailHeight, background);
    const QString texts[] = {item.assunto, kindFacts(row.list).caption, row.chave, row.data, row.texto};
    for (int i = Assunto; i <= Mensagem; ++i)
        band.addField(
            {texts[i], Columns[i].left, BandedReport::DetailTop, Columns[i].width, BandedReport::DetailPoints});
    return band;
}

BandedReport::PageFooter pageFooter(const QDateTime &impressoEm)
{
    const QString printed = QStringLiteral("Impresso em ") + impressoEm.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
    return [printed](int page, int pageCount) {
        ReportBand band(BandedReport::FooterHeight);
        band.addField({printed, Columns[Assunto].left, 1.9, 0, BandedReport::DetailPoints});
        band.addField({QStringLiteral("Página %1 de %2").arg(page).arg(pageCount),
                       Columns[Mensagem].left + Columns[Mensagem].width, 1.9, 0, BandedReport::DetailPoints,
                       Qt::AlignRight});
        return band;
    };
}

} // namespace

BandedReport buildPendenciasListing(const Pendencias &pendencias, const PendenciasReportInput &input,
                                    const QDateTime &impressoEm)
{
    BandedReport report;
    report.setTitle(titleBand(input));
    report.setPageFooter(BandedReport::FooterHeight, pageFooter(impressoEm));
    for (const PendenciaGroup &group : pendencias.grupos) {
        report.addDetail(groupBand(group));
        QColor shade = BandedReport::White;
        for (const PendenciaItem &item : group.itens) {
            for (const PendenciaRow &row : item.rows) {
                shade = shade == BandedReport::White ? BandedReport::Silver : BandedReport::White;
                report.addDetail(detailBand(item, row, shade));
            }
        }
    }
    ReportBand totals(BandedReport::TotalsHeight);
    totals.addField({QStringLiteral("Totais: %1 pendentes, %2 em aviso")
                         .arg(registros(pendencias.recusados), registros(pendencias.avisos)),
                     Columns[Assunto].left, 2.5, 0, BandedReport::DetailPoints});
    report.addSummary(totals);
    for (const PendenciaGroup &group : pendencias.grupos) {
        ReportBand line(BandedReport::DetailHeight);
        line.addField({group.titulo, Columns[Assunto].left, BandedReport::DetailTop, Columns[Assunto].width,
                       BandedReport::DetailPoints});
        line.addField({registros(group.registros()), Columns[Lista].left, BandedReport::DetailTop, 0,
                       BandedReport::DetailPoints});
        report.addSummary(line);
    }
    return report;
}

QString pendenciasListingPath(const PendenciasReportInput &input, const QDate &dia)
{
    const QString who = input.unidade.isEmpty() ? QStringLiteral("todas") : input.cnes;
    return documentsFilePath(QStringLiteral("Pendencias_%1_%2.pdf").arg(who, dia.toString(Qt::ISODate)));
}

} // namespace tavro
