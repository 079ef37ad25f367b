#include "PdfText.h"
#include "ReportInputs.h"
#include "TestDatabase.h"
#include "common/Error.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "reports/DispensationListing.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

using namespace tavro;
using tavro::test::january;
using tavro::test::pdfPages;
using tavro::test::pdfWords;
using tavro::test::TestDatabase;

namespace {

const QColor Silver(192, 192, 192);
const QColor White(255, 255, 255);
const QDateTime PrintedAt(QDate(2026, 12, 10), QTime(8, 30));

QStringList texts(const ReportBand &band)
{
    QStringList out;
    for (const ReportField &field : band.fields())
        out.append(field.text);
    return out;
}

} // namespace

class DispensationListing : public ::testing::Test
{
protected:
    void SetUp() override { db.open(fixture.path()); }

    QString pdf(const DispensationReportInput &input, const QString &name = QStringLiteral("listing.pdf"))
    {
        const QString path = fixture.folder() + QLatin1Char('/') + name;
        QPdfWriter writer(path);
        buildDispensationListing(db, input, PrintedAt).render(writer);
        return path;
    }

    // Adds `count` one-line dispensations for unit 1 on 10/01/2019, numbered from 5001.
    void addDispensations(int count) const
    {
        fixture.exec(
            QStringLiteral(
                "execute block as declare i integer = 0; begin while (i < %1) do begin "
                "insert into SAIDAS (lancamento, data, tavro_tpmov, CODPESSOA) values (5001 + :i, '2019-01-10', "
                "'S-DI', 2); "
                "insert into ITENSSAIDAS (lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, VALORUNITARIO, codunidade) "
                "values (5001 + :i, 1, 104, 'MET7781', 3, 0.07, 1); i = i + 1; end end")
                .arg(count));
    }

    TestDatabase fixture;
    Database db;
};

TEST(DispensationFilterLine, NamesTheTickedBoxesAndTheChosenProtocol)
{
    const struct
    {
        StatusBoxes boxes;
        bool protSelecionado;
        const char *protocolo;
        const char *line;
    } cases[] = {
        {{true, true, true, true, true},
         false,
         "",
         "Exibindo: Aguardandos; Finalizados; Inconsistências; Ok; Ok Retificados;"},
        {{false, false, false, false, false}, false, "", "Exibindo:"},
        {{false, true, false, false, true}, false, "P9", "Exibindo: Finalizados; Ok Retificados;"},
        {{false, false, false, false, false}, true, "", "Exibindo:"},
        {{true, false, false, true, false}, true, "201900000123", "Exibindo: Aguardandos; Ok; Protocolo 201900000123"},
    };
    for (const auto &c : cases) {
        ListSearch search;
        search.status = c.boxes;
        search.protocoloSelecionado = c.protSelecionado;
        search.protocolo = QString::fromUtf8(c.protocolo);
        EXPECT_EQ(dispensationFilterLine(search), QString::fromUtf8(c.line));
    }
}

