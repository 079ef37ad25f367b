#include "app/Messages.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>

namespace tavro {

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
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

void MessageBoxes::summary(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The box's own text label; its columns line up only in a fixed-width font.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box.exec();
}

void MessageBoxes::standardError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

bool MessageBoxes::question(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace tavro
