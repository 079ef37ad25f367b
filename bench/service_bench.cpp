// service_bench [ROUNDS]
//
// Writes a 500-record dispensation batch into its SOAP envelope and reads it back, and
// does the same for a 500-record processing answer, with the service binding's one
// writer and one reader. Prints microseconds per record (best and median of the rounds).

#include "Products.h"

#include "service/MessageXml.h"
#include "service/ServiceSettings.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tavro;

namespace {

constexpr int Records = 500;
const QString Ns = ServiceSettings().typesNamespace();

// The product of the `i`th record of a message.
template <class Produto>
Produto recordProduct(int i)
{
    return test::product<Produto>(QStringLiteral("%1-%2").arg(100000 + i).arg(i % 7 + 1),
                                  QStringLiteral("BR0268331000019"), QStringLiteral("LOTE-%1").arg(i), 30 + i % 60);
}

InformarDispensacaoMedicamentoEmLoteType dispensationBatch()
{
    InformarDispensacaoMedicamentoEmLoteType batch;
    batch.identificacao.emplace().coIBGE = 3550308;
    EstabelecimentoCNESCNPJType unit;
    unit.coCNES = QStringLiteral("2345678");
    for (int i = 0; i < Records; ++i) {
        registro5 &record = batch.registro.emplace_back();
        record.estabelecimento = unit;
        ProdutoDispensacaoType &product = record.produto.emplace(recordProduct<ProdutoDispensacaoType>(i));
        product.sgProgramaSaude = QStringLiteral("CEAF");
        product.dtCompetencia = QStringLiteral("01-2019");
        PacienteType &patient = record.paciente.emplace();
        patient.nuCNS = QStringLiteral("898001160660831");
        patient.peso = QStringLiteral("71.5");
        patient.altura = 172;
        patient.cid10 = QStringLiteral("F20.0");
        PrescritorType &prescriber = record.prescritor.emplace();
        prescriber.coCNES = QStringLiteral("2345678");
        prescriber.nuCRM = 123456;
        prescriber.ufCRM = QStringLiteral("SP");
    }
    return batch;
}

RespostaProcessamentoLoteType processingAnswer()
{
    RespostaProcessamentoLoteType answer;
    answer.identificacao.emplace().coIBGE = 3550308;
    answer.situacaoProcessamento = situacaoProcessamento::FINALIZADO;
    for (int i = 0; i < Records; ++i) {
        registro &record = answer.registro.emplace_back();
        record.estabelecimento.emplace().coCNES = QStringLiteral("2345678");
        record.produto.emplace(recordProduct<ProdutoNovoType>(i)).coRegistro = 5000001 + i;
        record.situacao = situacao::S;
    }
    return answer;
}

struct Figures
{
    double writeUs;
    double readUs;
};

// One round: the envelope written from `value`, then read back into a fresh value.
template <class T>
Figures round(const QString &element, const T &value)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray document = SoapEnvelope::write(
        [&](QXmlStreamWriter &writer) { MessageXml::write(writer, Ns, element, value); });
    const qint64 written = timer.nsecsElapsed();
    T back;
    SoapEnvelope::read(document, [&](QXmlStreamReader &reader) { MessageXml::read(reader, back); });
    const qint64 read = timer.nsecsElapsed() - written;
    if (back.registro.size() != value.registro.size())
        std::fprintf(stderr, "read back %zu records of %zu\n", back.registro.size(), value.registro.size());
    return {written / 1000.0 / Records, read / 1000.0 / Records};
}

template <class T>
void measure(const char *title, const QString &element, const T &value, int rounds)
{
    std::vector<double> write, read, total;
    for (int i = 0; i < rounds; ++i) {
        const Figures f = round(element, value);
        write.push_back(f.writeUs);
        read.push_back(f.readUs);
        total.push_back(f.writeUs + f.readUs);
    }
    const auto best = [](std::vector<double> v) { return *std::min_element(v.begin(), v.end()); };
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("%-34s write %7.2f  read %7.2f  write+read %7.2f  (median %7.2f) us/record\n", title, best(write),
                best(read), best(total), median(total));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    std::printf("%d records per message, best of %d rounds\n", Records, rounds);
    measure("dispensation batch (registro5)", QStringLiteral("informarDispensacaoMedicamentoEmLote"),
            dispensationBatch(), rounds);
    measure("processing answer (registro)", QStringLiteral("respostaProcessamentoLote"), processingAnswer(), rounds);
    return 0;
}
