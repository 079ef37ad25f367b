#include "reports/DispensationListing.h"

#include "db/Database.h"

namespace tavro {

namespace {

constexpr double TitleHeight = 19.6;
constexpr double DetailHeight = 4.2;
constexpr double SummaryHeight = 1;
constexpr double TitlePoints = 10;
constexpr double DetailPoints = 8;
// Detail text sits centred in its 4.2 mm band.
constexpr double DetailTop = 0.45;

const QColor Silver(192, 192, 192);
const QColor White(255, 255, 255);

// The detail fields: one column, or two joined into one text, and the heading that
// stands over the field's column.
struct DetailField
{
    const char *column;
    const char *joiner;
    const char *second;
    double left;
    double width; // 0: as wide as its text
    Qt::Alignment alignment = Qt::AlignLeft;
    const char *heading = nullptr;
};

// The product name starts close after the product code (its type letter and 15 digits
// need 27 mm) and takes room from the lot, whose codes are short, so the catalogue's
// names are not cut; the validity box ends where the quantity's begins.
const DetailField DetailFields[] = {
    {"LANCAMENTO", " - ", "ITEM", 0.8, 13.2, Qt::AlignLeft, "Código"},
    {"TAVROTIPO", "", "CODIGOTAVRO", 17.5, 0, Qt::AlignLeft, "Produto"},
    {"NOMEPRODUTO", nullptr, nullptr, 45.5, 61.3},
    {"LOTE", nullptr, nullptr, 107.0, 16.0, Qt::AlignLeft, "Lote"},
    {"DTVALIDADE", nullptr, nullptr, 123.6, 15.0, Qt::AlignLeft, "Validade"},
    {"QUANTIDADE", nullptr, nullptr, 138.9, 10.3, Qt::AlignRight, "Qtd"},
    {"DATA", nullptr, nullptr, 151.3, 16.7, Qt::AlignLeft, "Data"},
    {"CARTAOSUS", nullptr, nullptr, 169.3, 27.3, Qt::AlignLeft, "Cartão Sus"},
    {"NOMEPESSOA", nullptr, nullptr, 198.2, 54.8, Qt::AlignLeft, "Pessoa"},
    {"TAVROSITUACAO", nullptr, nullptr, 253.7, 21.7, Qt::AlignLeft, "Situação"},
};

ReportBand titleBand(const DispensationReportInput &input)
{
    const ListSearch &s = input.search;
    ReportBand band(TitleHeight);
    band.addField({QStringLiteral("RELAÇÃO DE DISPENSAÇÕES"), 6.4, 1.3, 267, TitlePoints, Qt::AlignHCenter});
    band.addField({QStringLiteral("Unidade: ") + s.unidade, 6.4, 6.4, 0, TitlePoints});
    band.addField({QStringLiteral("CNES: ") + input.cnes, 44.5, 6.4, 0, TitlePoints});
    band.addField({QStringLiteral("Nome: ") + input.nomeUnidade, 84.7, 6.4, 0, TitlePoints});
    band.addField({QStringLiteral("Período de ") + s.dataInicial + QStringLiteral(" a ") + s.dataFinal, 272.8, 6.4, 0,
                   TitlePoints, Qt::AlignRight});
    band.addField({dispensationFilterLine(s), 6.4, 10.6, 0, TitlePoints});
    // Each heading stands over its own column: from the column's left edge, or ending at
    // its right edge over a right-aligned column.
    for (const DetailField &f : DetailFields) {
        if (!f.heading)
            continue;
        const bool right = f.alignment & Qt::AlignRight;
        band.addField({QString::fromUtf8(f.heading), right ? f.left + f.width : f.left, 15.4, 0, DetailPoints,
                       right ? Qt::AlignRight : Qt::AlignLeft});
    }
    return band;
}

// Result columns of each detail field, looked up once per report.
QList<std::pair<int, int>> detailColumns(const SqlCursor &cursor)
{
    QList<std::pair<int, int>> columns;
    for (const DetailField &f : DetailFields)
        columns.append({cursor.indexOf(QString::fromLatin1(f.column)),
                        f.second ? cursor.indexOf(QString::fromLatin1(f.second)) : -1});
    return columns;
}

ReportBand detailBand(const SqlCursor &row, const QList<std::pair<int, int>> &columns, const QColor &background)
{
    ReportBand band(DetailHeight, background);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const DetailField &f = DetailFields[i];
        QString text = row.text(columns.at(i).first);
        if (f.second)
            text += QString::fromLatin1(f.joiner) + row.text(columns.at(i).second);
        band.addField({std::move(text), f.left, DetailTop, f.width, DetailPoints, f.alignment});
    }
    return band;
}

} // namespace

QString dispensationFilterLine(const ListSearch &search)
{
    QString line = QStringLiteral("Exibindo:");
    const StatusBoxes &b = search.status;
    if (b.aguardando)
        line += QStringLiteral(" Aguardandos;");
    if (b.finalizados)
        line += QStringLiteral(" Finalizados;");
    if (b.inconsistencias)
        line += QStringLiteral(" Inconsistências;");
    if (b.ok)
        line += QStringLiteral(" Ok;");
    if (b.okRetificado)
        line += QStringLiteral(" Ok Retificados;");
    if (search.protocoloSelecionado && !search.protocolo.isEmpty())
        line += QStringLiteral(" Protocolo ") + search.protocolo;
    return line;
}

BandedReport buildDispensationListing(Database &db, const DispensationReportInput &input)
{
    BandedReport report;
    report.setTitle(titleBand(input));
    ListSearch search = input.search;
    search.kind = MovementKind::Dispensacoes;
    db.restartTransaction();
    {
        SqlCursor cursor = db.select(listStatement(search));
        // The shading starts white before the report and switches before every row,
        // so the first row is silver.
        const QList<std::pair<int, int>> columns = detailColumns(cursor);
        QColor shade = White;
        while (cursor.next()) {
            shade = shade == White ? Silver : White;
            report.addDetail(detailBand(cursor, columns, shade));
        }
    }
    db.rollback();
    report.setSummary(ReportBand(SummaryHeight));
    return report;
}

void printDispensationListing(Database &db, const DispensationReportInput &input, QPagedPaintDevice &device)
{
    buildDispensationListing(db, input).render(device);
}

} // namespace tavro
