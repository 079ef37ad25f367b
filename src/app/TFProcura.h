#pragma once

#include "session/HealthUnit.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tavro {

class Database;

// The lookup dialog "Procura": active units by name, searched as the operator types
// in one of three modes. It reads through a connection of its own, so its reads run
// in a transaction apart from the main window's. The choice is CodigoProcurado.
class TFProcura : public QDialog
{
    Q_OBJECT

public:
    explicit TFProcura(QWidget *parent = nullptr);

    // Prepares the dialog on the database at `databaseName`: every active unit, by name.
    void open(const QString &databaseName);
    // Shows the dialog modally; the chosen unit's code, or empty without a choice.
    QString choose();

    QString CodigoProcurado;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Edit1Change();
    void search(const QString &pattern);
    void chooseSelected();

    std::unique_ptr<Database> m_db;
    QRadioButton *RBTrecho;
    QRadioButton *RBNome;
    QRadioButton *RBQualquer;
    QLineEdit *Edit1;
    QListWidget *DBLookupListBox1;
    WheelAccumulator m_wheel;
};

} // namespace tavro
