#include "app/Messages.h"

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
    QMessageBox::information(parent, QString(), text);
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
