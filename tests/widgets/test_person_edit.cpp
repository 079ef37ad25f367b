#include "WidgetFixture.h"
#include "widgets/TPersonEdit.h"

#include <QLabel>

using tavro::TMyBoundLabel;
using tavro::TPersonEdit;

namespace {

const QColor Normal(255, 255, 255);
const QColor Highlight(166, 202, 240);
const QColor Yellow(255, 255, 0);

QColor background(const TPersonEdit &field)
{
    return field.palette().color(QPalette::Base);
}

} // namespace

class PersonEdit : public WidgetFixture
{
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        field = new TPersonEdit(&window);
        field->setGeometry(120, 40, 120, 24);
        field->setLabelText(QStringLiteral("Campo:"));
        QPalette p = field->palette();
        p.setColor(QPalette::Base, Normal);
        field->setPalette(p);
        other = new TPersonEdit(&window);
        other->setGeometry(120, 100, 120, 24);
    }

    // Types into the field from its first position and leaves it for the other field.
    void typeAndLeave(const QString &keys)
    {
        field->setFocus();
        field->home(false);
        QTest::keyClicks(field, keys);
        other->setFocus();
        settle();
    }

    TPersonEdit *field = nullptr;
    TPersonEdit *other = nullptr;
};

TEST_F(PersonEdit, KindsSetTheirMasksAndTexts)
{
    const struct
    {
        TPersonEdit::TTipo tipo;
        const char *shown, *cleared;
    } cases[] = {
        {TPersonEdit::peData, "  /  /    ", "  /  /    "},
        {TPersonEdit::peDataHora, "  /  /       :  ", "  /  /       :  "},
        {TPersonEdit::peCpf, "   .   .   -  ", "   .   .   -  "},
        {TPersonEdit::peCnpj, "  .   .   /    -  ", "  .   .   /    -  "},
        {TPersonEdit::peFloat, "0,00", "0,00"},
        {TPersonEdit::peInteiro, "0", "0"},
        {TPersonEdit::peTexto, "", ""},
    };
    for (const auto &c : cases) {
        TPersonEdit edit(&window);
        edit.setTipo(c.tipo);
        EXPECT_EQ(edit.maskedText(), QString::fromLatin1(c.shown)) << c.shown;
        edit.setText(QStringLiteral("12"));
        edit.Clear();
        EXPECT_EQ(edit.maskedText(), QString::fromLatin1(c.cleared)) << c.cleared;
    }
}

