#include "app/ErrorLines.h"

#include "app/MovementTab.h"

#include <QMouseEvent>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace tavro {

// A child of the box's viewport, whose double-clicks it filters: it goes with the viewport, and
// tells the viewport's events without asking the box, which is half destroyed by the time its
// viewport goes.
ErrorLines::ErrorLines(QTextEdit *box, QTabWidget *tabs, QWidget *page)
    : QObject(box->viewport())
    , m_box(box)
    , m_tabs(tabs)
    , m_page(page)
{
    // Counted from the box itself, so lines written by any part of the window count.
    connect(m_box->document(), &QTextDocument::contentsChanged, this, &ErrorLines::showCount);
    m_box->viewport()->installEventFilter(this);
}

void ErrorLines::clear()
{
    m_rows.clear();
    m_notes = 0;
    m_box->clear();
}

void ErrorLines::append(const QString &text, MovementTab *tab, const QString &caption, Kind kind)
{
    if (kind == Kind::Aviso)
        ++m_notes; // counted before the box tells of its new line
    // A colour in every line's format: a line without one would take its neighbour's.
    QTextCharFormat format;
    format.setForeground(
        m_box->palette().color(kind == Kind::Aviso ? QPalette::Disabled : QPalette::Active, QPalette::Text));
    // Written at the end whatever the operator selected in the box, in a format of its own.
    QTextCursor end(m_box->document());
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    if (!m_box->document()->isEmpty())
        end.insertBlock(QTextBlockFormat(), format);
    end.insertText(text, format);
    end.endEditBlock();
    if (!caption.isEmpty())
        m_rows.insert(m_box->document()->lastBlock().blockNumber(), Row{tab, caption});
}

void ErrorLines::showCount()
{
    const QTextDocument *document = m_box->document();
    const int lines = document->isEmpty() ? 0 : document->blockCount();
    if (lines == 0) { // emptied by whoever: no line is left to point at a row
        m_rows.clear();
        m_notes = 0;
    }
    // Lines written by any part of the window straight into the box count as errors.
    const int errors = lines - m_notes;
    QString caption = errors == 0 ? QStringLiteral("Erros") : QStringLiteral("Erros (%1)").arg(errors);
    if (m_notes > 0)
        caption += QStringLiteral(" · Avisos (%1)").arg(m_notes);
    m_tabs->setTabText(m_tabs->indexOf(m_page), caption);
}

bool ErrorLines::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int block = m_box->cursorForPosition(mouse->position().toPoint()).blockNumber();
        const auto row = m_rows.constFind(block);
        if (row != m_rows.cend() && row->tab) {
            Q_EMIT rowRequested(row->tab, row->caption);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tavro
