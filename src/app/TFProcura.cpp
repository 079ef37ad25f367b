#include "app/TFProcura.h"

#include "app/EnterKey.h"
#include "app/Messages.h"
#include "common/Error.h"
#include "db/Database.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tavro {

TFProcura::TFProcura(Messages &messages, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("FProcura"));
    setWindowTitle(QStringLiteral("Procura"));
    resize(480, 420);
    auto *layout = new QVBoxLayout(this);
    RBTrecho = new QRadioButton(QStringLiteral("Trecho do Nome"), this);
    RBTrecho->setObjectName(QStringLiteral("RBTrecho"));
    RBTrecho->setChecked(true);
    RBNome = new QRadioButton(QStringLiteral("Inicio do Nome"), this);
    RBNome->setObjectName(QStringLiteral("RBNome"));
    RBQualquer = new QRadioButton(QStringLiteral("Qualquer Palavra"), this);
    RBQualquer->setObjectName(QStringLiteral("RBQualquer"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    DBLookupListBox1 = new QListWidget(this);
    DBLookupListBox1->setObjectName(QStringLiteral("DBLookupListBox1"));
    DBLookupListBox1->setUniformItemSizes(true);
    for (QWidget *w : {static_cast<QWidget *>(RBTrecho), static_cast<QWidget *>(RBNome),
                       static_cast<QWidget *>(RBQualquer), static_cast<QWidget *>(Edit1)})
        layout->addWidget(w);
    layout->addWidget(DBLookupListBox1, 1);

    connect(Edit1, &QLineEdit::textChanged, this, &TFProcura::Edit1Change);
    connect(DBLookupListBox1, &QListWidget::itemDoubleClicked, this, &TFProcura::chooseSelected);
    DBLookupListBox1->viewport()->installEventFilter(this);
    for (QWidget *w :
         {static_cast<QWidget *>(RBTrecho), static_cast<QWidget *>(RBNome), static_cast<QWidget *>(RBQualquer),
          static_cast<QWidget *>(Edit1), static_cast<QWidget *>(DBLookupListBox1)})
        w->installEventFilter(this);
}

TFProcura::~TFProcura() = default;

void TFProcura::open(const QString &databaseName, const DatabaseLogin &login)
{
    if (databaseName != m_databaseName || login.userName != m_login.userName || login.password != m_login.password)
        abandon();
    m_databaseName = databaseName;
    m_login = login;
    try {
        connection().restartTransaction();
        search(QStringLiteral("%"));
    } catch (...) {
        abandon();
        throw;
    }
}

Database &TFProcura::connection()
{
    if (!m_db) {
        auto db = std::make_unique<Database>();
        db->open(m_databaseName, m_login);
        m_db = std::move(db);
    }
    if (!m_db->inTransaction())
        m_db->startTransaction();
    return *m_db;
}

void TFProcura::abandon()
{
    if (!m_db)
        return;
    try {
        m_db->rollback();
    } catch (const std::exception &) {
        // A connection too broken to roll back is dropped all the same.
    }
    m_db.reset();
}

QString TFProcura::choose()
{
    CodigoProcurado.clear();
    {
        const QSignalBlocker blocker(Edit1);
        const bool hadText = !Edit1->text().isEmpty();
        Edit1->clear();
        if (hadText)
            Edit1Change();
    }
    DBLookupListBox1->setFocus();
    Edit1->setFocus();
    exec();
    if (m_db)
        m_db->rollback();
    return CodigoProcurado;
}

void TFProcura::Edit1Change()
{
    const LookupMode mode = RBNome->isChecked() ? LookupMode::InicioDoNome
        : RBQualquer->isChecked()               ? LookupMode::QualquerPalavra
                                                : LookupMode::TrechoDoNome;
    try {
        search(lookupPattern(mode, Edit1->text()));
    } catch (const Error &error) {
        // No exception may cross the event loop; the dialog stays open and the next
        // change of the text tries again on a fresh connection.
        abandon();
        DBLookupListBox1->clear();
        m_messages.error(this, LoginErrorTitle, error.message());
    }
}

void TFProcura::search(const QString &pattern)
{
    DBLookupListBox1->clear();
    for (const HealthUnit &unit : searchUnits(connection(), pattern)) {
        auto *item = new QListWidgetItem(unit.codigo.leftJustified(8) + QLatin1Char(' ') + unit.nome, DBLookupListBox1);
        item->setData(Qt::UserRole, unit.codigo);
    }
    if (DBLookupListBox1->count() > 0)
        DBLookupListBox1->setCurrentRow(0);
}

void TFProcura::chooseSelected()
{
    if (QListWidgetItem *item = DBLookupListBox1->currentItem())
        CodigoProcurado = item->data(Qt::UserRole).toString();
    accept();
}

void TFProcura::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFProcura::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && watched == DBLookupListBox1->viewport()) {
        // Each 100 units of accumulated wheel distance move the selection one row.
        const int rows = m_wheel.add(static_cast<QWheelEvent *>(event)->angleDelta().y());
        const int row = qBound(0, DBLookupListBox1->currentRow() + rows, DBLookupListBox1->count() - 1);
        DBLookupListBox1->setCurrentRow(row);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isEnterKey(*key)) {
            // Enter chooses in the list; anywhere else it moves on as Tab does.
            if (watched == DBLookupListBox1)
                chooseSelected();
            else
                focusNextChild();
            return true;
        }
        if (watched == Edit1 && key->key() == Qt::Key_Down)
            DBLookupListBox1->setFocus();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tavro
