#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

namespace tavro {

// The status vocabulary of records and protocols. Texts compare exactly, accents included.
namespace Situacao {
inline const QString Aguardando = QStringLiteral("Aguardando");
inline const QString Finalizado = QStringLiteral("Finalizado");
inline const QString Inconsistencia = QStringLiteral("Inconsistência");
inline const QString Ok = QStringLiteral("Ok");
inline const QString OkInc = QStringLiteral("Ok (Inc.)");
inline const QString OkRetificado = QStringLiteral("Ok-Retificado");
// A batch on its way: its registry row and its records carry a provisional protocol until
// the service's answer is recorded. No transmitter takes such a record.
inline const QString Enviando = QStringLiteral("Enviando");
// A batch whose answer this database never saw, past the time a call may take: its records
// stay out of every batch until the clerk (or the nightly run) releases them.
inline const QString SemResposta = QStringLiteral("Sem resposta");
// A batch without answer whose records were released to be sent again.
inline const QString Liberado = QStringLiteral("Liberado");
} // namespace Situacao

// The status boxes of a movement tab or of the protocol tab.
struct StatusBoxes
{
    bool aguardando = true, finalizados = true, inconsistencias = true, ok = true, okRetificado = true;

    // The statuses the ticked boxes list, in the vocabulary's order ("Ok" lists "Ok (Inc.)" too).
    QStringList situacoes() const;
};

// The service's protocol and reception texts are kept to the width of the status columns.
inline constexpr int StoredProtocolLength = 25;

// Priority of a status: 10, 20, 30, 40, 41, 50 for the six statuses above, 100 for
// any other text (the empty one included). A follow-up write only ever raises it.
quint8 PrioridadeSituacao(const QString &situacao);

// `text` as a string literal of a statement's text, its quotes doubled: how statements
// that list statuses of the vocabulary write them.
QString sqlText(const QString &text);

// May a new batch take a record with this status? Never sent, rejected, or unknown; never
// one on its way.
bool sendableInNewBatch(QStringView situacao);
// The same rule as a condition on a status column, for statements that look for
// records still to send.
QString sendableCondition(const QString &column);

// Text colour of a movement-list row by its status ("Ok-Retificado" stays black there).
QColor recordStatusColour(QStringView situacao);
// Text colour of a protocol-list row by its status ("Ok-Retificado" is blue there).
QColor protocolStatusColour(QStringView situacao);

} // namespace tavro
