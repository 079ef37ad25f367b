#pragma once

#include "BatchSender.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"

#include "db/Database.h"
#include "followup/ProtocolFollowup.h"
#include "service/SoapClient.h"
#include "session/Login.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tavro::test {

// A fresh demo database on the code's own connection, tavro-sim as a process, the
// SOAP client, a batch sender and the two checks, whose text lines are collected.
// Database state is read back on the test's own connection.
class FollowupFixture : public ::testing::Test
{
protected:
    FollowupFixture();

    void startSim(const QStringList &arguments = {});
    // A service address where nothing listens.
    void useUnreachableService();

    // The checks run with the cells of the protocol's registry row, as the list holds them.
    QString processamento(const QString &protocolo);
    QString inconsistencia(const QString &protocolo);
    QStringList takeLines() { return std::exchange(m_lines, {}); }

    // TavroSituacao, TavroSituacaoPrioridade, TavroProtocolo, TavroCoRegistro of a record
    // of the kind's table ("5001" or "1001-2"), and TavroData as the fifth.
    QStringList record(const QString &tipo, const QString &key) const;
    // Sets columns of a record on the test's own connection ("TavroCoRegistro = null").
    void setRecord(const QString &tipo, const QString &key, const QString &assignments) const;
    // Situacao and SituacaoPrioridade of a registry row.
    QStringList protocolRow(const QString &protocolo) const;

    TestDatabase m_fixture;
    Database m_db;
    QTemporaryDir m_logs;
    LoginValues m_login = TestLogin;
    HttpTransport m_transport;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<SoapClient> m_client;
    std::unique_ptr<BatchSender> m_sender;
    std::unique_ptr<ProtocolFollowup> m_checks;
    QStringList m_lines;

private:
    void useServer(const QString &origin);
};

} // namespace tavro::test
