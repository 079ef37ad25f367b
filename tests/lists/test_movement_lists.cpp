#include "TestDatabase.h"
#include "common/Error.h"
#include "common/ProgressObserver.h"
#include "db/Database.h"
#include "lists/ListCounts.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <memory>

using namespace tavro;
using tavro::test::TestDatabase;

class MovementList : public ::testing::Test
{
protected:
    void SetUp() override { db.open(fixture.path()); }

    ListSearch period(MovementKind kind) const
    {
        ListSearch s;
        s.kind = kind;
        s.unidade = QStringLiteral("1");
        s.period.dataInicial = QStringLiteral("01/01/2019");
        s.period.dataFinal = QStringLiteral("31/01/2019");
        return s;
    }
    ListSearch stock() const
    {
        ListSearch s;
        s.kind = MovementKind::Estoque;
        s.unidade = QStringLiteral("2345678");
        s.dia = QStringLiteral("31/01/2019");
        return s;
    }
    // Fills a new list of the search's kind; the list stays alive until the test ends.
    RecordList &fill(const ListSearch &search)
    {
        lists.emplace_back(newMovementList(search.kind, nullptr));
        RecordList &list = *lists.back();
        new QAbstractItemModelTester(&list, QAbstractItemModelTester::FailureReportingMode::Warning, &list);
        protocols = fillMovementList(db, search, list);
        return list;
    }
    static QStringList captions(const RecordList &list)
    {
        QStringList out;
        for (int r = 0; r < list.rowCount(); ++r)
            out.append(list.caption(r));
        return out;
    }

    TestDatabase fixture;
    Database db;
    QStringList protocols;
    std::vector<std::unique_ptr<RecordList>> lists;
};

TEST_F(MovementList, RowsOfEachKindForTheUnitAndPeriod)
{
    EXPECT_EQ(captions(fill(period(MovementKind::Entradas))),
              (QStringList{"1001-1", "1001-2", "1001-3", "1002-1", "1002-2", "1003-1", "1003-2", "1004-1"}));
    EXPECT_EQ(captions(fill(period(MovementKind::Saidas))),
              (QStringList{"2001-1", "2001-2", "2003-1", "2003-2", "2004-1", "3006-1"}));
    EXPECT_EQ(captions(fill(period(MovementKind::Dispensacoes))),
              (QStringList{"3001-1", "3001-2", "3002-1", "3003-1", "3004-1", "3005-1", "3006-1"}));
    EXPECT_EQ(fill(stock()).rowCount(), 9);

    ListSearch withoutCode = period(MovementKind::Dispensacoes);
    withoutCode.exibirSemCodigo = true;
    RecordList &all = fill(withoutCode);
    ASSERT_EQ(all.rowCount(), 8);
    EXPECT_EQ(all.caption(6), QStringLiteral("3005-2"));
    EXPECT_EQ(all.subCell(6, DispensacaoCell::Produto), QString()); // empty catalogue code
}

