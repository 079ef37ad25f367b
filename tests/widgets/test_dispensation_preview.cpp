#include "ReportInputs.h"
#include "TestDatabase.h"
#include "common/Error.h"
#include "db/Database.h"
#include "reports/DispensationListing.h"
#include "widgets/DispensationPreview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace tavro;
using tavro::test::january;
using tavro::test::TestDatabase;

namespace {

// Runs `inspect` on the preview once it is open, then closes it.
void whenPreviewOpens(std::function<void(QPrintPreviewDialog &)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(top); dialog && dialog->isVisible()) {
                inspect(*dialog);
                dialog->reject();
                return;
            }
        }
        ADD_FAILURE() << "no preview open";
    });
}

} // namespace

TEST(DispensationPreview, OpensOverMostOfTheScreenFittedToTheWidthWithPdfOutput)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    // The desktop's documents folder, as its user-dirs file names it.
    const QString documents = fixture.folder() + QStringLiteral("/Documentos");
    const QString config = fixture.folder() + QStringLiteral("/config");
    ASSERT_TRUE(QDir().mkpath(config) && QDir().mkpath(documents));
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
    dirs.close();
    const QByteArray configBefore = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    bool inspected = false;
    whenPreviewOpens([&](QPrintPreviewDialog &dialog) {
        inspected = true;
        EXPECT_TRUE(dialog.windowState() & Qt::WindowMaximized);
        // Without a window manager to maximise it, the dialog still covers most of the screen.
        const QRect area = dialog.screen()->availableGeometry();
        EXPECT_GE(dialog.width(), area.width() * 8 / 10);
        EXPECT_GE(dialog.height(), area.height() * 8 / 10);
        auto *pages = dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(pages, nullptr);
        EXPECT_EQ(pages->zoomMode(), QPrintPreviewWidget::FitToWidth);
        EXPECT_GT(pages->zoomFactor(), 0.3);
        EXPECT_EQ(pages->pageCount(), 1);
        EXPECT_EQ(pages->orientation(), QPageLayout::Landscape);
        QPrinter *printer = dialog.printer();
        EXPECT_EQ(printer->outputFormat(), QPrinter::PdfFormat);
        EXPECT_EQ(printer->outputFileName(),
                  documents + QStringLiteral("/Dispensacoes_2345678_2019-01-01_a_2019-01-31.pdf"));
        EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
    });
    previewDispensationListing(nullptr, db, january());
    if (configBefore.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configBefore);
    EXPECT_TRUE(inspected);
}

TEST(DispensationPreview, DatabaseErrorOpensNoPreview)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    DispensationReportInput input = january();
    input.search.period.dataInicial = QStringLiteral("31/02/2019");
    EXPECT_THROW(previewDispensationListing(nullptr, db, input), Error);
    for (QWidget *top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QPrintPreviewDialog *>(top), nullptr);
}
