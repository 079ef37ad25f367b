#include <QApplication>

#include <gtest/gtest.h>

// Every suite runs inside a QApplication (offscreen under ctest), so database plugins,
// models and widgets all work.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
