#include "TestDatabase.h"
#include "common/Error.h"
#include "db/Database.h"
#include "followup/ProtocolList.h"
#include "lists/RecordList.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

TEST(ProtocolListStatement, LinesFollowTheTickedBoxes)
{
    ProtocolFilter f;
    f.cnes = QStringLiteral("2345678");
    f.entradas = f.saidas = false;
    f.status.aguardando = f.status.finalizados = f.status.inconsistencias = f.status.okRetificado = false;
    const SqlStatement s = protocolListStatement(f);
    const QString held = QStringLiteral("p.situacao in ('Preparando', 'Enviando', 'Sem resposta')");
    EXPECT_EQ(s.lines(),
              (QStringList{"select p.*", "from TavroProtocolos p", "where 1 = 1", "and p.cnes = :pcnes", "and ((1 = 1",
                           "and (1<>1 ", "or p.tipo = 'Estoque'", "or p.tipo = 'Dispensação'", ")", "and (1<>1 ",
                           "or p.situacao = 'Ok'", "or p.situacao = 'Ok (Inc.)'", ")", ") or " + held + ")",
                           "order by case when " + held + " then 0 else 1 end, lancamento descending"}));
    EXPECT_EQ(s.param(QStringLiteral("pcnes")).toString(), QStringLiteral("2345678"));

    ProtocolFilter none;
    none.todosCnes = true;
    none.estoque = none.entradas = none.saidas = none.dispensacoes = false;
    none.status.aguardando = none.status.finalizados = none.status.inconsistencias = none.status.ok
        = none.status.okRetificado = false;
    none.retidos = false; // as the nightly run's follow-up reads it
    EXPECT_EQ(protocolListStatement(none).lines(),
              (QStringList{"select p.*", "from TavroProtocolos p", "where 1 = 1", "order by lancamento descending"}));
}

// A kind ticks the box of its list, the one the protocol tab shows: a send of dispensations
// to patients without a card follows the dispensations' protocols.
TEST(ProtocolListStatement, EachKindTicksItsListsBox)
{
    const std::pair<MovementKind, const char *> cases[] = {
        {MovementKind::Estoque, "Estoque"},       {MovementKind::Entradas, "Entrada"},
        {MovementKind::Saidas, "Saída"},          {MovementKind::Dispensacoes, "Dispensação"},
        {MovementKind::SemCartao, "Dispensação"},
    };
    for (const auto &[kind, tipo] : cases) {
        ProtocolFilter f;
        f.todosCnes = true;
        f.retidos = false;
        f.status.aguardando = f.status.finalizados = f.status.inconsistencias = f.status.ok = f.status.okRetificado
            = false;
        for (const MovementKind list : AllLists)
            f.shows(list) = false;
        f.shows(kind) = true;
        EXPECT_TRUE(f.shows(kind));
        EXPECT_EQ(protocolListStatement(f).lines(),
                  (QStringList{"select p.*", "from TavroProtocolos p", "where 1 = 1", "and (1<>1 ",
                               QStringLiteral("or p.tipo = '%1'").arg(QString::fromUtf8(tipo)), ")",
                               "order by lancamento descending"}))
            << tipo;
    }
    ProtocolFilter boxes;
    boxes.shows(MovementKind::SemCartao) = false;
    EXPECT_FALSE(boxes.dispensacoes);
    EXPECT_TRUE(boxes.estoque && boxes.entradas && boxes.saidas);
}

class ProtocolListLoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char *rows[][5] = {
            {"P1", "Estoque", "Aguardando", "2345678", ""},
            {"P2", "Entrada", "Finalizado", "2345678", ""},
            {"P3", "Saída", "Ok", "2345678", ""},
            {"P4", "Dispensação", "Ok (Inc.)", "2345678", ""},
            {"P5", "Estoque", "Ok-Retificado", "2345678", ""},
            {"P6", "Estoque", "Inconsistência", "3456789", ""},
            {"P7", "Estoque", "Estranho", "2345678", "P5"},
        };
        for (const auto &r : rows)
            fixture.exec(
                QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Tipo, Situacao, cnes, ProtocoloAntigo) "
                               "values ('%1', '16-08-2018 17:48:40', '%2', '%3', '%4', %5)")
                    .arg(QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]),
                         QString::fromUtf8(r[3]),
                         *r[4] ? QStringLiteral("'%1'").arg(QString::fromUtf8(r[4])) : QStringLiteral("null")));
        db.open(fixture.path());
        list = newProtocolList(nullptr);
        tester = new QAbstractItemModelTester(list, QAbstractItemModelTester::FailureReportingMode::Warning, list);
        filter.cnes = QStringLiteral("2345678");
    }
    void TearDown() override { delete list; }

    QStringList protocols() const
    {
        QStringList out;
        for (int r = 0; r < list->rowCount(); ++r)
            out.append(list->subCell(r, ProtocolCell::Protocolo));
        return out;
    }

    TestDatabase fixture;
    Database db;
    RecordList *list = nullptr;
    QAbstractItemModelTester *tester = nullptr;
    ProtocolFilter filter;
};

