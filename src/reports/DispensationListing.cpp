#include "reports/DispensationListing.h"

#include "db/Database.h"
#include "db/DateText.h"
#include "db/TransactionGuard.h"

#include <QDir>
#include <QSet>
#include <QStandardPaths>

#include <map>

namespace tavro {

namespace {

constexpr double TitleHeight = 19.6;

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

// Every box ends at least 1 mm before the next begins, so a long text ends in "…" well
// clear of its neighbour. The product name starts close after the product code ("BR" and
// 13 digits need 24.3 mm) and takes room from the lot, whose codes are short, so the
// catalogue's names are not cut.
const DetailField DetailFields[] = {
    {"LANCAMENTO", " - ", "ITEM", 0.8, 13.2, Qt::AlignLeft, "Código"},
    {"TAVROTIPO", "", "CODIGOTAVRO", 17.5, 26.0, Qt::AlignLeft, "Produto"},
    {"NOMEPRODUTO", nullptr, nullptr, 44.5, 61.3},
    {"LOTE", nullptr, nullptr, 106.8, 15.8, Qt::AlignLeft, "Lote"},
    {"DTVALIDADE", nullptr, nullptr, 123.6, 15.0, Qt::AlignLeft, "Validade"},
    {"QUANTIDADE", nullptr, nullptr, 139.6, 9.6, Qt::AlignRight, "Qtd"},
    {"DATA", nullptr, nullptr, 151.3, 16.7, Qt::AlignLeft, "Data"},
    {"CARTAOSUS", nullptr, nullptr, 169.3, 27.3, Qt::AlignLeft, "Cartão Sus"},
    {"NOMEPESSOA", nullptr, nullptr, 198.2, 54.5, Qt::AlignLeft, "Pessoa"},
    {"TAVROSITUACAO", nullptr, nullptr, 253.7, 21.7, Qt::AlignLeft, "Situação"},
};

enum DetailColumn { Codigo, Produto, NomeProduto, Lote, Validade, Quantidade, Data, CartaoSus, NomePessoa, Situacao };

ReportBand titleBand(const DispensationReportInput &input)
{
    const ListSearch &s = input.search;
    ReportBand band(TitleHeight);
    band.addField(
        {QStringLiteral("RELAÇÃO DE DISPENSAÇÕES"), 6.4, 1.3, 267, BandedReport::TitlePoints, Qt::AlignHCenter});
    // A long unit name ends in "…" before the period, which fills at most 64 mm.
    band.addField({QStringLiteral("Unidade: ") + s.unidade, 6.4, 6.4, 37.1, BandedReport::TitlePoints});
    band.addField({QStringLiteral("CNES: ") + input.cnes, 44.5, 6.4, 39.2, BandedReport::TitlePoints});
    band.addField({QStringLiteral("Nome: ") + input.nomeUnidade, 84.7, 6.4, 123.1, BandedReport::TitlePoints});
    band.addField(
        {QStringLiteral("Período de ") + s.period.text(), 272.8, 6.4, 0, BandedReport::TitlePoints, Qt::AlignRight});
    band.addField({dispensationFilterLine(s), 6.4, 10.6, 266.4, BandedReport::TitlePoints});
    // Each heading stands over its own column: from the column's left edge, or ending at
    // its right edge over a right-aligned column.
    for (const DetailField &f : DetailFields) {
        if (!f.heading)
            continue;
        const bool right = f.alignment & Qt::AlignRight;
        band.addField({QString::fromUtf8(f.heading), right ? f.left + f.width : f.left, 15.4, 0,
                       BandedReport::DetailPoints, right ? Qt::AlignRight : Qt::AlignLeft});
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
    ReportBand band(BandedReport::DetailHeight, background);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const DetailField &f = DetailFields[i];
        QString text = row.text(columns.at(i).first);
        if (f.second)
            text += QString::fromLatin1(f.joiner) + row.text(columns.at(i).second);
        band.addField(
            {std::move(text), f.left, BandedReport::DetailTop, f.width, BandedReport::DetailPoints, f.alignment});
    }
    return band;
}

QString counted(qsizetype count, const char *one, const char *many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(count == 1 ? one : many);
}

// What the closing bands add up over the printed rows.
class ListingTotals
{
public:
    void add(const ReportBand &row, double quantidade)
    {
        const QList<ReportField> &cells = row.fields();
        m_dispensacoes.insert(cells.at(Codigo).text.section(QLatin1Char(' '), 0, 0));
        ++m_itens;
        // A patient is their health card; one without a card, their name.
        const QString &card = cells.at(CartaoSus).text;
        m_pacientes.insert(card.isEmpty() ? QStringLiteral("nome:") + cells.at(NomePessoa).text : card);
        m_quantidades[{cells.at(NomeProduto).text, cells.at(Produto).text}] += quantidade;
    }

