#include "session/HealthUnit.h"

#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "db/UFunc.h"

namespace tavro {

HealthUnit findUnitAtStartup(Database &db, const QString &cnes)
{
    const ReadSnapshot snapshot(db);
    SqlStatement query{QStringLiteral("select codigo, nome from unidades where codigo = :pcod or numero = :pcod")};
    query.setParam(QStringLiteral("pcod"), cnes);
    HealthUnit unit;
    {
        SqlCursor cursor = db.select(query);
        if (cursor.next()) {
            unit.codigo = cursor.text(0);
            unit.nome = cursor.text(1);
        }
    }
    return unit;
}

UnitByCode findUnitByCode(Database &db, const QString &codigo)
{
    SqlStatement query{QStringLiteral("select * from UNIDADES where codigo=:pcodigo")};
    query.setParam(QStringLiteral("pcodigo"), codigo);
    SqlCursor cursor = db.select(query);
    UnitByCode unit;
    if (cursor.next()) {
        unit.found = true;
        unit.numero = cursor.text(QStringLiteral("numero"));
        unit.nome = cursor.text(QStringLiteral("nome"));
    }
    return unit;
}

QString lookupPattern(LookupMode mode, const QString &text)
{
    const QString upper = text.toUpper();
    const QString percent = QStringLiteral("%");
    switch (mode) {
    case LookupMode::TrechoDoNome:
        return percent + upper + percent;
    case LookupMode::InicioDoNome:
        return upper + percent;
    case LookupMode::QualquerPalavra:
        return percent + TrocaCaractere(upper.trimmed(), QLatin1Char(' '), percent) + percent;
    }
    Q_UNREACHABLE();
}

QList<HealthUnit> searchUnits(Database &db, const QString &pattern)
{
    SqlStatement query{QStringLiteral("select codigo, nome as campo from unidades"),
                       QStringLiteral("where nome like :pdes and datadesativado is null order by nome")};
    query.setParam(QStringLiteral("pdes"), pattern);
    QList<HealthUnit> units;
    SqlCursor cursor = db.select(query);
    while (cursor.next())
        units.append(HealthUnit{cursor.text(0), cursor.text(1)});
    return units;
}

int WheelAccumulator::add(int delta)
{
    m_value += delta;
    int rows = 0;
    while (m_value > 100) {
        --rows;
        m_value -= 100;
    }
    while (m_value < -100) {
        ++rows;
        m_value += 100;
    }
    return rows;
}

} // namespace tavro
