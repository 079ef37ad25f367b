#include "common/Status.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

using namespace tavro;

namespace {
QString cellText(int row, int column)
{
    // Cells of varied lengths, some empty, so rows straddle the storage blocks.
    return column % 4 == 3 ? QString()
                           : QStringLiteral("r%1c%2-").arg(row).arg(column).repeated(1 + (row + column) % 5);
}

// A list that announces a change of cells it does not have, as a broken writer would.
void announceAChangeOutsideTheList()
{
    RecordList list({{QStringLiteral("Lanc."), 50}}, 0, recordStatusColour);
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Warning);
    Q_EMIT list.dataChanged(QModelIndex(), QModelIndex());
}
} // namespace

// The testers on the list models would be worth nothing if a contract they find broken
// let the test pass.
TEST(ModelTester, ABrokenContractFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(announceAChangeOutsideTheList(), "QAbstractItemModelTester");
}

TEST(RecordRows, ManyRowsAcrossBlocksReadBackAndRewriteExactly)
{
    const int columns = 7, rows = 30000; // well over one storage block of text
    RecordRows store(columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            store.append(cellText(r, c));
    ASSERT_EQ(store.rowCount(), rows);
    for (int r = 0; r < rows; r += 997)
        for (int c = 0; c < columns; ++c)
            ASSERT_EQ(store.cell(r, c).toString(), cellText(r, c)) << r << "," << c;
    EXPECT_EQ(store.cell(rows - 1, 6).toString(), cellText(rows - 1, 6));

    // Rewrites that change a cell's length store rows anew, filling further blocks.
    for (int r = 0; r < rows; ++r)
        store.setCell(r, 2, QString(cellText(r, 2) + QStringLiteral("Aguardando")));
    for (int r = 0; r < rows; r += 331)
        for (int c = 0; c < columns; ++c)
            ASSERT_EQ(store.cell(r, c).toString(), cellText(r, c) + (c == 2 ? QStringLiteral("Aguardando") : QString()))
                << r << "," << c;
}

TEST(RecordRows, RewrittenCellsKeepTheirNeighbours)
{
    RecordRows store(3);
    for (int r = 0; r < 3; ++r)
        for (const char *text : {"caption", "Aguardando", ""})
            store.append(QString::fromUtf8(text));
    store.setCell(1, 1, u"Finalizado");                    // same length: in place
    store.setCell(1, 2, u"Sim");                           // longer: the row moves
    store.setCell(2, 1, u"Ok");                            // shorter
    store.setCell(0, 0, QString(70000, QLatin1Char('x'))); // beyond a cell's limit: cut
    EXPECT_EQ(store.cell(1, 0), u"caption");
    EXPECT_EQ(store.cell(1, 1), u"Finalizado");
    EXPECT_EQ(store.cell(1, 2), u"Sim");
    EXPECT_EQ(store.cell(2, 1), u"Ok");
    EXPECT_EQ(store.cell(2, 2), u"");
    EXPECT_EQ(store.cell(0, 0).size(), 0xFFFF);
    EXPECT_EQ(store.cell(0, 1), u"Aguardando");
}

// A cell of a column with room takes any text up to that many characters where it
// lies; only a longer text stores its row anew.
TEST(RecordRows, CellsWithRoomAreRewrittenInPlace)
{
    RecordRows store(QList<quint16>{0, 10, 0});
    for (int r = 0; r < 3; ++r)
        for (const char *text : {"caption", "", "tail"})
            store.append(QString::fromUtf8(text));
    const QStringView before = store.cell(1, 0);
    const struct
    {
        const char *text;
        bool inPlace;
    } writes[] = {{"Sim", true}, {"", true}, {"Aguardando", true}, {"Ok", true}, {"Inconsistência", false}};
    for (const auto &w : writes) {
        const QStringView was = store.cell(1, 0);
        store.setCell(1, 1, QString::fromUtf8(w.text));
        EXPECT_EQ(store.cell(1, 0).utf16() == was.utf16(), w.inPlace) << w.text;
        EXPECT_EQ(store.cell(1, 0), u"caption") << w.text;
        EXPECT_EQ(store.cell(1, 1).toString(), QString::fromUtf8(w.text));
        EXPECT_EQ(store.cell(1, 2), u"tail") << w.text;
    }
    EXPECT_NE(store.cell(1, 0).utf16(), before.utf16());
    // The row stored anew keeps at least the room, so shorter texts go in place again.
    const QStringView moved = store.cell(1, 0);
    store.setCell(1, 1, u"Aguardando");
    EXPECT_EQ(store.cell(1, 0).utf16(), moved.utf16());
    EXPECT_EQ(store.cell(0, 1), u"");
    EXPECT_EQ(store.cell(2, 2), u"tail");
}

// What a transmission run writes into a sent row of any movement list (the run mark,
// protocol and reception time at their longest, the status, the mark cleared) leaves the
// row where the search put it.
TEST(RecordList, SendingARowDoesNotStoreItAgain)
{
    const struct
    {
        MovementKind kind;
        int gravar, protocolo, data, situacao;
    } lists[] = {
        {MovementKind::Estoque, EstoqueCell::Gravar, EstoqueCell::Protocolo, EstoqueCell::DataProtocolo,
         EstoqueCell::Situacao},
        {MovementKind::Entradas, EntradaCell::Gravar, EntradaCell::Protocolo, EntradaCell::DataProtocolo,
         EntradaCell::Situacao},
        {MovementKind::Saidas, SaidaCell::Gravar, SaidaCell::Protocolo, SaidaCell::DataProtocolo, SaidaCell::Situacao},
        {MovementKind::Dispensacoes, DispensacaoCell::Gravar, DispensacaoCell::Protocolo,
         DispensacaoCell::DataProtocolo, DispensacaoCell::Situacao},
    };
    for (const auto &l : lists) {
        std::unique_ptr<RecordList> list(newMovementList(l.kind, nullptr));
        QAbstractItemModelTester tester(list.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
        RecordRows rows = list->newRows();
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < list->columnCount(); ++c)
                rows.append(c - 1 == l.situacao && r == 1 ? QStringLiteral("Inconsistência")
                                                          : QStringLiteral("cell %1").arg(c));
        }
        list->replaceRows(std::move(rows));
        for (int r = 0; r < 2; ++r) {
            const QStringView caption = list->subCellView(r, 0);
            list->setSubCell(r, l.gravar, QStringLiteral("Sim"));
            list->setSubCell(r, l.gravar, QString());
            list->setSubCell(r, l.protocolo, QString(25, QLatin1Char('9')));
            list->setSubCell(r, l.data, QStringLiteral("10-12-2026 08:30:00.000-3"));
            list->setSubCell(r, l.situacao, Situacao::Aguardando);
            EXPECT_EQ(list->subCellView(r, 0).utf16(), caption.utf16()) << int(l.kind) << " row " << r;
            EXPECT_EQ(list->subCell(r, l.situacao), Situacao::Aguardando);
            EXPECT_EQ(list->subCell(r, l.data), QStringLiteral("10-12-2026 08:30:00.000-3"));
            EXPECT_EQ(list->subCell(r, l.situacao + 1), QStringLiteral("cell %1").arg(l.situacao + 2));
        }
    }
}

TEST(RecordList, CellWritesRecolourOnlyTheirRow)
{
    RecordList list({{QStringLiteral("Lanc."), 50}, {QStringLiteral("Situação"), 100}}, 0, recordStatusColour);
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Warning);
    RecordRows rows = list.newRows();
    for (const char *caption : {"1", "2", "3"}) {
        rows.append(QString::fromUtf8(caption));
        rows.append(QStringView());
    }
    list.replaceRows(std::move(rows));
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.setSubCell(1, 0, QStringLiteral("Inconsistência"));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex().row(), 1);
    EXPECT_EQ(list.data(list.index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(list.data(list.index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    EXPECT_EQ(list.subCell(1, 0), QStringLiteral("Inconsistência"));
}