TEST_F(MovementList, CellsOfAStockRow)
{
    RecordList &list = fill(stock());
    EXPECT_EQ(list.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Lanc."));
    EXPECT_EQ(list.columnCount(), 15);
    // Ordered by product name: AMOXICILINA lots first.
    EXPECT_EQ(list.caption(0), QStringLiteral("5023"));
    const QStringList cells = [&] {
        QStringList c;
        for (int k = 0; k <= EstoqueCell::Gravar; ++k)
            c.append(list.subCell(0, k));
        return c;
    }();
    EXPECT_EQ(cells,
              (QStringList{"101", "BR0268143000016", "AMOXICILINA 500MG CAPSULA", "AMX1801", "30/06/2020", "379",
                           "31/01/2019", "", "", "", "", "", "", ""}));
    EXPECT_EQ(list.data(list.index(0, EstoqueCell::Quantidade + 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_TRUE(db.inTransaction()); // the stock search leaves its transaction active
}

TEST_F(MovementList, DestinationAndSupplierRules)
{
    ListSearch issues = period(MovementKind::Saidas);
    issues.exibirSemCodigo = true;
    RecordList &saidas = fill(issues);
    const auto destination = [&](int row) {
        return QStringList{saidas.subCell(row, SaidaCell::Destino), saidas.subCell(row, SaidaCell::CnesDestino),
                           saidas.subCell(row, SaidaCell::CnpjDestino)};
    };
    EXPECT_EQ(saidas.caption(0), QStringLiteral("2001-1"));
    EXPECT_EQ(destination(0), (QStringList{"HOSPITAL MUNICIPAL CENTRAL", "3456789", ""}));
    EXPECT_EQ(saidas.caption(2), QStringLiteral("2002-1"));
    EXPECT_EQ(destination(2), (QStringList{"ASSOCIAÇÃO BENEFICENTE VIDA", "", "23.456.789/0001-05"}));
    EXPECT_EQ(saidas.caption(6), QStringLiteral("3006-1"));
    EXPECT_EQ(destination(6), (QStringList{"PEDRO HENRIQUE ALVES", "", ""}));

    RecordList &entradas = fill(period(MovementKind::Entradas));
    EXPECT_EQ(entradas.subCell(0, EntradaCell::CnpjDistribuidor), QStringLiteral("12.345.678/0001-95"));
    EXPECT_EQ(entradas.subCell(5, EntradaCell::CnpjDistribuidor),
              QStringLiteral("98.765.432/0001-98")); // line supplier
    EXPECT_EQ(entradas.subCell(6, EntradaCell::CnpjDistribuidor), QString());
    EXPECT_EQ(entradas.subCell(3, EntradaCell::FabricanteInternacional), QString());
    EXPECT_EQ(entradas.subCell(4, EntradaCell::FabricanteInternacional), QStringLiteral("IL-4410293"));

    RecordList &disp = fill(period(MovementKind::Dispensacoes));
    EXPECT_EQ(disp.subCell(0, DispensacaoCell::CnsUsuario), QStringLiteral("898001160580009"));
    EXPECT_EQ(disp.subCell(0, DispensacaoCell::Peso), QStringLiteral("68,5"));
    EXPECT_EQ(disp.subCell(0, DispensacaoCell::Crm), QStringLiteral("123456"));
    EXPECT_EQ(disp.subCell(6, DispensacaoCell::CnsUsuario), QStringLiteral("898 0011 6058 0"));
    EXPECT_EQ(disp.subCell(0, DispensacaoCell::CnpjFabricante), QStringLiteral("57.507.378/0003-65"));
}

TEST_F(MovementList, StatusAndProtocolFilters)
{
    fixture.exec(QStringLiteral(
        "update itenssaidas set TavroProtocolo = 'P''1', TavroSituacao = 'Ok (Inc.)' where lancamento = 3001"));
    fixture.exec(QStringLiteral(
        "update itenssaidas set TavroProtocolo = 'P2', TavroSituacao = 'Aguardando' where lancamento = 3002"));
    fixture.exec(QStringLiteral(
        "update itenssaidas set TavroProtocolo = 'P3', TavroSituacao = 'Estranho' where lancamento = 3003"));

    ListSearch s = period(MovementKind::Dispensacoes);
    RecordList &ticked = fill(s);
    EXPECT_EQ(captions(ticked), (QStringList{"3001-1", "3001-2", "3002-1", "3004-1", "3005-1", "3006-1"}));
    EXPECT_EQ(protocols, (QStringList{"", "P'1", "P2"}));
    EXPECT_EQ(ticked.data(ticked.index(0, 1), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(ticked.data(ticked.index(2, 1), Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 0));

    s.status = StatusBoxes{false, false, false, true, false}; // only "Ok": "Ok (Inc.)" and never sent too
    EXPECT_EQ(captions(fill(s)), (QStringList{"3001-1", "3001-2", "3004-1", "3005-1", "3006-1"}));

    s.status = StatusBoxes{false, false, false, false, false}; // none ticked: every status
    EXPECT_EQ(fill(s).rowCount(), 7);

    s.protocoloSelecionado = true;
    s.protocolo = QStringLiteral("P'1"); // bound as a parameter: the quote is just a character
    EXPECT_EQ(captions(fill(s)), (QStringList{"3001-1", "3001-2"}));
    s.protocolo = QStringLiteral("x' or '1'='1");
    EXPECT_EQ(fill(s).rowCount(), 0);
    s.protocolo.clear(); // the empty entry applies no protocol filter
    EXPECT_EQ(fill(s).rowCount(), 7);
}

TEST_F(MovementList, EmptyAndFailingSearches)
{
    ListSearch s = period(MovementKind::Entradas);
    s.period.dataInicial = s.period.dataFinal = QStringLiteral("01/01/2030");
    EXPECT_EQ(fill(s).rowCount(), 0);
    EXPECT_EQ(protocols, QStringList{QString()});

    RecordList &list = fill(period(MovementKind::Entradas));
    ASSERT_EQ(list.rowCount(), 8);
    s = period(MovementKind::Entradas);
    s.period.dataFinal = QStringLiteral("31/02/2019");
    try {
        fillMovementList(db, s, list);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'31/02/2019' is not a valid date"));
    }
    EXPECT_EQ(list.rowCount(), 8);

    ListSearch other = stock();
    other.dia = QStringLiteral("29/01/2019");
    other.unidade = QStringLiteral("3456789");
    EXPECT_EQ(fill(other).rowCount(), 0);
    EXPECT_EQ(protocols, QStringList{QString()});
}

// A search reports every SearchProgressRows rows, so a small one reports nothing.
TEST_F(MovementList, LargeSearchesReportTheRowsFetched)
{
    struct Rows : ProgressObserver
    {
        void progressed(const Progress &progress) override { counts.append(progress.current); }
        QList<qint64> counts;
    } observer;
    RecordList &small = *lists.emplace_back(newMovementList(MovementKind::Entradas, nullptr));
    fillMovementList(db, period(MovementKind::Entradas), small, &observer);
    EXPECT_TRUE(observer.counts.isEmpty());

    fixture.exec(QStringLiteral("execute block as declare i integer = 0; begin while (i < 4500) do begin "
                                "insert into ITENSENTRADAS "
                                "(lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, codunidade) "
                                "values (1001, 100 + :i, 101, 'AMX1801', 1, 1); i = i + 1; end end"));
    RecordList &large = *lists.emplace_back(newMovementList(MovementKind::Entradas, nullptr));
    fillMovementList(db, period(MovementKind::Entradas), large, &observer);
    EXPECT_EQ(large.rowCount(), 4508);
    EXPECT_EQ(observer.counts, (QList<qint64>{SearchProgressRows, 2 * SearchProgressRows}));
}

TEST_F(MovementList, CountsInAllAndPerStatus)
{
    ListSearch search = stock();
    search.exibirSemCodigo = true;
    RecordList &list = fill(search);
    EXPECT_EQ(countRows(list).text(), QStringLiteral("11 registros: Não enviados 11"));
    const int cell = list.statusSubCell();
    list.setSubCell(0, cell, QStringLiteral("Ok-Retificado"));
    list.setSubCell(1, cell, QStringLiteral("Ok"));
    list.setSubCell(2, cell, QStringLiteral("Ok (Inc.)"));
    list.setSubCell(3, cell, QStringLiteral("Aguardando"));
    list.setSubCell(4, cell, QStringLiteral("Aguardando"));
    list.setSubCell(5, cell, QStringLiteral("Inconsistência"));
    const ListCounts counts = countRows(list);
    EXPECT_EQ(counts.total, 11);
    EXPECT_EQ(counts.text(),
              QStringLiteral("11 registros: Não enviados 5, Aguardando 2, Inconsistência 1, Ok 1, "
                             "Ok (Inc.) 1, Ok-Retificado 1"));
    list.clear();
    EXPECT_EQ(countRows(list).text(), QStringLiteral("Nenhum registro"));
    search.dia = QStringLiteral("01/01/2000");
    EXPECT_EQ(countRows(fill(search)).text(), QStringLiteral("Nenhum registro"));
}
