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
// A batch written ahead whose request has not left yet: only its registry row carries it
// (its records are already "Enviando"). A batch still "Preparando" after a crash provably
// never reached the service and is released at once.
inline const QString Preparando = QStringLiteral("Preparando");
// A batch on its way: its registry row and its records carry a provisional protocol until
// the service's answer is recorded. No transmitter takes such a record. On the registry row
// it means the request may have left.
inline const QString Enviando = QStringLiteral("Enviando");
// A batch whose answer this database never saw, past the time a call may take: its records
// stay out of every batch until the clerk (or the nightly run) releases them.
inline const QString SemResposta = QStringLiteral("Sem resposta");
// A batch without answer whose records were released to be sent again.
inline const QString Liberado = QStringLiteral("Liberado");
// The registry row of a batch the service provably does not hold (its request never left,
// or the service refused it): its records went back to be sent again.
inline const QString NaoEnviado = QStringLiteral("Não enviado");
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

// Is a record or registry row with this status held by a batch whose answer this database
// has not recorded yet ("Preparando", "Enviando", "Sem resposta")?
bool heldSituacao(QStringView situacao);
// Those three statuses, in the order a batch goes through them.
const QStringList &heldSituacoes();
// The same rule as a condition on a status column: "column in ('Preparando', ...)".
QString heldCondition(const QString &column);

// May a new batch take a record with this status? Never sent, rejected, or unknown; never
// one on its way.
bool sendableInNewBatch(QStringView situacao);
// The same rule as a condition on a status column, for statements that look for
// records still to send.
QString sendableCondition(const QString &column);

// Text colour of a movement-list row by its status ("Ok-Retificado" stays black there). A
// held batch's rows have a colour of their own; a released or never-sent batch is grey.
QColor recordStatusColour(QStringView situacao);
// Text colour of a protocol-list row by its status ("Ok-Retificado" is blue there).
QColor protocolStatusColour(QStringView situacao);

} // namespace tavro