TEST_F(DispensationListing, HeadingRowsAndShadingFollowTheDispensationList)
{
    DispensationReportInput input = january();
    fixture.exec(QStringLiteral("update itenssaidas set TavroProtocolo = 'P7', TavroSituacao = 'Ok' "
                                "where lancamento = 3002"));
    const BandedReport report = buildDispensationListing(db, input);

    EXPECT_EQ(texts(report.title()),
              (QStringList{"RELAÇÃO DE DISPENSAÇÕES", "Unidade: 1", "CNES: 2345678", "Nome: FARMACIA MUNICIPAL CENTRAL",
                           "Período de 01/01/2019 a 31/01/2019",
                           "Exibindo: Aguardandos; Finalizados; Inconsistências; Ok; Ok Retificados;", "Código",
                           "Produto", "Lote", "Validade", "Qtd", "Data", "Cartão Sus", "Pessoa", "Situação"}));

    // The same selection, in the same order, as the window's list of the same search.
    std::unique_ptr<RecordList> list(newMovementList(MovementKind::Dispensacoes, nullptr));
    fillMovementList(db, input.search, *list);
    ASSERT_EQ(report.details().size(), list->rowCount());
    ASSERT_EQ(list->rowCount(), 7);
    for (int r = 0; r < list->rowCount(); ++r) {
        const QStringList cells = texts(report.details().at(r));
        ASSERT_EQ(cells.size(), 10);
        EXPECT_EQ(cells.at(0), list->caption(r).replace(QLatin1Char('-'), QStringLiteral(" - ")));
        EXPECT_EQ(cells.at(3), list->subCell(r, DispensacaoCell::Lote));
        EXPECT_EQ(cells.at(6), list->subCell(r, DispensacaoCell::Data));
        EXPECT_EQ(cells.at(7), list->subCell(r, DispensacaoCell::CnsUsuario));
        EXPECT_EQ(cells.at(8), list->subCell(r, DispensacaoCell::NomeUsuario));
        EXPECT_EQ(cells.at(9), list->subCell(r, DispensacaoCell::Situacao));
        EXPECT_EQ(report.details().at(r).background(), r % 2 == 0 ? Silver : White) << r;
    }
    EXPECT_EQ(texts(report.details().at(0)),
              (QStringList{"3001 - 1", "BR0268370000019", "LOSARTANA POTASSICA 50MG COMPRIMIDO", "LOS2210",
                           "31/08/2020", "30", "04/01/2019", "898001160580009", "MARIA DAS DORES DA SILVA", ""}));
    EXPECT_EQ(texts(report.details().at(2)).at(9), QStringLiteral("Ok"));
}

TEST_F(DispensationListing, PdfOfTheDemoMonthOnOnePage)
{
    const QStringList pages = pdfPages(pdf(january()));
    ASSERT_EQ(pages.size(), 1);
    const QString page = pages.first();
    qsizetype at = 0;
    for (const char *expected : {"RELAÇÃO DE DISPENSAÇÕES", "Unidade: 1", "CNES: 2345678",
                                 "Nome: FARMACIA MUNICIPAL CENTRAL", "Período de 01/01/2019 a 31/01/2019",
                                 "Exibindo: Aguardandos; Finalizados; Inconsistências; Ok; Ok Retificados;", "Produto",
                                 "Situação", "3001 - 1", "3001 - 2", "3002 - 1", "3003 - 1", "3004 - 1", "3005 - 1",
                                 "3006 - 1", "Totais: 6 dispensações, 7 itens, 6 pacientes",
                                 "Quantidade por produto:", "Impresso em 10/12/2026 08:30", "Página 1 de 1"}) {
        const qsizetype found = page.indexOf(QString::fromUtf8(expected), at);
        ASSERT_GE(found, 0) << expected << " missing or out of order in:\n" << page.toStdString();
        at = found;
    }
    EXPECT_FALSE(page.contains(QStringLiteral("3005 - 2"))) << "product without catalogue code";
    EXPECT_FALSE(page.contains(QStringLiteral("3007 - 1"))) << "outside the period";
}

