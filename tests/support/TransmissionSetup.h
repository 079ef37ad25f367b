#pragma once

#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"

#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/HttpTransport.h"
#include "service/SoapClient.h"
#include "transmission/SendOperation.h"
#include "transmission/Transmission.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace tavro::test {

// How each run of a send ended, in order.
using RunEnds = QList<RunResult::End>;
RunEnds runEnds(const SendOutcome &outcome);

// The send of `kind` a click makes with `input`, its runs dated `input.hoje`.
SendRequest sendRequest(MovementKind kind, const TransmissionInput &input, int vezes = 10);

// The search a clerk makes before sending `kind`, products without code shown: the stock of
// the input's day at its pharmacy, the other kinds over January 2019 of unit 1.
ListSearch clerkSearch(MovementKind kind, const TransmissionInput &input);

// What a transmission test works with: its own copy of the demo database on the code's
// connection, a log folder of its own, tavro-sim and a client of it whose clock moves a second
// a call (so every request keeps its own log), the list a run sends from and the input of
// the day the demo's movements were made.
struct TransmissionSetup
{
    explicit TransmissionSetup(const QString &templateName = QStringLiteral("demo-utf8.fdb"))
        : fixture(templateName)
    {
        db.open(fixture.path());
    }

    void startSim(const QStringList &arguments = {})
    {
        sim = std::make_unique<SimProcess>(simArguments(TestLogin, arguments));
        client = makeClient(logFolder);
    }
    std::unique_ptr<SoapClient> makeClient(const QString &folder)
    {
        return test::makeClient(transport, localOrigin(sim->port()), folder, TestLogin, 20,
                                [this] { return now = now.addSecs(1); });
    }
    int count(const QString &sql) const { return fixture.scalar(sql).toInt(); }

    // `list` as the clerk's search of `kind` fills it, on the test's connection or on `on`.
    RecordList &fill(MovementKind kind) { return fill(kind, db); }
    RecordList &fill(MovementKind kind, Database &on);
    // One click: the send of `kind` the window's transmit button makes, over `list` with `input`
    // on the day `input.hoje`. `report` gathers every run's lines and keeps the last protocol;
    // `onRun` sees each run's report.
    SendOutcome click(MovementKind kind, int vezes = 10);

    TestDatabase fixture;
    Database db;
    QTemporaryDir dir;
    QString logFolder = dir.filePath(QStringLiteral("Tavro"));
    QDateTime now{QDate(2026, 12, 10), QTime(8, 0, 0)};
    HttpTransport transport;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<SoapClient> client;
    std::unique_ptr<RecordList> list;
    TransmissionInput input{
        QStringLiteral("2345678"), QStringLiteral("3550308"), QStringLiteral("31/01/2019"), QString(), 500,
        QDate(2019, 2, 1)};
    RunReport report;
    std::function<void(const RunReport &)> onRun;
};

} // namespace tavro::test
