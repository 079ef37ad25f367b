#pragma once

#include "reports/BandedReport.h"

#include <QDateTime>
#include <QString>

namespace tavro {

struct Pendencias;

// The units the registration list covers, as its heading names them.
struct PendenciasReportInput
{
    QString unidade;     // the unit's code; empty for every unit
    QString cnes;        // PECodCNES
    QString nomeUnidade; // LNomeUnidade
};

// The registration list printed in the listing's layout: the heading, then each group with
// its count and one shaded band per row (subject, list, key, date, the check's line), the
// totals per group, and on every page the print time and "Página X de Y".
BandedReport buildPendenciasListing(const Pendencias &pendencias, const PendenciasReportInput &input,
                                    const QDateTime &impressoEm = QDateTime::currentDateTime());

// Where the printed list is saved unless the operator chooses otherwise: the documents
// folder, named by the unit's CNES and the day ("Pendencias_2345678_2026-12-11.pdf").
QString pendenciasListingPath(const PendenciasReportInput &input, const QDate &dia = QDate::currentDate());

} // namespace tavro
