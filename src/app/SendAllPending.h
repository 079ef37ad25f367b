#pragma once

#include "sync/Synchronization.h"

#include <QString>

#include <optional>

namespace tavro {

class Database;
class ProgressStrip;
class SoapClient;

// "Enviar tudo o que falta": the nightly run of `tavro-cli sincronizar` (every kind's records of
// the unit still to send, then the follow-up of its open protocols), run whole as the nightly run
// runs (SyncRun: its lock, log and summary in the data folder `dataFolder`), with the status
// strip's progress and "Parar". `request` is read as the nightly run reads its own (the window
// sets it up from config.ini and its batch-size field); the summary says the run was the
// window's. None, with the reason in `refusal`, when the run did not start: another run holds
// the lock, or the unit lacks its CNES or IBGE. The lines about refused rows go to `refused`,
// as a transmit button's do.
std::optional<SyncSummary> sendAllPending(Database &db, SoapClient &client, const SyncUnit &unit,
                                          const SyncRequest &request, const QString &usuarioSessao,
                                          ProgressStrip &progress, const QString &dataFolder, QString &refusal,
                                          const RefusalSink &refused);

} // namespace tavro
