#pragma once

#include <QList>
#include <QSet>
#include <QString>

namespace tavro {

class RecordList;
class TransmissionKind;
struct RunReport;

// "Enviados 120, recusados 4 (ver Erros), restam 0".
QString accountText(int enviados, int recusados, int restam);
// The first line of a send's end box when the checks held rows back:
// "Enviados 6; 2 recusados ficam pendentes: veja Erros."
QString refusedAccountLine(int enviados, int recusados);

// The account of one transmit click over all its runs: the records sent, the rows the
// checks refused and the rows still waiting to be sent, so that a clerk who sees "all
// transferred" also sees what was held back. It also lists each refusal once per click,
// where every run repeats the checks' lines.
class TransmissionAccount
{
public:
    // A line for the error tab; `caption` names the refused row, empty for other lines.
    struct Line
    {
        QString text;
        QString caption;
        bool nota = false; // about a row the send was not to take: a note, not a refusal
    };

    // Takes one run's report; returns its error lines that this click has not listed yet.
    QList<Line> add(const RunReport &report);
    // Once the click has ended: counts, over the list as the runs left it, the rows the
    // click was to send that the checks refuse and those that pass but went unsent
    // (used-up runs, a batch that failed, a click stopped by an error).
    void countRows(const TransmissionKind &kind, const RecordList &list, const QString &protocolo);

    int enviados() const { return m_enviados; }
    int recusados() const { return m_recusados; }
    int restam() const { return m_restam; }
    // "Enviados 120, recusados 4 (ver Erros), restam 0".
    QString text() const;

private:
    int m_enviados = 0;
    int m_recusados = 0;
    int m_restam = 0;
    QSet<QString> m_listed; // refusal lines already listed in this click
};

} // namespace tavro
