#include "WidgetFixture.h"
#include "widgets/TPersonBtn.h"
#include "widgets/TPersonEdit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>

#include <functional>

using tavro::TPersonBtn;
using tavro::TPersonEdit;

class PersonBtn : public WidgetFixture
{
protected:
    // The main window's three required fields, created in the window's order.
    void SetUp() override
    {
        WidgetFixture::SetUp();
        cnes = requiredField("CNES Unidade:", 40);
        ibge = requiredField("IBGE:", 80);
        unidade = requiredField("Unidade:", 120);
        button = new TPersonBtn(QStringLiteral("Imprimir"), &window);
        button->setGeometry(300, 200, 100, 30);
        plain = new QLineEdit(&window);
        plain->setGeometry(300, 40, 100, 24);
    }

    TPersonEdit *requiredField(const char *label, int y)
    {
        auto *field = new TPersonEdit(&window);
        field->setGeometry(150, y, 80, 24);
        field->setLabelText(QString::fromUtf8(label));
        field->setMaxLength(7);
        field->setRequerido(true);
        return field;
    }

    // Clicks the button with the mouse; how many times it then reported a click.
    int clickButton()
    {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton);
        return int(clicked.count());
    }

    void fillAll()
    {
        cnes->setText(QStringLiteral("2345678"));
        ibge->setText(QStringLiteral("3550308"));
        unidade->setText(QStringLiteral("1"));
    }

    TPersonEdit *cnes = nullptr;
    TPersonEdit *ibge = nullptr;
    TPersonEdit *unidade = nullptr;
    TPersonBtn *button = nullptr;
    QLineEdit *plain = nullptr;
};

TEST_F(PersonBtn, ClickChecksTheWindowsRequiredFieldsInOrder)
{
    showWindow();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    cnes->raise(); // the stacking order is not the window's order

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{"O valor do campo \"CNES Unidade:\" não pode estar em Branco!"});
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(cnes->hasFocus());
    EXPECT_EQ(cnes->palette().color(QPalette::Base), QColor(255, 255, 0));

    cnes->setText(QStringLiteral("2345678"));
    ibge->setText(QStringLiteral("3550308"));
    messages.clear();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(messages, QStringList{"O valor do campo \"Unidade:\" não pode estar em Branco!"});
    EXPECT_EQ(clicked.count(), 0);

    unidade->setText(QStringLiteral("1"));
    messages.clear();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(PersonBtn, EveryWayOfClickingRunsTheCheck)
{
    button->setText(QStringLiteral("&Imprimir"));
    button->setDefault(true);
    auto *closeButton = new TPersonBtn(&window);
    closeButton->setKind(TPersonBtn::bkCancel);
    showWindow();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy cancelled(closeButton, &QAbstractButton::clicked);
    const std::function<void()> ways[] = {
        [&] { QTest::mouseClick(button, Qt::LeftButton); },
        [&] {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        },
        [&] {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
        },
        [&] { QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier); },
        [&] { QTest::keyClick(&window, Qt::Key_Escape); },
    };
    for (const auto &way : ways) {
        messages.clear();
        way();
        EXPECT_EQ(messages.size(), 1) << "way " << &way - ways;
    }
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(cancelled.count(), 0);
}

