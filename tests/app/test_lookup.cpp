#include "RecordingMessages.h"
#include "TestDatabase.h"
#include "app/Messages.h"
#include "app/TFProcura.h"
#include "common/Error.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

namespace {

using tavro::test::RecordingMessages;

// The dialog shown without its modal loop, so a test can type into it.
class Lookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    template <typename W>
    W *child(const char *name)
    {
        return dialog.findChild<W *>(QString::fromUtf8(name));
    }
    int units() { return child<QListWidget>("DBLookupListBox1")->count(); }

    TestDatabase fixture;
    RecordingMessages messages;
    TFProcura dialog{messages};
};

} // namespace

TEST_F(Lookup, AFailedOpeningIsTriedAgainNextTime)
{
    EXPECT_THROW(dialog.open(fixture.folder() + QStringLiteral("/ausente.fdb")), Error);
    dialog.open(fixture.path());
    EXPECT_EQ(units(), 6);
}

TEST_F(Lookup, ADatabaseErrorWhileTypingIsShownAndTheNextSearchConnectsAgain)
{
    dialog.open(fixture.path());
    auto *edit = child<QLineEdit>("Edit1");
    // The dialog's connection is cut, as when the server goes away.
    fixture.exec(QStringLiteral("delete from mon$attachments where mon$attachment_id <> current_connection"));
    edit->setText(QStringLiteral("hospital"));
    ASSERT_EQ(messages.log.size(), 1);
    EXPECT_TRUE(messages.log.at(0).startsWith(QStringLiteral("error[Erro, verifique os dados digitados]: ")));
    EXPECT_EQ(units(), 0);
    edit->setText(QStringLiteral("central"));
    EXPECT_EQ(units(), 3);
    EXPECT_EQ(messages.log.size(), 1);
}

TEST_F(Lookup, EnterFromEitherKeyboardMovesOnOutsideTheList)
{
    dialog.open(fixture.path());
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } enters[] = {{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto &enter : enters) {
        for (const char *from : {"RBTrecho", "RBNome", "RBQualquer", "Edit1"}) {
            auto *control = child<QWidget>(from);
            control->setFocus();
            QTest::keyClick(control, enter.key, enter.modifiers);
            EXPECT_NE(QApplication::focusWidget(), control) << from << " " << enter.key;
            EXPECT_TRUE(dialog.isVisible()) << from;
        }
        EXPECT_EQ(QApplication::focusWidget(), child<QWidget>("DBLookupListBox1"));
    }
}
