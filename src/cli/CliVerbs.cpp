#include "cli/CliVerbs.h"

#include "cli/SituacaoVerb.h"
#include "common/Error.h"
#include "db/DateText.h"
#include "lists/OverviewFigures.h"

#include <QDate>

namespace tavro {

namespace {

const CliOption Dia{QStringLiteral("dia"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("o dia do estoque")};
const CliOption De{QStringLiteral("de"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("primeiro dia do período")};
const CliOption Ate{QStringLiteral("ate"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("último dia do período")};
const CliOption SituacaoFiltro{
    QStringLiteral("situacao"), QStringLiteral("LISTA"),
    QStringLiteral("aguardando,finalizados,inconsistencias,ok,okretificado (padrão: todas)")};
const CliOption ProtocoloFiltro{QStringLiteral("protocolo"), QStringLiteral("P"),
                                QStringLiteral("só os registros do protocolo P")};
const CliOption SemCodigo{QStringLiteral("sem-codigo"), QString(), QStringLiteral("inclui produtos sem código")};
const CliOption TodosCnes{QStringLiteral("todos-cnes"), QString(),
                          QStringLiteral("protocolos de todos os CNES, não só os da unidade")};
const CliOption TipoFiltro{QStringLiteral("tipo"), QStringLiteral("LISTA"),
                           QStringLiteral("estoque,entradas,saidas,dispensacoes (padrão: todos)")};
const CliOption Lote{QStringLiteral("lote"), QStringLiteral("N"), QStringLiteral("registros por lote (padrão 500)")};

const QList<CliOption> ListSearchOptions{Dia, De, Ate, SituacaoFiltro, ProtocoloFiltro, SemCodigo};
const QList<CliOption> ProtocolFilterOptions{TodosCnes, SituacaoFiltro, TipoFiltro};

int wholeNumber(const CliArguments &arguments, const QString &name, int fallback)
{
    if (!arguments.isSet(name))
        return fallback;
    bool ok = false;
    const int value = arguments.value(name).toInt(&ok);
    if (!ok)
        usageError(QStringLiteral("--%1 exige um número inteiro").arg(name));
    return value;
}

QString required(const CliArguments &arguments, const QString &name, const QString &verb)
{
    const QString value = arguments.value(name);
    if (value.isEmpty())
        usageError(QStringLiteral("%1 exige --%2").arg(verb, name));
    return value;
}

// A required day/month/year option, written with a four-digit year when it reads as a date
// (a short year as the window's date fields read it); any other text is kept for the
// database to refuse, as a typed period is.
QString requiredDate(const CliArguments &arguments, const QString &name, const QString &verb)
{
    const QString value = required(arguments, name, verb);
    const std::optional<QDate> date = readDate(value);
    return date ? dateToText(*date) : value;
}

void wordCount(const CliArguments &arguments, int count, const QString &message)
{
    if (arguments.words.size() != count)
        usageError(message);
}

void noWords(const CliArguments &arguments, const QString &verb)
{
    wordCount(arguments, 0, QStringLiteral("%1 não aceita argumentos além das opções").arg(verb));
}

// An empty text unticks every box, which lists every record whatever its status.
StatusBoxes statusBoxes(const QString &text)
{
    StatusBoxes boxes{false, false, false, false, false};
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        if (name == QLatin1String("aguardando"))
            boxes.aguardando = true;
        else if (name == QLatin1String("finalizados"))
            boxes.finalizados = true;
        else if (name == QLatin1String("inconsistencias"))
            boxes.inconsistencias = true;
        else if (name == QLatin1String("ok"))
            boxes.ok = true;
        else if (name == QLatin1String("okretificado"))
            boxes.okRetificado = true;
        else
            usageError(QStringLiteral("Situação desconhecida em --situacao: %1").arg(name));
    }
    return boxes;
}

// The protocol tab's boxes; an empty --tipo unticks every kind box, which lists protocols of every kind.
ProtocolFilter protocolFilter(const CliArguments &arguments)
{
    ProtocolFilter filter;
    filter.todosCnes = arguments.isSet(TodosCnes.name);
    if (arguments.isSet(SituacaoFiltro.name))
        filter.status = statusBoxes(arguments.value(SituacaoFiltro.name));
    if (arguments.isSet(TipoFiltro.name)) {
        bool *boxes[] = {&filter.estoque, &filter.entradas, &filter.saidas, &filter.dispensacoes};
        for (bool *box : boxes)
            *box = false;
        for (const QString &raw : arguments.value(TipoFiltro.name).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const std::optional<MovementKind> kind = movementKindNamed(raw.trimmed());
            if (!kind)
                usageError(QStringLiteral("Tipo desconhecido em --tipo: %1").arg(raw.trimmed()));
            *boxes[int(*kind)] = true;
        }
    }
    return filter;
}

// The list's day or period and its filters, as `listar` reads them for options.kind.
void readListSearch(const CliArguments &arguments, CliOptions &options, const QString &what)
{
    const bool stock = options.kind == MovementKind::Estoque;
    for (const CliOption &other : stock ? QList<CliOption>{De, Ate} : QList<CliOption>{Dia}) {
        if (arguments.isSet(other.name))
            usageError(QStringLiteral("A opção --%1 não se aplica a %2").arg(other.name, what));
    }
    if (stock) {
        options.dia = requiredDate(arguments, Dia.name, what);
    } else {
        options.period.dataInicial = requiredDate(arguments, De.name, what);
        options.period.dataFinal = requiredDate(arguments, Ate.name, what);
    }
    if (arguments.isSet(SituacaoFiltro.name))
        options.status = statusBoxes(arguments.value(SituacaoFiltro.name));
    options.semCodigo = arguments.isSet(SemCodigo.name);
}

// The kind the verb's one word names.
template <class Kind>
Kind namedKind(const CliArguments &arguments, const QString &usage, std::optional<Kind> (*named)(const QString &))
{
    wordCount(arguments, 1, usage);
    const std::optional<Kind> kind = named(arguments.words.first());
    if (!kind)
        usageError(QStringLiteral("Lista desconhecida: %1").arg(arguments.words.first()));
    return *kind;
}

void readListar(const CliArguments &arguments, CliOptions &options)
{
    options.kind = namedKind(arguments,
                             QStringLiteral("listar exige uma lista: estoque, entradas, saidas ou dispensacoes"),
                             movementKindNamed);
    readListSearch(arguments, options, QStringLiteral("listar ") + arguments.words.first());
    options.protocoloFiltro = arguments.value(ProtocoloFiltro.name);
}

void readProtocolos(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("protocolos"));
    options.protocolFilter = protocolFilter(arguments);
}

void readVerificacao(const CliArguments &arguments, CliOptions &options)
{
    wordCount(arguments, 1, QStringLiteral("Informe o número do protocolo"));
    options.protocoloVerificado = arguments.words.first();
    options.protocolFilter = protocolFilter(arguments);
}

void readVerificar(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("verificar"));
    options.protocolFilter = protocolFilter(arguments);
    options.vezes = wholeNumber(arguments, QStringLiteral("vezes"), 1);
}

void readTransmitir(const CliArguments &arguments, CliOptions &options)
{
    options.transmitKind = namedKind(
        arguments, QStringLiteral("transmitir exige: estoque, entradas, saidas, dispensacoes ou sem-cartao"),
        transmitKindNamed);
    options.kind = kindEntry(options.transmitKind).list;
    readListSearch(arguments, options, QStringLiteral("transmitir ") + arguments.words.first());
    options.protocoloReenviado = arguments.value(ProtocoloFiltro.name);
    options.vezes = wholeNumber(arguments, QStringLiteral("vezes"), 10);
    options.lote = wholeNumber(arguments, Lote.name, 500);
}

void readImprimir(const CliArguments &arguments, CliOptions &options)
{
    const QString verb = QStringLiteral("imprimir");
    noWords(arguments, verb);
    options.kind = MovementKind::Dispensacoes;
    options.period.dataInicial = requiredDate(arguments, De.name, verb);
    options.period.dataFinal = requiredDate(arguments, Ate.name, verb);
    options.pdfPath = arguments.value(QStringLiteral("pdf"));
    if (arguments.isSet(SituacaoFiltro.name))
        options.status = statusBoxes(arguments.value(SituacaoFiltro.name));
    options.protocoloFiltro = arguments.value(ProtocoloFiltro.name);
    options.semCodigo = arguments.isSet(SemCodigo.name);
}

void readRecuperar(const CliArguments &arguments, CliOptions &)
{
    noWords(arguments, QStringLiteral("recuperar"));
}

void readLiberar(const CliArguments &arguments, CliOptions &options)
{
    wordCount(arguments, 1, QStringLiteral("liberar exige o protocolo do lote sem resposta"));
    options.protocoloLiberado = arguments.words.first();
}

void readSituacao(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("situacao"));
    options.overviewPeriod = situacaoPeriod(arguments.value(QStringLiteral("ano")), arguments.value(De.name),
                                            arguments.value(Ate.name));
    options.semCodigo = arguments.isSet(SemCodigo.name);
    options.json = arguments.isSet(QStringLiteral("json"));
}

void readRegistros(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("registros"));
    options.limpar = arguments.isSet(QStringLiteral("limpar"));
}

