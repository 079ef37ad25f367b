#pragma once

#include "db/Database.h"
#include "session/HealthUnit.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tavro {

class Database;
class Messages;

// The lookup dialog "Procura": active units by name, searched as the operator types
// in one of three modes. It reads through a connection of its own, so its reads run
// in a transaction apart from the main window's. The choice is CodigoProcurado.
//
// A database error ends the dialog's transaction and drops its connection, so the
// next search or opening connects anew instead of failing for the rest of the run.
class TFProcura : public QDialog
{
    Q_OBJECT

public:
    // Errors met while the operator types are shown through `messages`.
    explicit TFProcura(Messages &messages, QWidget *parent = nullptr);
    ~TFProcura() override;

    // Prepares the dialog on the database at `databaseName`, logged in as `login` (the main
    // window's account): every active unit, by
    // name. Throws Error, with the transaction ended, when the database fails.
    void open(const QString &databaseName, const DatabaseLogin &login = Database::defaultLogin());
    // Shows the dialog modally; the chosen unit's code, or empty without a choice.
    QString choose();
    // Ends the dialog's transaction after an error and drops its connection.
    void abandon();

    QString CodigoProcurado;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Edit1Change();
    void search(const QString &pattern);
    // The dialog's connection with its transaction active, connected on first use.
    Database &connection();
    void chooseSelected();

    Messages &m_messages;
    QString m_databaseName;
    DatabaseLogin m_login;
    std::unique_ptr<Database> m_db;
    QRadioButton *RBTrecho;
    QRadioButton *RBNome;
    QRadioButton *RBQualquer;
    QLineEdit *Edit1;
    QListWidget *DBLookupListBox1;
    WheelAccumulator m_wheel;
};

} // namespace tavro
