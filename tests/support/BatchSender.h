#pragma once

#include <QString>
#include <QStringList>

namespace tavro {
class Database;
class SoapClient;
} // namespace tavro

namespace tavro::test {

// Sends batches of one kind ("Estoque", "Entrada", "Saída", "Dispensação") straight
// through the asynchronous port and leaves the database as an accepted batch does:
// its records marked "Aguardando" under the protocol, its registry row inserted,
// committed. Records are named by their local key: "5001" for a stock position,
// "1001-2" for an item.
class BatchSender
{
public:
    BatchSender(Database &db, SoapClient &client);

    // `rejected` records go out with a product code the service does not know, so it
    // reports an inconsistency for them; `unmarked` ones are sent without a local
    // record being marked. Returns the protocol as the registry keeps it.
    QString send(const QString &tipo, const QStringList &keys, const QStringList &rejected = {},
                 const QStringList &unmarked = {});
    // A rectification batch of `protocoloAntigo` ("Estoque" or "Entrada") carrying the
    // records' registration codes; only the `marked` ones move to the new protocol in
    // the database, as a transmitter does, the others stay under the old one.
    QString rectify(const QString &tipo, const QString &protocoloAntigo, const QStringList &keys,
                    const QStringList &marked);

    // The origin key a transmitter gives the record.
    static QString origem(const QString &tipo, const QString &key);

private:
    void record(const QString &tipo, const QString &protocolo, const QString &data, const QStringList &keys,
                const QString &protocoloAntigo);

    Database &m_db;
    SoapClient &m_client;
};

} // namespace tavro::test
