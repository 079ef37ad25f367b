#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QTabWidget;
class QTextEdit;

namespace tavro {

class MovementTab;

// The lines of the "Erros" tab: counts them in the tab's caption and, for a line that
// names a row, remembers the row, which a double-click on the line asks to be opened.
// Errors (refusals of rows to send, failures) and notes (a warning, a line about a row the
// work was not to send, a protocol recovered) are counted apart, "Erros (4) · Avisos (1)",
// and notes are drawn grey, so a count never makes a clean run look like a failed one.
class ErrorLines : public QObject
{
    Q_OBJECT

public:
    // `box` is the tab's text box, `page` its page in `tabs`.
    ErrorLines(QTextEdit *box, QTabWidget *tabs, QWidget *page);

    enum class Kind { Erro, Aviso };

    void clear();
    // Appends a line; `caption` names the row of `tab` it speaks of, empty for other lines.
    void append(const QString &text, MovementTab *tab = nullptr, const QString &caption = QString(),
                Kind kind = Kind::Erro);
    void appendNote(const QString &text) { append(text, nullptr, QString(), Kind::Aviso); }

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
    int m_notes = 0;
};

} // namespace tavro
