#include "app/ErrorLines.h"

#include "app/MovementTab.h"

#include <QMouseEvent>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>

namespace tavro {

ErrorLines::ErrorLines(QTextEdit *box, QTabWidget *tabs, QWidget *page)
    : QObject(box)
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
    m_box->clear();
}

void ErrorLines::append(const QString &text, MovementTab *tab, const QString &caption)
{
    m_box->append(text);
    if (!caption.isEmpty())
        m_rows.insert(m_box->document()->lastBlock().blockNumber(), Row{tab, caption});
}

void ErrorLines::showCount()
{
    const QTextDocument *document = m_box->document();
    const int lines = document->isEmpty() ? 0 : document->blockCount();
    if (lines == 0)
        m_rows.clear(); // emptied by whoever: no line is left to point at a row
    const QString caption = lines == 0 ? QStringLiteral("Erros") : QStringLiteral("Erros (%1)").arg(lines);
    m_tabs->setTabText(m_tabs->indexOf(m_page), caption);
}

bool ErrorLines::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box->viewport() && event->type() == QEvent::MouseButtonDblClick) {
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