TEST_F(ProtocolListLoad, NewestFirstWithEveryCellAsText)
{
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(protocols(), (QStringList{"P5", "P4", "P3", "P2", "P1"})); // P6 other CNES, P7 unknown status
    EXPECT_EQ(list->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Lançamento"));
    EXPECT_EQ(list->caption(0), QStringLiteral("5"));
    EXPECT_EQ(list->subCell(1, ProtocolCell::Tipo), QStringLiteral("Dispensação"));
    EXPECT_EQ(list->subCell(1, ProtocolCell::Data), QStringLiteral("16-08-2018 17:48:40"));
    EXPECT_EQ(list->data(list->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255)); // Ok-Retificado
    EXPECT_EQ(list->data(list->index(4, 3), Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 0));
}

TEST_F(ProtocolListLoad, FiltersByKindStatusAndCnes)
{
    filter.status.aguardando = filter.status.finalizados = filter.status.inconsistencias = filter.status.okRetificado
        = false;
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(protocols(), (QStringList{"P4", "P3"}));

    filter = ProtocolFilter{};
    filter.todosCnes = true;
    filter.status.aguardando = filter.status.finalizados = filter.status.inconsistencias = filter.status.ok
        = filter.status.okRetificado = false;
    filter.entradas = filter.saidas = filter.dispensacoes = false;
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(protocols(), (QStringList{"P7", "P6", "P5", "P1"}));
    EXPECT_EQ(list->subCell(0, ProtocolCell::ProtocoloAntigo), QStringLiteral("P5"));
    EXPECT_EQ(list->data(list->index(0, 1), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
}

// A batch held back (the program's own statuses, which no box names) is listed first whatever
// the boxes say, in a colour of its own; a released or never-sent one follows the boxes and is grey.
TEST_F(ProtocolListLoad, HeldBatchesComeFirstWhateverTheBoxes)
{
    const char *rows[][3] = {
        {"ENV8-aaaaaa", "Estoque", "Sem resposta"}, {"ENV9-bbbbbb", "Entrada", "Enviando"},
        {"ENV10-cccccc", "Saída", "Preparando"},    {"ENV11-dddddd", "Estoque", "Liberado"},
        {"ENV12-eeeeee", "Estoque", "Não enviado"},
    };
    for (const auto &r : rows)
        fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Tipo, Situacao, cnes) values "
                                    "('%1', '2026-12-10 17:30:05', '%2', '%3', '2345678')")
                         .arg(QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2])));
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Tipo, Situacao, cnes) values "
                                "('ENV13-ffffff', '2026-12-10 17:30:05', 'Estoque', 'Enviando', '3456789')"));
    const QStringList held{"ENV10-cccccc", "ENV9-bbbbbb", "ENV8-aaaaaa"};

    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list); // the default boxes
    EXPECT_EQ(protocols(), (held + QStringList{"P5", "P4", "P3", "P2", "P1"}));
    const QColor heldColour(204, 85, 0);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list->data(list->index(row, 4), Qt::ForegroundRole).value<QColor>(), heldColour) << row;

    filter.estoque = filter.entradas = filter.saidas = false;
    filter.status.aguardando = filter.status.finalizados = filter.status.inconsistencias = filter.status.okRetificado
        = false;
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(protocols(), (held + QStringList{"P4"}));

    filter = ProtocolFilter{};
    filter.cnes = QStringLiteral("2345678");
    filter.status = StatusBoxes{false, false, false, false, false}; // every status
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(protocols().mid(0, 5), (held + QStringList{"ENV12-eeeeee", "ENV11-dddddd"}));
    EXPECT_EQ(list->data(list->index(3, 4), Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 128));
}

TEST_F(ProtocolListLoad, BeforeLoginOrOnFailureTheListKeepsItsRows)
{
    CarregaProtocolos(db, filter, QString(), *list);
    EXPECT_EQ(list->rowCount(), 0);
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    ASSERT_EQ(list->rowCount(), 5);
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Tipo, Situacao, cnes) values ('P8', "
                                "'Estoque', 'Aguardando', '2345678')"));
    CarregaProtocolos(db, filter, QString(), *list);
    EXPECT_EQ(list->rowCount(), 5);

    fixture.exec(QStringLiteral("alter table TavroProtocolos drop ProtocoloAntigo"));
    Database other;
    other.open(fixture.path());
    EXPECT_THROW(CarregaProtocolos(other, filter, QStringLiteral("FARMACIA"), *list), Error);
    EXPECT_EQ(list->rowCount(), 5);
}

TEST_F(ProtocolListLoad, ReloadSeesOnlyCommittedWrites)
{
    SqlStatement write{QStringLiteral("update TavroProtocolos set Situacao = 'Finalizado' where Protocolo = 'P1'")};
    db.execute(write); // left uncommitted, as a check that failed half-way
    CarregaProtocolos(db, filter, QStringLiteral("FARMACIA"), *list);
    EXPECT_EQ(list->subCell(4, ProtocolCell::Situacao), QStringLiteral("Aguardando"));
}
