#include "transmission/TransmissionAccount.h"

#include "lists/RecordList.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"

namespace tavro {

QList<TransmissionAccount::Line> TransmissionAccount::add(const RunReport &report)
{
    m_enviados += report.enviados;
    QList<Line> lines;
    qsizetype refusal = 0; // report.recusas follows report.erros in order
    for (const QString &text : report.erros) {
        if (refusal < report.recusas.size() && report.recusas.at(refusal).line == text) {
            const QString &caption = report.recusas.at(refusal++).caption;
            if (!m_listed.contains(text)) {
                m_listed.insert(text);
                lines.append({text, caption});
            }
            continue;
        }
        lines.append({text, QString()});
    }
    return lines;
}

void TransmissionAccount::countRows(const TransmissionKind &kind, const RecordList &list, const QString &protocolo)
{
    const TransmissionCells cells = kind.cells();
    m_recusados = 0;
    m_restam = 0;
    QStringList unused;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (!rowToSend(list, row, cells, protocolo))
            continue;
        unused.clear();
        if (kind.check(list, row, unused))
            ++m_restam;
        else
            ++m_recusados;
    }
}

QString accountText(int enviados, int recusados, int restam)
{
    const QString refused = recusados > 0 ? QStringLiteral("recusados %1 (ver Erros)").arg(recusados)
                                          : QStringLiteral("recusados 0");
    return QStringLiteral("Enviados %1, %2, restam %3").arg(enviados).arg(refused).arg(restam);
}

QString refusedAccountLine(int enviados, int recusados)
{
    const QString refused = recusados == 1 ? QStringLiteral("1 recusado fica pendente")
                                           : QStringLiteral("%1 recusados ficam pendentes").arg(recusados);
    return QStringLiteral("Enviados %1; %2: veja Erros.").arg(enviados).arg(refused);
}

QString TransmissionAccount::text() const
{
    return accountText(m_enviados, m_recusados, m_restam);
}

} // namespace tavro
