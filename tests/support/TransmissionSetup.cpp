#include "TransmissionSetup.h"

namespace tavro::test {

ListSearch clerkSearch(MovementKind kind, const TransmissionInput &input)
{
    ListSearch search;
    search.kind = kind;
    search.exibirSemCodigo = true;
    if (kind == MovementKind::Estoque) {
        search.unidade = input.cnes;
        search.dia = input.dia;
    } else {
        search.unidade = QStringLiteral("1");
        search.period.dataInicial = QStringLiteral("01/01/2019");
        search.period.dataFinal = QStringLiteral("31/01/2019");
    }
    return search;
}

RecordList &TransmissionSetup::fill(MovementKind kind, Database &on)
{
    list.reset(newMovementList(kind, nullptr));
    fillMovementList(on, clerkSearch(kind, input), *list);
    return *list;
}

ClickOutcome TransmissionSetup::click(TransmissionKind &kind, int vezes)
{
    return transmitRepeatedly(vezes, [&] {
        RunReport run;
        const QString result = transmitOnce(db, *client, kind, *list, input, run);
        report.erros += run.erros;
        if (run.retornos)
            report.retornos = run.retornos;
        report.unitTypeMissing = report.unitTypeMissing || run.unitTypeMissing;
        if (onRun)
            onRun(run);
        return result;
    });
}

} // namespace tavro::test