TEST_F(DispensationListing, LongPeriodBreaksPagesAndKeepsEveryRowInOrder)
{
    addDispensations(120);
    const QStringList pages = pdfPages(pdf(january(), QStringLiteral("long.pdf")));
    // 39 rows under the title on the first page, 44 on each further page above the footer:
    // 127 rows fill three pages, and the totals start a fourth.
    ASSERT_EQ(pages.size(), 4);
    EXPECT_TRUE(pages.at(0).contains(QStringLiteral("RELAÇÃO DE DISPENSAÇÕES")));
    EXPECT_FALSE(pages.at(1).contains(QStringLiteral("RELAÇÃO DE DISPENSAÇÕES")));
    const QString all = pages.join(QString());
    qsizetype at = all.indexOf(QStringLiteral("3006 - 1"));
    ASSERT_GE(at, 0);
    for (int doc = 5001; doc <= 5120; ++doc) {
        const qsizetype found = all.indexOf(QString::number(doc) + QStringLiteral(" - 1"), at);
        ASSERT_GT(found, at) << doc;
        at = found;
    }
    EXPECT_TRUE(pages.at(0).contains(QStringLiteral("5032 - 1")));
    EXPECT_TRUE(pages.at(1).contains(QStringLiteral("5033 - 1")));
    EXPECT_TRUE(pages.at(2).contains(QStringLiteral("5120 - 1")));
    EXPECT_TRUE(pages.at(3).contains(QStringLiteral("Totais: 126 dispensações, 127 itens")));
    EXPECT_FALSE(pages.at(3).contains(QStringLiteral(" - 1")));
    for (qsizetype p = 0; p < pages.size(); ++p) {
        EXPECT_TRUE(pages.at(p).contains(QStringLiteral("Página %1 de 4").arg(p + 1))) << p;
        EXPECT_TRUE(pages.at(p).contains(QStringLiteral("Impresso em 10/12/2026 08:30"))) << p;
    }
}

TEST_F(DispensationListing, PagesFilledExactlyGetNoBlankPage)
{
    // 39 + 44 rows fill two pages to the footer; the totals start the third.
    addDispensations(83 - 7);
    const BandedReport report = buildDispensationListing(db, january());
    const auto pages = report.pages();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages.at(0).size(), 1 + 39);
    EXPECT_EQ(pages.at(1).size(), 44);
    EXPECT_EQ(pages.at(2).first().band, &report.summaries().first());
    EXPECT_NEAR(pages.at(1).last().top + pages.at(1).last().band->height() + 5.2, BandedReport::PrintableHeight, 1e-9);
}

// Dispensations are counted by their number, patients by their health card (by name when
// they have none), quantities per product in the listing's number format.
TEST_F(DispensationListing, TotalsCountWhatThePagesShow)
{
    fixture.exec(QStringLiteral("update itenssaidas set quantidade = 2.5 where lancamento = 3004"));
    const struct
    {
        const char *de, *ate;
        QStringList bands;
    } cases[] = {
        {"01/01/2019",
         "31/01/2019",
         {"Totais: 6 dispensações, 7 itens, 6 pacientes",
          "Quantidade por produto:", "BR0268143000016 AMOXICILINA 500MG CAPSULA 21",
          "BR0267617000015 CAPTOPRIL 25MG COMPRIMIDO 60", "BR0267592000014 DIPIRONA SODICA 500MG COMPRIMIDO 10",
          "BR0268370000019 LOSARTANA POTASSICA 50MG COMPRIMIDO 32,5", "BR0267689000012 METFORMINA 850MG COMPRIMIDO 60",
          "BR0267713000018 SINVASTATINA 20MG COMPRIMIDO 30"}},
        {"01/01/2019",
         "05/01/2019",
         {"Totais: 1 dispensação, 2 itens, 1 paciente", "Quantidade por produto:",
          "BR0267617000015 CAPTOPRIL 25MG COMPRIMIDO 60", "BR0268370000019 LOSARTANA POTASSICA 50MG COMPRIMIDO 30"}},
        {"01/03/2019", "31/03/2019", {"Totais: 0 dispensações, 0 itens, 0 pacientes"}},
    };
    for (const auto &c : cases) {
        DispensationReportInput input = january();
        input.search.period.dataInicial = QString::fromLatin1(c.de);
        input.search.period.dataFinal = QString::fromLatin1(c.ate);
        const BandedReport report = buildDispensationListing(db, input);
        QStringList bands;
        for (const ReportBand &band : report.summaries())
            bands.append(texts(band).join(QLatin1Char(' ')));
        EXPECT_EQ(bands, c.bands) << c.de << " a " << c.ate;
    }
}