TEST_F(PersonEdit, LeavingChecksAndNormalises)
{
    showWindow();
    const struct
    {
        TPersonEdit::TTipo tipo;
        const char *typed, *after, *refusal;
    } cases[] = {
        {TPersonEdit::peData, "01022019", "01/02/2019", ""},
        {TPersonEdit::peData, "", "  /  /    ", ""},
        {TPersonEdit::peData, "31022019", "31/02/2019", "Valor Inválido, insira uma Data Válida!"},
        {TPersonEdit::peDataHora, "010220191345", "01/02/2019 13:45", ""},
        {TPersonEdit::peDataHora, "01022019", "01/02/2019 00:00", ""},
        {TPersonEdit::peDataHora, "010220192500", "01/02/2019 25:00", "Valor Inválido, insira uma Data e Hora Válida!"},
        {TPersonEdit::peFloat, "3", "3,00", ""},
        {TPersonEdit::peFloat, "1,23456", "1,23456", ""},
        {TPersonEdit::peFloat, "", "0,00", ""},
        {TPersonEdit::peFloat, "1.5", "1.5", "Valor Inválido, insira um valor de Ponto Flutuante!"},
        {TPersonEdit::peInteiro, "", "0", ""},
        {TPersonEdit::peInteiro, "12", "12", ""},
        {TPersonEdit::peInteiro, "1,5", "1,5", "Valor Inválido, insira um valor Inteiro!"},
        {TPersonEdit::peTexto, "maria das dores para", "Maria das Dores para", ""},
        {TPersonEdit::peCpf, "12345678909", "123.456.789-09", ""},
        {TPersonEdit::peCpf, "12345678900", "123.456.789-00", "O valor do CPF não é um valor Válido!"},
        {TPersonEdit::peCnpj, "11222333000181", "11.222.333/0001-81", ""},
        {TPersonEdit::peCnpj, "11222333000118", "11.222.333/0001-18", "O valor do CNPJ não é um valor Válido!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        field->setTipo(c.tipo);
        field->Clear();
        messages.clear();
        // Empty fields of the free kinds start empty rather than at their default.
        if (c.tipo == TPersonEdit::peFloat || c.tipo == TPersonEdit::peInteiro)
            field->clear();
        typeAndLeave(QString::fromUtf8(c.typed));
        EXPECT_EQ(field->maskedText(), QString::fromUtf8(c.after));
        const QString refusal = QString::fromUtf8(c.refusal);
        if (refusal.isEmpty()) {
            EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(other->hasFocus());
            EXPECT_EQ(background(*field), Normal);
        } else {
            EXPECT_EQ(messages, QStringList{refusal});
            EXPECT_TRUE(field->hasFocus());
            EXPECT_EQ(background(*field), Yellow);
            // Corrected and left again, the field gets its own colour back.
            field->setTipo(TPersonEdit::peTexto);
            field->setText(QStringLiteral("x"));
            other->setFocus();
            settle();
            EXPECT_EQ(background(*field), Normal);
        }
    }
}

TEST_F(PersonEdit, CpfWithBlanksInItsFirstPositionsIsCompletedByZeros)
{
    showWindow();
    field->setTipo(TPersonEdit::peCpf);
    field->setFocus();
    field->setCursorPosition(2); // the first two digits stay blank
    QTest::keyClicks(field, QStringLiteral("123456797"));
    ASSERT_EQ(field->maskedText(), QStringLiteral("  1.234.567-97"));
    other->setFocus();
    settle();
    EXPECT_EQ(field->maskedText(), QStringLiteral("001.234.567-97"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PersonEdit, ExitedSeesTheValueAsTyped)
{
    showWindow();
    field->setTipo(TPersonEdit::peFloat);
    field->clear();
    QString seen;
    QObject::connect(field, &TPersonEdit::exited, field, [&] { seen = field->maskedText(); });
    typeAndLeave(QStringLiteral("3"));
    EXPECT_EQ(seen, QStringLiteral("3"));
    EXPECT_EQ(field->maskedText(), QStringLiteral("3,00"));
}

TEST_F(PersonEdit, HighlightWhileFocusedAndRefusalColourKeptWhileCorrecting)
{
    showWindow();
    field->setTipo(TPersonEdit::peData);
    field->setFocus();
    EXPECT_EQ(background(*field), Highlight);
    other->setFocus();
    EXPECT_EQ(background(*field), Normal);

    typeAndLeave(QStringLiteral("31022019"));
    ASSERT_TRUE(field->hasFocus());
    EXPECT_EQ(background(*field), Yellow); // focus came back without the highlight
    field->home(false);
    QTest::keyClicks(field, QStringLiteral("28"));
    other->setFocus();
    settle();
    EXPECT_EQ(field->maskedText(), QStringLiteral("28/02/2019"));
    EXPECT_EQ(background(*field), Normal);

    // A window switch is no leaving of the field: no check, no exit, highlight kept.
    int exits = 0;
    QObject::connect(field, &TPersonEdit::exited, field, [&] { ++exits; });
    field->setFocus();
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(field, &away);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(background(*field), Highlight);
}

TEST_F(PersonEdit, ValidarOffLeavesTheValueAlone)
{
    showWindow();
    field->setTipo(TPersonEdit::peData);
    field->setValidar(false);
    typeAndLeave(QStringLiteral("31022019"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(field->maskedText(), QStringLiteral("31/02/2019"));
}

TEST_F(PersonEdit, SpaceRecapitalisesTextKeepingTheCaret)
{
    showWindow();
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("casa parque nova "));
    EXPECT_EQ(field->text(), QStringLiteral("Casa parque Nova "));
    field->setCursorPosition(5);
    QTest::keyClick(field, Qt::Key_Space);
    EXPECT_EQ(field->text(), QStringLiteral("Casa  parque Nova "));
    EXPECT_EQ(field->cursorPosition(), 6);
}

TEST_F(PersonEdit, RequiredCheck)
{
    const struct
    {
        TPersonEdit::TTipo tipo;
        const char *text, *refusal;
    } cases[] = {
        {TPersonEdit::peTexto, "", "O valor do campo \"Campo:\" não pode estar em Branco!"},
        {TPersonEdit::peTexto, "   ", "O valor do campo \"Campo:\" não pode estar em Branco!"},
        {TPersonEdit::peTexto, "x", ""},
        {TPersonEdit::peData, "", "O campo \"Campo:\" deve ser totalmente informado!"},
        {TPersonEdit::peData, "010220", "O campo \"Campo:\" deve ser totalmente informado!"},
        {TPersonEdit::peData, "01022019", ""},
        {TPersonEdit::peDataHora, "01022019", "O campo \"Campo:\" deve ser totalmente informado!"},
        {TPersonEdit::peCpf, "1234567890", "O campo \"Campo:\" deve ser totalmente informado!"},
        {TPersonEdit::peCnpj, "11222333000181", ""},
    };
    showWindow();
    EXPECT_EQ(field->checkRequired(), QString()); // not required: never refused
    field->setRequerido(true);
    field->setValidar(false); // incomplete values stay as set when the focus moves
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        field->setTipo(c.tipo);
        field->Clear();
        if (*c.text)
            field->setText(QString::fromUtf8(c.text));
        other->setFocus();
        const QString refusal = QString::fromUtf8(c.refusal);
        EXPECT_EQ(field->checkRequired(), refusal);
        if (!refusal.isEmpty()) {
            EXPECT_EQ(background(*field), Yellow);
            EXPECT_TRUE(field->hasFocus());
        }
    }
    // A field that cannot take the focus still refuses, with its own label.
    field->setTipo(TPersonEdit::peTexto);
    field->setText(QString());
    field->setEnabled(false);
    other->setFocus();
    EXPECT_EQ(field->checkRequired(), QStringLiteral("O valor do campo \"Campo:\" não pode estar em Branco!"));
    EXPECT_TRUE(other->hasFocus());
}

TEST_F(PersonEdit, LabelSitsByItsPositionAndFollowsTheField)
{
    showWindow();
    TMyBoundLabel *label = field->EditLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->objectName(), QStringLiteral("SubLabel"));
    EXPECT_EQ(label->buddy(), field);
    const int w = label->width(), h = label->height();
    const struct
    {
        TPersonEdit::TLabelPosition position;
        QPoint at;
    } cases[] = {
        {TPersonEdit::lpAbove, {120, 40 - h - 5}},
        {TPersonEdit::lpBelow, {120, 40 + 24 + 5}},
        {TPersonEdit::lpLeft, {120 - w - 5, 40 + (24 - h) / 2}},
        {TPersonEdit::lpRight, {120 + 120 + 5, 40 + (24 - h) / 2}},
    };
    field->setLabelSpacing(5);
    for (const auto &c : cases) {
        field->setLabelPosition(c.position);
        EXPECT_EQ(label->pos(), c.at) << c.position;
    }
    field->move(200, 80);
    EXPECT_EQ(label->pos(), QPoint(200 + 120 + 5, 80 + (24 - h) / 2));

    // A longer text widens the label, which places itself again.
    field->setLabelPosition(TPersonEdit::lpLeft);
    field->setLabelText(QStringLiteral("Um rótulo bem mais longo:"));
    EXPECT_GT(label->width(), w);
    EXPECT_EQ(label->pos().x(), 200 - label->width() - 5);

    field->setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    field->hide();
    EXPECT_FALSE(label->isVisible());
    field->show();
    EXPECT_TRUE(label->isVisible());
    field->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(label->layoutDirection(), Qt::RightToLeft);

    field->setLabeled(false);
    EXPECT_FALSE(label->isVisible());
    EXPECT_EQ(label->text(), QString());
    field->setLabeled(true);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), QStringLiteral("Um rótulo bem mais longo:"));

    QWidget elsewhere(&window);
    field->setParent(&elsewhere);
    EXPECT_EQ(label->parentWidget(), &elsewhere);

    delete label; // the field forgets a label destroyed elsewhere
    EXPECT_EQ(field->EditLabel(), nullptr);
    field->setLabelText(QStringLiteral("x"));
    field->move(10, 10);
}