// A month option MM/AAAA as its first day; null when the option is not given.
QDate monthOption(const CliArguments &arguments, const QString &name)
{
    if (!arguments.isSet(name))
        return QDate();
    const std::optional<QDate> month = monthFromText(arguments.value(name));
    if (!month)
        usageError(QStringLiteral("--%1 exige um mês MM/AAAA: %2").arg(name, arguments.value(name)));
    return *month;
}

void readPendencias(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("pendencias"));
    options.mesInicial = monthOption(arguments, De.name);
    options.mesFinal = monthOption(arguments, Ate.name);
    options.todasUnidades = arguments.isSet(QStringLiteral("todas-unidades"));
    options.csvPath = arguments.value(QStringLiteral("csv"));
    if (arguments.isSet(QStringLiteral("csv")) && options.csvPath.isEmpty())
        usageError(QStringLiteral("--csv exige o nome do arquivo"));
    options.json = arguments.isSet(QStringLiteral("json"));
}

QList<TransmitKind> transmitKinds(const QString &text)
{
    QList<TransmitKind> kinds;
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<TransmitKind> known = transmitKindNamed(raw.trimmed());
        if (!known)
            usageError(QStringLiteral("Tipo desconhecido em --tipos: %1").arg(raw.trimmed()));
        kinds.append(*known);
    }
    if (kinds.isEmpty())
        usageError(QStringLiteral("--tipos exige ao menos um tipo"));
    return kinds;
}