    // "Totais: ..." then, when a row was printed, the quantity of each product by name.
    QList<ReportBand> bands() const
    {
        QList<ReportBand> bands;
        ReportBand totals(BandedReport::TotalsHeight);
        totals.addField({QStringLiteral("Totais: ") + counted(m_dispensacoes.size(), "dispensação", "dispensações")
                             + QStringLiteral(", ") + counted(m_itens, "item", "itens") + QStringLiteral(", ")
                             + counted(m_pacientes.size(), "paciente", "pacientes"),
                         DetailFields[Codigo].left, 2.5, 0, BandedReport::DetailPoints});
        bands.append(totals);
        if (m_quantidades.empty())
            return bands;
        ReportBand caption(BandedReport::DetailHeight);
        caption.addField({QStringLiteral("Quantidade por produto:"), DetailFields[Codigo].left, BandedReport::DetailTop,
                          0, BandedReport::DetailPoints});
        bands.append(caption);
        for (const auto &[product, quantidade] : m_quantidades) {
            ReportBand line(BandedReport::DetailHeight);
            for (const auto &[column, text] :
                 {std::pair{Produto, product.second}, std::pair{NomeProduto, product.first},
                  std::pair{Quantidade, fieldText(QVariant(quantidade))}}) {
                const DetailField &f = DetailFields[column];
                line.addField(
                    {text, f.left, BandedReport::DetailTop, f.width, BandedReport::DetailPoints, f.alignment});
            }
            bands.append(line);
        }
        return bands;
    }

private:
    QSet<QString> m_dispensacoes; // by LANCAMENTO
    qsizetype m_itens = 0;
    QSet<QString> m_pacientes;
    std::map<std::pair<QString, QString>, double> m_quantidades; // by product name, then code
};

// "Impresso em" and the page number at the foot of every page, so a loose page says
// when it was printed and where it belongs.
BandedReport::PageFooter pageFooter(const QDateTime &impressoEm)
{
    const QString printed = QStringLiteral("Impresso em ") + impressoEm.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
    return [printed](int page, int pageCount) {
        ReportBand band(BandedReport::FooterHeight);
        band.addField({printed, DetailFields[Codigo].left, 1.9, 0, BandedReport::DetailPoints});
        band.addField({QStringLiteral("Página %1 de %2").arg(page).arg(pageCount),
                       DetailFields[Situacao].left + DetailFields[Situacao].width, 1.9, 0, BandedReport::DetailPoints,
                       Qt::AlignRight});
        return band;
    };
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

BandedReport buildDispensationListing(Database &db, const DispensationReportInput &input, const QDateTime &impressoEm)
{
    BandedReport report;
    report.setTitle(titleBand(input));
    report.setPageFooter(BandedReport::FooterHeight, pageFooter(impressoEm));
    ListSearch search = input.search;
    search.kind = MovementKind::Dispensacoes;
    ListingTotals totals;
    const ReadSnapshot snapshot(db);
    {
        SqlCursor cursor = db.select(listStatement(search));
        // The shading starts white before the report and switches before every row,
        // so the first row is silver.
        const QList<std::pair<int, int>> columns = detailColumns(cursor);
        const int quantidade = columns.at(Quantidade).first;
        QColor shade = BandedReport::White;
        while (cursor.next()) {
            shade = shade == BandedReport::White ? BandedReport::Silver : BandedReport::White;
            report.addDetail(detailBand(cursor, columns, shade));
            totals.add(report.details().last(), cursor.value(quantidade).toDouble());
        }
    }
    for (ReportBand &band : totals.bands())
        report.addSummary(std::move(band));
    return report;
}

void printDispensationListing(Database &db, const DispensationReportInput &input, QPagedPaintDevice &device)
{
    buildDispensationListing(db, input).render(device);
}

QString dispensationListingPath(const DispensationReportInput &input)
{
    const auto isoDay = [](const QString &text) {
        const std::optional<QDate> day = readDate(text);
        return day ? day->toString(Qt::ISODate) : QString(text).replace(QLatin1Char('/'), QLatin1Char('-'));
    };
    const QString name = QStringLiteral("Dispensacoes_%1_%2_a_%3.pdf")
                             .arg(input.cnes, isoDay(input.search.period.dataInicial),
                                  isoDay(input.search.period.dataFinal));
    return documentsFilePath(name);
}

} // namespace tavro