TEST_F(PersonEdit, MaxLengthSizesAnAutomaticWidth)
{
    // Parent 600 wide, label width w, spacing 3.
    const int w = field->EditLabel()->width();
    const struct
    {
        QRect before;
        int length;
        QRect after;
    } cases[] = {
        {{120, 40, 121, 24}, 4, {120, 40, 60, 24}},           // 15 per character below 5
        {{120, 40, 121, 24}, 7, {120, 40, 70, 24}},           // 10 per character from 5
        {{560, 40, 121, 24}, 7, {600 - 70 - 15, 40, 70, 24}}, // would stick out: moved in
        {{120, 40, 74, 24}, 7, {120, 40, 74, 24}},            // a width of its own: kept
        {{120, 40, 121, 24}, 60, {600 - (600 - w - 3 - 20) - 15, 40, 600 - w - 3 - 20, 24}}, // too long: fills
    };
    for (const auto &c : cases) {
        TPersonEdit edit(&window);
        edit.setLabelText(field->labelText());
        edit.setGeometry(c.before);
        ASSERT_EQ(edit.EditLabel()->width(), w);
        edit.setMaxLength(c.length);
        EXPECT_EQ(edit.geometry(), c.after) << c.length;
        EXPECT_EQ(edit.MaxLength(), c.length);
    }
    // A width that came from the previous limit counts as automatic.
    TPersonEdit edit(&window);
    edit.setGeometry(10, 10, 121, 24);
    edit.setMaxLength(7);
    ASSERT_EQ(edit.width(), 70);
    edit.setMaxLength(3);
    EXPECT_EQ(edit.width(), 45);
    QTest::keyClicks(&edit, QStringLiteral("12345"));
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    // Masked fields keep their mask's length.
    edit.setTipo(TPersonEdit::peData);
    edit.setMaxLength(2);
    EXPECT_EQ(edit.MaxLength(), 3);
}