TEST_F(DispensationListing, EmptySearchStillPrintsTheHeading)
{
    DispensationReportInput input = january();
    input.search.period.dataInicial = QStringLiteral("01/03/2019");
    input.search.period.dataFinal = QStringLiteral("31/03/2019");
    input.search.status = StatusBoxes{false, false, false, false, false};
    const QStringList pages = pdfPages(pdf(input, QStringLiteral("empty.pdf")));
    ASSERT_EQ(pages.size(), 1);
    for (const char *expected :
         {"RELAÇÃO DE DISPENSAÇÕES", "Unidade: 1", "CNES: 2345678", "Nome: FARMACIA MUNICIPAL CENTRAL",
          "Período de 01/03/2019 a 31/03/2019", "Exibindo:", "Cartão Sus", "Totais: 0 dispensações", "Página 1 de 1"})
        EXPECT_TRUE(pages.first().contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(pages.first().contains(QStringLiteral(" - ")));
}

TEST_F(DispensationListing, DatabaseErrorWritesNoFile)
{
    DispensationReportInput input = january();
    input.search.period.dataFinal = QStringLiteral("31/02/2019");
    const QString path = fixture.folder() + QStringLiteral("/failed.pdf");
    {
        QPdfWriter writer(path);
        EXPECT_THROW(printDispensationListing(db, input, writer), Error);
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DispensationListing, UnwritableFileIsAnError)
{
    QPdfWriter writer(fixture.folder() + QStringLiteral("/no/such/folder/listing.pdf"));
    EXPECT_THROW(printDispensationListing(db, january(), writer), Error);
}

// Every heading stands over its column, and the names of the demo's catalogue fit their box.
TEST_F(DispensationListing, HeadingsStandOverTheirColumnsAndProductNamesFit)
{
    const BandedReport report = buildDispensationListing(db, january());
    QHash<QString, const ReportField *> headings;
    for (const ReportField &field : report.title().fields())
        headings.insert(field.text, &field);
    const QList<ReportField> &row = report.details().at(0).fields();
    const struct
    {
        const char *heading;
        int column;
    } columns[] = {{"Código", 0}, {"Produto", 1},    {"Lote", 3},   {"Validade", 4}, {"Qtd", 5},
                   {"Data", 6},   {"Cartão Sus", 7}, {"Pessoa", 8}, {"Situação", 9}};
    for (const auto &c : columns) {
        const ReportField *heading = headings.value(QString::fromUtf8(c.heading));
        ASSERT_NE(heading, nullptr) << c.heading;
        const ReportField &field = row.at(c.column);
        if (field.alignment & Qt::AlignRight) {
            EXPECT_TRUE(heading->alignment & Qt::AlignRight) << c.heading;
            EXPECT_DOUBLE_EQ(heading->left, field.left + field.width) << c.heading;
        } else {
            EXPECT_DOUBLE_EQ(heading->left, field.left) << c.heading;
        }
    }
    for (qsizetype i = 0; i + 1 < row.size(); ++i) {
        ASSERT_GT(row.at(i).width, 0) << "box " << i << " grows with its text";
        const double right = row.at(i).left + row.at(i).width;
        EXPECT_GE(row.at(i + 1).left - right, 1.0) << "box " << i << " ends less than 1 mm before the next";
    }

    QPdfWriter writer(fixture.folder() + QStringLiteral("/metrics.pdf"));
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSizeF(8);
    const QFontMetricsF metrics(QFont(font, &writer), &writer);
    const double pixelsPerMm = writer.resolution() / 25.4;
    const QString catalogue = QStringLiteral("select descricao from produtos where codigotavro <> ''");
    for (const QStringList &name : fixture.rows(catalogue))
        EXPECT_LE(metrics.horizontalAdvance(name.at(0)), row.at(2).width * pixelsPerMm) << name.at(0).toStdString();
}

// Long texts end in "…" inside their box: on the page, no word starts in one box and
// reaches past its edge (a cut that only clips would leave the whole word in the text).
TEST_F(DispensationListing, LongTextsStayInsideTheirBoxes)
{
    fixture.exec(QStringLiteral(
        "insert into PRODUTOS (codigo, descricao, codigotavro, tavrotipo) values (190, "
        "'ACIDO ACETILSALICILICO 100MG COMPRIMIDO REVESTIDO DE LIBERACAO PROLONGADA', '0268000000099', 'BR')"));
    fixture.exec(QStringLiteral("insert into NOVOLOTES (CODPRODUTO, LOTE, DTVALIDADE, CodFabricante) "
                                "values (190, 'LT2019000123456789', '2021-05-31', 1)"));
    fixture.exec(QStringLiteral("insert into PESSOAS (CODIGO, NOME, cnpj, tipocadastro, CARTAOSUS) values (90, "
                                "'MARIA APARECIDA DOS SANTOS NASCIMENTO DE OLIVEIRA FERREIRA', null, 'Pessoa', "
                                "'898001160580999')"));
    fixture.exec(QStringLiteral("insert into SAIDAS (lancamento, data, tavro_tpmov, CODPESSOA) "
                                "values (3900, '2019-01-02', 'S-DI', 90)"));
    fixture.exec(QStringLiteral("insert into ITENSSAIDAS (lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, "
                                "VALORUNITARIO, codunidade) values (3900, 1, 190, 'LT2019000123456789', 1, 0.1, 1)"));
    DispensationReportInput input = january();
    input.nomeUnidade = QStringLiteral("FARMACIA MUNICIPAL CENTRAL DE ATENDIMENTO ESPECIALIZADO E DE DISTRIBUICAO "
                                       "DE MEDICAMENTOS DO MUNICIPIO");
    const BandedReport report = buildDispensationListing(db, input);
    ASSERT_EQ(texts(report.details().at(7)).at(0), QStringLiteral("3900 - 1"));
    const QString path = pdf(input, QStringLiteral("long-texts.pdf"));
    const QList<QList<tavro::test::PdfWord>> pages = pdfWords(path);
    ASSERT_FALSE(pages.isEmpty());

    // Boxes in millimetres from the page's corner, one line of their text high.
    struct Box
    {
        double left, right, top, bottom;
    };
    QList<Box> boxes;
    const auto addBoxes = [&boxes](const ReportBand &band, double bandTop) {
        for (const ReportField &field : band.fields()) {
            const double top = BandedReport::Margin + bandTop + field.top;
            if (field.width > 0)
                boxes.append({BandedReport::Margin + field.left, BandedReport::Margin + field.left + field.width, top,
                              top + field.pointSize * 25.4 / 72 * 1.2});
        }
    };
    const auto layout = report.pages();
    for (const BandedReport::Placement &placement : layout.first())
        addBoxes(*placement.band, placement.top);
    int checked = 0;
    for (const tavro::test::PdfWord &word : pages.first()) {
        const double middle = (word.top + word.bottom) / 2;
        for (const Box &box : boxes) {
            if (word.left < box.left || word.left >= box.right || middle < box.top || middle >= box.bottom)
                continue;
            ++checked;
            EXPECT_LE(word.right, box.right + 0.05) << word.text.toStdString() << " runs past its box";
        }
    }
    EXPECT_GT(checked, 100);
    const QString text = pdfPages(path).value(0);
    for (const char *elided : {"Nome: FARMACIA MUNICIPAL CENTRAL DE ATENDIMENTO", "ACIDO ACETILSALICILICO 100MG",
                               "MARIA APARECIDA DOS SANTOS", "LT2019"}) {
        const QRegularExpression cut(QRegularExpression::escape(QString::fromUtf8(elided))
                                     + QStringLiteral("[^…\\n]*…"));
        EXPECT_TRUE(text.contains(cut)) << elided << " not ended by … in:\n" << text.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Período de 01/01/2019 a 31/01/2019")));
}
