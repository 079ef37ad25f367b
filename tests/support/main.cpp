#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler qtHandler = nullptr;

// The model testers run in warning mode, so a broken model contract fails the running
// test (not the whole suite): each warning of theirs becomes a failure of that test.
void failOnModelTesterWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && qstrcmp(context.category, "qt.modeltest") == 0)
        ADD_FAILURE() << "QAbstractItemModelTester: " << message.toStdString();
    qtHandler(type, context, message);
}

} // namespace

// Every suite runs inside a QApplication (offscreen under ctest), so database plugins,
// models and widgets all work.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qtHandler = qInstallMessageHandler(failOnModelTesterWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
