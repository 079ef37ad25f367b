#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;

// A registered protocol as a clerk tells one from another: its number, the time the
// service received it and its kind, from the protocol registry.
struct ProtocolSummary
{
    QString protocolo;
    QString data; // empty, as the kind, for a number the registry does not hold
    QString tipo;

    // "123 - 10/12/2026 08:00:00 - Estoque"; the number alone when the registry lacks it.
    QString descricao() const;
    // The question asked before `registros` records of the protocol are sent again, as a
    // rectification of it or (`rectifies` false) as a new batch.
    QString retransmissionQuestion(int registros, bool rectifies) const;
};

ProtocolSummary summarizeProtocol(Database &db, const QString &protocolo);
// The summaries of several numbers in their order; an empty number stays an empty entry.
QList<ProtocolSummary> summarizeProtocols(Database &db, const QStringList &protocolos);

} // namespace tavro
