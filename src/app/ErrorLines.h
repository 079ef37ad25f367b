#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QTabWidget;
class QTextEdit;

namespace tavro {

class MovementTab;

// The lines of the "Erros" tab: counts them in the tab's caption ("Erros (4)") and,
// for a line that refuses a row, remembers the row, which a double-click on the line
// asks to be opened.
class ErrorLines : public QObject
{
    Q_OBJECT

public:
    // `box` is the tab's text box, `page` its page in `tabs`.
    ErrorLines(QTextEdit *box, QTabWidget *tabs, QWidget *page);

    void clear();
    // Appends a line; `caption` names the row of `tab` it refuses, empty for other lines.
    void append(const QString &text, MovementTab *tab, const QString &caption);

Q_SIGNALS:
    void rowRequested(MovementTab *tab, const QString &caption);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row
    {
        QPointer<MovementTab> tab;
        QString caption;
    };

    void showCount();

    QTextEdit *m_box;
    QTabWidget *m_tabs;
    QWidget *m_page;
    QHash<int, Row> m_rows; // by the line's block number in the box
};

} // namespace tavro