void readSincronizar(const CliArguments &arguments, CliOptions &options)
{
    const QString verb = QStringLiteral("sincronizar");
    noWords(arguments, verb);
    options.tipos = arguments.isSet(QStringLiteral("tipos"))
        ? transmitKinds(arguments.value(QStringLiteral("tipos")))
        : QList<TransmitKind>(std::begin(AllTransmitKinds), std::end(AllTransmitKinds));
    const bool period = arguments.isSet(De.name) || arguments.isSet(Ate.name);
    if (arguments.isSet(QStringLiteral("dias"))) {
        if (period)
            usageError(QStringLiteral("Use --dias ou --de e --ate, não os dois"));
        options.dias = wholeNumber(arguments, QStringLiteral("dias"), 0);
        if (options.dias < 1)
            usageError(QStringLiteral("--dias exige um número positivo"));
    } else if (period) {
        options.period.dataInicial = requiredDate(arguments, De.name, verb);
        options.period.dataFinal = requiredDate(arguments, Ate.name, verb);
    }
    options.vezes = wholeNumber(arguments, QStringLiteral("vezes"), 3);
    options.lote = wholeNumber(arguments, Lote.name, 500);
    if (options.lote < 1)
        usageError(QStringLiteral("--lote exige um número positivo"));
    options.jsonPath = arguments.value(QStringLiteral("json"));
    if (arguments.isSet(QStringLiteral("json")) && options.jsonPath.isEmpty())
        usageError(QStringLiteral("--json exige o nome do arquivo"));
}

} // namespace

void usageError(const QString &reason)
{
    throw Error(reason);
}

const CliOption *CliVerbSpec::option(const QString &optionName) const
{
    for (const CliOption &candidate : options) {
        if (candidate.name == optionName)
            return &candidate;
    }
    return nullptr;
}

