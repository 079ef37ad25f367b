#pragma once

#include "sync/Synchronization.h"

#include <QString>

#include <optional>

namespace tavro {

class Database;
class ProgressStrip;
class SoapClient;

// "Enviar tudo o que falta": the nightly run of `tavro-cli sincronizar` (every kind's
// records of the unit still to send, then the follow-up of its open protocols), run from
// the window with the status strip's progress and "Parar". It takes the nightly run's
// lock for the database and the unit, so the two never overlap; logs each step in the
// nightly run's log and leaves its summary where the nightly run leaves its own: all three in
// the data folder `dataFolder`. `request` is read as the nightly run reads its own (the window
// sets it up from config.ini and its batch-size field). When
// another run holds the lock it sends nothing and `refusal` says who holds it. The lines about
// refused rows go to `refused`, as a transmit button's do.
std::optional<SyncSummary> sendAllPending(Database &db, SoapClient &client, const SyncUnit &unit,
                                          const SyncRequest &request, const QString &usuarioSessao,
                                          ProgressStrip &progress, const QString &dataFolder, QString &refusal,
                                          const RefusalSink &refused);

} // namespace tavro
