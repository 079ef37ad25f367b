#include "KindCases.h"
#include "lists/ListKinds.h"
#include "transmission/TransmissionKind.h"

#include <gtest/gtest.h>

#include <optional>

using namespace tavro;

// The table is read by position: an entry out of the enum's order would give one kind
// another's tables, cells and transmitter.
TEST(KindTable, EntriesFollowTheEnum)
{
    int position = 0;
    for (const MovementKind kind : AllKinds) {
        SCOPED_TRACE(kindFacts(kind).name.toStdString());
        EXPECT_EQ(int(kind), position++);
        const KindFacts &facts = kindFacts(kind);
        EXPECT_EQ(facts.kind, kind);
        const std::unique_ptr<TransmissionKind> transmitter = facts.make();
        EXPECT_EQ(transmitter->table(), kind);
        EXPECT_EQ(transmitter->tipo(), facts.tipo);
        // A kind reads a list of its own or shares one, whose status cells and table it writes.
        const KindFacts &list = kindFacts(facts.list);
        EXPECT_EQ(list.list, facts.list);
        EXPECT_EQ(list.table, facts.table);
        EXPECT_EQ(list.cells.situacao, facts.cells.situacao);
    }
    position = 0;
    for (const MovementKind list : AllLists) {
        EXPECT_EQ(int(list), position++);
        EXPECT_EQ(kindFacts(list).list, list);
    }
    EXPECT_EQ(std::size(AllKinds), std::size_t(MovementKind::SemCartao) + 1);
}

TEST(KindTable, NamesAndTiposLeadBackToTheirKind)
{
    struct Case
    {
        const char *name;
        std::optional<MovementKind> list; // what a list's name gives
        std::optional<MovementKind> kind; // what a send's name gives
    };
    const Case cases[] = {
        {"estoque", MovementKind::Estoque, MovementKind::Estoque},
        {"entradas", MovementKind::Entradas, MovementKind::Entradas},
        {"saidas", MovementKind::Saidas, MovementKind::Saidas},
        {"dispensacoes", MovementKind::Dispensacoes, MovementKind::Dispensacoes},
        {"sem-cartao", std::nullopt, MovementKind::SemCartao}, // a send, not a list
        {"Estoque", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(movementKindNamed(QString::fromUtf8(c.name)), c.list);
        EXPECT_EQ(kindNamed(QString::fromUtf8(c.name)), c.kind);
    }
    for (const MovementKind kind : AllKinds)
        EXPECT_EQ(movementKindOfTipo(kindFacts(kind).tipo), kindFacts(kind).list);
    EXPECT_EQ(movementKindOfTipo(QStringLiteral("Outro")), std::nullopt);
    EXPECT_EQ(kindOfTipo(QStringLiteral("Outro")), MovementKind::Estoque);
}

// The transmission suites run their cases over the kinds with their own idea of each kind's
// list and table: the table must agree with it.
TEST(KindTable, AgreesWithTheSuitesCases)
{
    for (const test::KindCase &c : test::kindCases()) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(kindFacts(c.kind).list, c.list);
        EXPECT_EQ(kindFacts(c.kind).table.toLower(), c.table);
    }
}
