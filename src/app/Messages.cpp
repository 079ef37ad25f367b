#include "app/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tavro {

QFont columnsFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Liberation Mono"), font.family()});
    return font;
}

void MessageBoxes::error(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text);
}

void MessageBoxes::warning(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QString(), text);
}

void MessageBoxes::information(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QString(), text);
}

void MessageBoxes::summary(QWidget *parent, const QString &text)
{
    // Not a message box: it wraps lines past half the screen's width, which breaks the table.
    QDialog dialog(parent);
    dialog.setWindowTitle(QApplication::applicationDisplayName());
    auto *view = new QPlainTextEdit(text, &dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(columnsFont());
    const QFontMetrics metrics(view->font());
    const QStringList lines = text.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    // Room for the frame, the margins and a scroll bar beside the widest line.
    view->setMinimumSize(qMin(width + 8 * metrics.averageCharWidth(), 1000),
                         qMin(metrics.lineSpacing() * int(lines.size() + 2), 600));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    dialog.exec();
}

void MessageBoxes::standardError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QString(), text);
}

bool MessageBoxes::question(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, QString(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace tavro