const QList<CliVerbSpec> &cliVerbs()
{
    const CliOption month{QStringLiteral("de"), QStringLiteral("MM/AAAA"), QStringLiteral("primeiro mês")};
    const CliOption lastMonth{QStringLiteral("ate"), QStringLiteral("MM/AAAA"), QStringLiteral("último mês")};
    const CliOption walks{QStringLiteral("vezes"), QStringLiteral("N"),
                          QStringLiteral("voltas pela lista de protocolos (padrão 1)")};
    static const QList<CliVerbSpec> verbs{
        {CliVerb::Listar, QStringLiteral("listar"), ListSearchOptions,
         QStringLiteral("listar estoque --dia DD/MM/AAAA\n"
                        "listar entradas|saidas|dispensacoes --de DD/MM/AAAA --ate DD/MM/AAAA"),
         readListar},
        {CliVerb::Protocolos, QStringLiteral("protocolos"), ProtocolFilterOptions,
         QStringLiteral("protocolos [FILTROS]"), readProtocolos},
        {CliVerb::Processamento, QStringLiteral("processamento"), ProtocolFilterOptions,
         QStringLiteral("processamento PROTOCOLO [FILTROS]"), readVerificacao},
        {CliVerb::Inconsistencia, QStringLiteral("inconsistencia"), ProtocolFilterOptions,
         QStringLiteral("inconsistencia PROTOCOLO [FILTROS]"), readVerificacao},
        {CliVerb::Verificar, QStringLiteral("verificar"), ProtocolFilterOptions + QList<CliOption>{walks},
         QStringLiteral("verificar [--vezes N] [FILTROS]"), readVerificar},
        {CliVerb::Transmitir,
         QStringLiteral("transmitir"),
         {Dia,
          De,
          Ate,
          SituacaoFiltro,
          SemCodigo,
          {QStringLiteral("protocolo"), QStringLiteral("P"),
           QStringLiteral("reenvia os registros \"Ok\" do protocolo P")},
          {QStringLiteral("vezes"), QStringLiteral("N"), QStringLiteral("execuções, uma por lote (padrão 10)")},
          Lote},
         QStringLiteral("transmitir estoque --dia DD/MM/AAAA [--vezes N] [--lote N] [--protocolo P]\n"
                        "transmitir entradas|saidas|dispensacoes|sem-cartao --de DD/MM/AAAA --ate DD/MM/AAAA\n"
                        "           [--vezes N] [--lote N] [--protocolo P]"),
         readTransmitir},
        {CliVerb::Imprimir,
         QStringLiteral("imprimir"),
         {De,
          Ate,
          {QStringLiteral("pdf"), QStringLiteral("ARQUIVO"),
           QStringLiteral("o PDF a gravar (padrão: Dispensacoes_CNES_INICIO_a_FIM.pdf na pasta de documentos)")},
          SituacaoFiltro,
          ProtocoloFiltro,
          SemCodigo},
         QStringLiteral("imprimir --de DD/MM/AAAA --ate DD/MM/AAAA [--pdf ARQUIVO] [opções de listar]"),
         readImprimir},
        {CliVerb::Recuperar, QStringLiteral("recuperar"), {}, QStringLiteral("recuperar"), readRecuperar},
        {CliVerb::Liberar, QStringLiteral("liberar"), {}, QStringLiteral("liberar PROTOCOLO"), readLiberar},
        {CliVerb::Situacao,
         QStringLiteral("situacao"),
         {{QStringLiteral("ano"), QStringLiteral("AAAA"), QStringLiteral("os doze meses do ano")},
          month,
          lastMonth,
          SemCodigo,
          {QStringLiteral("json"), QString(), QStringLiteral("um objeto JSON em vez de texto")}},
         QStringLiteral("situacao [--ano AAAA | --de MM/AAAA --ate MM/AAAA] [--sem-codigo] [--json]"),
         readSituacao},
        {CliVerb::Sincronizar,
         QStringLiteral("sincronizar"),
         {{QStringLiteral("tipos"), QStringLiteral("LISTA"),
           QStringLiteral("estoque,entradas,saidas,dispensacoes,sem-cartao (padrão: todos)")},
          De,
          Ate,
          {QStringLiteral("dias"), QStringLiteral("N"), QStringLiteral("os N dias até ontem")},
          Lote,
          {QStringLiteral("vezes"), QStringLiteral("N"), QStringLiteral("verificações dos protocolos (padrão 3)")},
          {QStringLiteral("json"), QStringLiteral("ARQUIVO"), QStringLiteral("grava o resumo em JSON")}},
         QStringLiteral("sincronizar [--tipos LISTA] [--de DD/MM/AAAA --ate DD/MM/AAAA | --dias N]\n"
                        "            [--lote N] [--vezes N] [--json ARQUIVO]"),
         readSincronizar},
        {CliVerb::Registros,
         QStringLiteral("registros"),
         {{QStringLiteral("limpar"), QString(), QStringLiteral("remove os registros que DiasRegistros removeria")}},
         QStringLiteral("registros [--limpar]"),
         readRegistros},
        {CliVerb::Pendencias,
         QStringLiteral("pendencias"),
         {month,
          lastMonth,
          {QStringLiteral("todas-unidades"), QString(),
           QStringLiteral("todas as unidades do banco, não só a da farmácia")},
          {QStringLiteral("csv"), QStringLiteral("ARQUIVO"),
           QStringLiteral("grava a lista em CSV (UTF-8, separada por ;)")},
          {QStringLiteral("json"), QString(), QStringLiteral("um objeto JSON em vez de texto")}},
         QStringLiteral("pendencias [--de MM/AAAA --ate MM/AAAA] [--todas-unidades] [--csv ARQUIVO] [--json]"),
         readPendencias},
    };
    return verbs;
}

} // namespace tavro
