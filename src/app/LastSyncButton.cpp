#include "app/LastSyncButton.h"

#include "app/Messages.h"
#include "sync/SyncSummary.h"

#include <QFile>

namespace tavro {

LastSyncButton::LastSyncButton(Messages &messages, QWidget *parent)
    : QPushButton(parent)
    , m_messages(messages)
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    hide();
    connect(this, &QPushButton::clicked, this, [this] { m_messages.summary(this, m_summary); });
}

void LastSyncButton::load(const QString &path)
{
    QFile file(path);
    SyncSummary summary;
    if (!file.open(QIODevice::ReadOnly) || !summaryFromJson(file.readAll(), summary)) {
        hide();
        return;
    }
    m_summary = summaryText(summary);
    setText(lastRunLine(summary));
    setStyleSheet(summary.failed() ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
    setToolTip(QStringLiteral("Clique para ver o resumo"));
    show();
}

} // namespace tavro
