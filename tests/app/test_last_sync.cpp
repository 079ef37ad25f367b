#include "RecordingMessages.h"
#include "app/LastSyncButton.h"
#include "app/Messages.h"
#include "sync/SyncSummary.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

using tavro::test::RecordingMessages;

SyncSummary night(bool failing)
{
    SyncSummary summary;
    summary.started = QDateTime(QDate(2026, 12, 10), QTime(2, 0, 5));
    summary.finished = QDateTime(QDate(2026, 12, 10), QTime(2, 4, 40));
    summary.unidade = QStringLiteral("1");
    summary.cnes = QStringLiteral("2345678");
    summary.periods = {{QStringLiteral("01/12/2026"), QStringLiteral("09/12/2026")}};
    KindSummary estoque;
    estoque.name = QStringLiteral("estoque");
    estoque.lists = 9;
    estoque.batches = 2;
    estoque.sent = 640;
    estoque.refused = 1;
    estoque.messages = {QStringLiteral("Falta Lote para o produto: 5023 - AMOXICILINA")};
    if (failing)
        estoque.failures = {QStringLiteral("09/12/2026: O serviço não respondeu dentro do tempo limite (120 s)")};
    summary.kinds = {estoque};
    FollowupSummary followup;
    followup.tipo = QStringLiteral("Estoque");
    followup.checked = 2;
    followup.statuses = {{QStringLiteral("Ok"), 1}, {QStringLiteral("Aguardando"), 1}};
    followup.waiting = 1;
    summary.followup = {followup};
    return summary;
}

} // namespace

TEST(LastSync, StatusStripNamesTheLastRunAndAClickShowsItsSummary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sincronizar-ultimo.json"));
    RecordingMessages messages;
    LastSyncButton button(messages);

    button.load(path); // no run yet
    EXPECT_TRUE(button.isHidden());

    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing);
        const SyncSummary summary = night(failing);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(summaryJson(summary));
        file.close();

        button.load(path);
        EXPECT_FALSE(button.isHidden());
        const QString result = failing ? QStringLiteral("com falhas") : QStringLiteral("concluída");
        EXPECT_EQ(button.text(),
                  QStringLiteral("Última sincronização automática: 10/12/2026 02:04 (CNES 2345678), ") + result);
        messages.shown.clear();
        QTest::mouseClick(&button, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 1);
        // What was read back is what the run wrote.
        EXPECT_EQ(messages.shown.first(), summaryText(summary));
        EXPECT_TRUE(messages.shown.first().contains(QStringLiteral("Falta Lote para o produto: 5023 - AMOXICILINA")));
        EXPECT_EQ(messages.shown.first().contains(QStringLiteral("COM FALHAS")), failing);
        EXPECT_TRUE(messages.shown.first().contains(QStringLiteral("Protocolos aguardando o serviço: 1")));
    }

    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("{ meio arquivo");
    broken.close();
    button.load(path);
    EXPECT_TRUE(button.isHidden());
}

// The summary's table lines up: its box shows it unwrapped in the packaged fixed-width font,
// not in whatever fixed-width font the desktop (or its absence) names.
TEST(LastSync, SummaryBoxShowsItUnwrappedInAFixedWidthFont)
{
    const QString text = summaryText(night(true));
    QString shown;
    QString family;
    bool fixed = false;
    bool wraps = true;
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (const auto *view = box->findChild<QPlainTextEdit *>()) {
            shown = view->toPlainText();
            const QFontInfo font(view->font());
            family = font.family();
            fixed = font.fixedPitch();
            wraps = view->lineWrapMode() != QPlainTextEdit::NoWrap;
        }
        box->close();
    });
    MessageBoxes().summary(nullptr, text);
    EXPECT_EQ(shown, text);
    EXPECT_EQ(family, QStringLiteral("Liberation Mono"));
    EXPECT_TRUE(fixed);
    EXPECT_FALSE(wraps);
}
