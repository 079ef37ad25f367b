#pragma once

#include "TestDatabase.h"
#include "widgets/ErrorDisplay.h"

#include <QApplication>
#include <QColor>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

inline void PrintTo(const QColor &colour, std::ostream *os)
{
    *os << colour.name(QColor::HexArgb).toStdString();
}

// A shown, active window for the components under test, and the messages their
// refusals report instead of message boxes.
class WidgetFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tavro::setErrorDisplay([this](QWidget *, const QString &message) { messages.append(message); });
        window.resize(600, 300);
    }
    void TearDown() override { tavro::setErrorDisplay({}); }

    void showWindow()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Runs what the components queued, such as a refusal taking the focus back.
    static void settle() { QCoreApplication::processEvents(); }

    QWidget window;
    QStringList messages;
};
