#include "session/HealthUnit.h"

#include "db/Database.h"

namespace tavro {

HealthUnit findUnitAtStartup(Database &db, const QString &cnes)
{
    db.restartTransaction();
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
    db.rollback();
    return unit;
}

} // namespace tavro
