#pragma once

#include <QSet>
#include <QString>

class QWidget;

namespace tavro {

class Messages;
class RecordList;
class TransmissionAccount;
class TransmissionKind;
struct ClickOutcome;

// The captions of the rows a transmit click is to send (by status and chosen protocol,
// before its checks): a check's line about any other row is a note, not an error.
QSet<QString> rowsToSend(const TransmissionKind &kind, const RecordList &list, const QString &protocolo);

// The first line of the end box when the checks held rows back:
// "Enviados 6; 2 recusados ficam pendentes: veja Erros."
QString refusedAccountLine(const TransmissionAccount &account);

// The box a transmit click ends with, by how its loop ended: all sent (the warning icon,
// the account first, when rows were refused), aborted by an error, stopped by the operator;
// none when its runs were used up.
void showClickEnd(Messages &messages, QWidget *parent, const ClickOutcome &outcome, const TransmissionAccount &account,
                  const QString &dica);

} // namespace tavro
