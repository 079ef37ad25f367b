#include "TransmissionSetup.h"

namespace tavro::test {

RunEnds runEnds(const SendOutcome &outcome)
{
    RunEnds ends;
    for (const RunResult &run : outcome.resultados)
        ends.append(run.end);
    return ends;
}

SendRequest sendRequest(MovementKind kind, const TransmissionInput &input, int vezes)
{
    SendRequest request;
    request.kind = kind;
    request.input = input;
    request.vezes = vezes;
    request.today = [day = input.hoje] { return day; };
    return request;
}

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

SendOutcome TransmissionSetup::click(MovementKind kind, int vezes)
{
    // Every run's lines and last protocol in `report`, as the window's tabs gather them.
    class Gathering : public SendObserver
    {
    public:
        explicit Gathering(TransmissionSetup &setup)
            : m_setup(setup)
        {
        }
        void runEnded(const SendRun &run) override
        {
            m_setup.report.erros += run.report.erros;
            if (run.report.retornos)
                m_setup.report.retornos = run.report.retornos;
            if (m_setup.onRun)
                m_setup.onRun(run.report);
        }

    private:
        TransmissionSetup &m_setup;
    } gathering(*this);
    return transmit(db, *client, *list, sendRequest(kind, input, vezes), gathering);
}

} // namespace tavro::test
