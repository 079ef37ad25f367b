#pragma once

#include <QString>

namespace tavro {

class Database;

struct HealthUnit
{
    QString codigo;
    QString nome;
};

// The unit whose internal code or CNES number is `cnes`, looked up in a fresh main
// transaction that is rolled back afterwards; empty fields when there is none.
HealthUnit findUnitAtStartup(Database &db, const QString &cnes);

} // namespace tavro