TEST_F(PersonBtn, FieldsOfAnotherWindowAreNotChecked)
{
    showWindow();
    fillAll();
    QDialog lookup(&window); // owned by the window, as the lookup dialog is
    auto *inDialog = new TPersonEdit(&lookup);
    inDialog->setRequerido(true);
    inDialog->setLabelText(QStringLiteral("Nome:"));
    EXPECT_EQ(clickButton(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PersonBtn, DisabledRequiredFieldStillRefuses)
{
    showWindow();
    fillAll();
    ibge->clear();
    ibge->setEnabled(false);
    EXPECT_EQ(clickButton(), 0);
    EXPECT_EQ(messages, QStringList{"O valor do campo \"IBGE:\" não pode estar em Branco!"});
}

TEST_F(PersonBtn, WithoutVerRequeridosNothingIsChecked)
{
    showWindow();
    button->setVerRequeridos(false);
    EXPECT_EQ(clickButton(), 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_NE(cnes->palette().color(QPalette::Base), QColor(255, 255, 0));
}

TEST_F(PersonBtn, KindsGiveStandardButtons)
{
    QDialog dialog;
    auto *ok = new TPersonBtn(&dialog);
    ok->setKind(TPersonBtn::bkOK);
    EXPECT_FALSE(ok->text().isEmpty());
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->ModalResult(), QDialogButtonBox::Ok);
    dialog.show();
    ok->Click();
    EXPECT_EQ(dialog.result(), QDialogButtonBox::Ok);

    auto *cancel = new TPersonBtn(&dialog);
    cancel->setKind(TPersonBtn::bkCancel);
    EXPECT_TRUE(cancel->cancelFlag());
    EXPECT_EQ(cancel->ModalResult(), QDialogButtonBox::Cancel);

    // Changing a standard setting makes the button a custom one.
    ok->setModalResult(0);
    EXPECT_EQ(ok->Kind(), TPersonBtn::bkCustom);
    cancel->setGlyph(QPixmap(16, 16));
    EXPECT_EQ(cancel->Kind(), TPersonBtn::bkCustom);
    auto *yes = new TPersonBtn(&dialog);
    yes->setKind(TPersonBtn::bkYes);
    yes->setDefaultFlag(true); // unchanged: still standard
    EXPECT_EQ(yes->Kind(), TPersonBtn::bkYes);
    yes->setDefaultFlag(false);
    EXPECT_EQ(yes->Kind(), TPersonBtn::bkCustom);
}

TEST_F(PersonBtn, CloseKindClosesItsWindowWithoutAPlainClick)
{
    showWindow();
    fillAll();
    button->setKind(TPersonBtn::bkClose);
    EXPECT_EQ(clickButton(), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(PersonBtn, HelpKindWithoutHelpIsAPlainClick)
{
    showWindow();
    fillAll();
    button->setKind(TPersonBtn::bkHelp);
    EXPECT_EQ(clickButton(), 1);
    window.setWhatsThis(QStringLiteral("Ajuda da janela"));
    EXPECT_EQ(clickButton(), 0);
}

TEST_F(PersonBtn, FaceColourFocusHighlightAndPressedLook)
{
    showWindow();
    fillAll();
    button->setText(QString()); // a bare face, so sampled pixels are the face's
    const QColor face(200, 180, 120);
    button->setColor(face);
    plain->setFocus();
    const QPoint middle(50, 15);
    EXPECT_EQ(button->grab().toImage().pixelColor(middle), face);

    button->setFocus();
    EXPECT_EQ(button->Color(), QColor(166, 202, 240));
    EXPECT_EQ(button->grab().toImage().pixelColor(middle), QColor(166, 202, 240));
    plain->setFocus();
    EXPECT_EQ(button->Color(), face);

    button->setDown(true);
    EXPECT_EQ(button->grab().toImage().pixelColor(middle).rgb(), button->palette().color(QPalette::Dark).rgb());
    button->setDown(false);

    button->setCorDestaque(QColor(10, 20, 30));
    EXPECT_EQ(button->CorDestaque(), QColor(10, 20, 30));
    button->setCorDestaque(QColor(0, 0, 0));
    EXPECT_EQ(button->CorDestaque(), QColor(166, 202, 240));
}

TEST_F(PersonBtn, PictureStripShowsTheImageOfTheState)
{
    QPixmap strip(64, 16);
    QPainter painter(&strip);
    const QColor images[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta};
    for (int i = 0; i < 4; ++i)
        painter.fillRect(16 * i, 0, 16, 16, images[i]);
    painter.end();
    button->setText(QString());
    button->setGlyph(strip);
    button->setNumGlyphs(9);
    EXPECT_EQ(button->NumGlyphs(), 4);
    showWindow();
    fillAll();
    // Margin -1 centres the 16-pixel picture in the 100 x 30 button.
    const QPoint centre(50, 15);
    EXPECT_EQ(button->grab().toImage().pixelColor(centre), QColor(Qt::red));
    button->setDown(true);
    // Pressed: the picture moves one pixel right and down.
    EXPECT_EQ(button->grab().toImage().pixelColor(centre + QPoint(1, 1)), QColor(Qt::blue));
    button->setDown(false);
    button->setEnabled(false);
    EXPECT_EQ(button->grab().toImage().pixelColor(centre), QColor(Qt::green));
    button->setEnabled(true);
    button->setMargin(2);
    EXPECT_EQ(button->grab().toImage().pixelColor(QPoint(2 + 8, 15)), QColor(Qt::red));
    button->setMargin(-5); // ignored
    EXPECT_EQ(button->Margin(), 2);
}

// The application hands the focus to a clicked button and a message box opened while
// the old control is being left takes it away before the button was told: the button
// then gets a focus-out without a focus-in.
TEST_F(PersonBtn, AFocusOutWithoutAFocusInKeepsTheFace)
{
    showWindow();
    button->setText(QString());
    const QColor face(200, 180, 120);
    button->setColor(face);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(button, &out);
    EXPECT_EQ(button->Color(), face);
    EXPECT_EQ(button->grab().toImage().pixelColor(QPoint(50, 15)), face);
    button->setFocus();
    plain->setFocus();
    EXPECT_EQ(button->grab().toImage().pixelColor(QPoint(50, 15)), face);
}

TEST_F(PersonBtn, ABusyButtonTakesBackTheFocusItHad)
{
    showWindow();
    auto *next = new TPersonBtn(QStringLiteral("Seguinte"), &window);
    next->setGeometry(420, 200, 100, 30);
    QWidget::setTabOrder(button, next);
    for (const bool focused : {true, false}) {
        (focused ? static_cast<QWidget *>(button) : plain)->setFocus();
        QWidget *before = QApplication::focusWidget();
        {
            const TPersonBtn::Busy busy(*button);
            EXPECT_FALSE(button->isEnabled());
        }
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), before) << focused;
    }
}
