#pragma once

#include <QList>
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

// The unit with internal code `codigo`: its CNES number and name, or nothing. Runs in
// the main transaction as it stands (starting one when none is active).
struct UnitByCode
{
    bool found = false;
    QString numero;
    QString nome;
};
UnitByCode findUnitByCode(Database &db, const QString &codigo);

// The lookup dialog's search modes and the LIKE pattern each makes of the typed text.
enum class LookupMode { TrechoDoNome, InicioDoNome, QualquerPalavra };
QString lookupPattern(LookupMode mode, const QString &text);

// Active units whose name matches `pattern`, ordered by name: code and name.
QList<HealthUnit> searchUnits(Database &db, const QString &pattern);

// Mouse-wheel movement over the lookup list, kept across uses: every 100 units of
// accumulated distance make one row step, so one notch of 120 moves one row and
// the remainders add up.
class WheelAccumulator
{
public:
    // Adds a movement (positive away from the user); returns the rows to move, negative upwards.
    int add(int delta);
    int value() const { return m_value; }

private:
    int m_value = 0;
};

} // namespace tavro
