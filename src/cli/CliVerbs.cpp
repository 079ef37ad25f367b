#include "cli/CliVerbs.h"

#include "cli/SituacaoVerb.h"
#include "common/Error.h"
#include "db/DateText.h"
#include "lists/OverviewFigures.h"
#include "sync/Synchronization.h"

#include <QDate>

namespace tavro {

namespace {

const CliOption Dia{QStringLiteral("dia"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("o dia do estoque")};
const CliOption De{QStringLiteral("de"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("primeiro dia do período")};
const CliOption Ate{QStringLiteral("ate"), QStringLiteral("DD/MM/AAAA"), QStringLiteral("último dia do período")};
const CliOption MesInicial{QStringLiteral("de"), QStringLiteral("MM/AAAA"), QStringLiteral("primeiro mês")};
const CliOption MesFinal{QStringLiteral("ate"), QStringLiteral("MM/AAAA"), QStringLiteral("último mês")};
const CliOption SituacaoFiltro{QStringLiteral("situacao"), QStringLiteral("LISTA"),
                               QStringLiteral("aguardando,finalizados,inconsistencias,ok,okretificado"),
                               QStringLiteral("todas")};
const CliOption ProtocoloFiltro{QStringLiteral("protocolo"), QStringLiteral("P"),
                                QStringLiteral("só os registros do protocolo P")};
const CliOption ProtocoloReenviado{QStringLiteral("protocolo"), QStringLiteral("P"),
                                   QStringLiteral("reenvia os registros \"Ok\" do protocolo P")};
const CliOption SemCodigo{QStringLiteral("sem-codigo"), QString(), QStringLiteral("inclui produtos sem código")};
const CliOption TodosCnes{QStringLiteral("todos-cnes"), QString(),
                          QStringLiteral("protocolos de todos os CNES, não só os da unidade")};
const CliOption TipoFiltro{QStringLiteral("tipo"), QStringLiteral("LISTA"),
                           QStringLiteral("estoque,entradas,saidas,dispensacoes"), QStringLiteral("todos")};
const CliOption Lote{QStringLiteral("lote"), QStringLiteral("N"), QStringLiteral("registros por lote"),
                     QString::number(DefaultLoteMaximo)};
const CliOption Voltas{QStringLiteral("vezes"), QStringLiteral("N"), QStringLiteral("voltas pela lista de protocolos"),
                       QStringLiteral("1")};
const CliOption Execucoes{QStringLiteral("vezes"), QStringLiteral("N"), QStringLiteral("execuções, uma por lote"),
                          QStringLiteral("10")};
const CliOption Verificacoes{QStringLiteral("vezes"), QStringLiteral("N"),
                             QStringLiteral("verificações dos protocolos"), QString::number(SyncRequest().vezes)};
const CliOption Pdf{QStringLiteral("pdf"), QStringLiteral("ARQUIVO"), QStringLiteral("o PDF a gravar"),
                    QStringLiteral("Dispensacoes_CNES_INICIO_a_FIM.pdf na pasta de documentos")};
const CliOption Ano{QStringLiteral("ano"), QStringLiteral("AAAA"), QStringLiteral("os doze meses do ano")};
const CliOption Json{QStringLiteral("json"), QString(), QStringLiteral("um objeto JSON em vez de texto")};
const CliOption JsonArquivo{QStringLiteral("json"), QStringLiteral("ARQUIVO"),
                            QStringLiteral("grava o resumo em JSON")};
const CliOption Tipos{QStringLiteral("tipos"), QStringLiteral("LISTA"),
                      QStringLiteral("estoque,entradas,saidas,dispensacoes,sem-cartao"), QStringLiteral("todos")};
const CliOption Dias{QStringLiteral("dias"), QStringLiteral("N"), QStringLiteral("os N dias até ontem")};
const CliOption Limpar{QStringLiteral("limpar"), QString(),
                       QStringLiteral("remove os registros que DiasRegistros removeria")};
const CliOption TodasUnidades{QStringLiteral("todas-unidades"), QString(),
                              QStringLiteral("todas as unidades do banco, não só a da farmácia")};
const CliOption Csv{QStringLiteral("csv"), QStringLiteral("ARQUIVO"),
                    QStringLiteral("grava a lista em CSV (UTF-8, separada por ;)")};

const QList<CliOption> ListSearchOptions{Dia, De, Ate, SituacaoFiltro, ProtocoloFiltro, SemCodigo};
const QList<CliOption> ProtocolFilterOptions{TodosCnes, SituacaoFiltro, TipoFiltro};

// A number option as given, or its default.
int wholeNumber(const CliArguments &arguments, const CliOption &option)
{
    if (!arguments.isSet(option.name))
        return option.defaultNumber();
    bool ok = false;
    const int value = arguments.value(option.name).toInt(&ok);
    if (!ok)
        usageError(QStringLiteral("--%1 exige um número inteiro").arg(option.name));
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
        for (const MovementKind kind : AllLists)
            filter.shows(kind) = false;
        for (const QString &raw : arguments.value(TipoFiltro.name).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const std::optional<MovementKind> kind = movementKindNamed(raw.trimmed());
            if (!kind)
                usageError(QStringLiteral("Tipo desconhecido em --tipo: %1").arg(raw.trimmed()));
            filter.shows(*kind) = true;
        }
    }
    return filter;
}

// The list's day or period and its filters, as `listar` reads them for options.kind.
void readListSearch(const CliArguments &arguments, CliOptions &options, const QString &what)
{
    const bool daily = kindFacts(options.kind).daily;
    for (const CliOption &other : daily ? QList<CliOption>{De, Ate} : QList<CliOption>{Dia}) {
        if (arguments.isSet(other.name))
            usageError(QStringLiteral("A opção --%1 não se aplica a %2").arg(other.name, what));
    }
    if (daily) {
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
MovementKind namedKind(const CliArguments &arguments, const QString &usage,
                       std::optional<MovementKind> (*named)(const QString &))
{
    wordCount(arguments, 1, usage);
    const std::optional<MovementKind> kind = named(arguments.words.first());
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
    options.vezes = wholeNumber(arguments, Voltas);
}

void readTransmitir(const CliArguments &arguments, CliOptions &options)
{
    options.transmitKind = namedKind(
        arguments, QStringLiteral("transmitir exige: estoque, entradas, saidas, dispensacoes ou sem-cartao"),
        kindNamed);
    options.kind = kindFacts(options.transmitKind).list;
    readListSearch(arguments, options, QStringLiteral("transmitir ") + arguments.words.first());
    options.protocoloReenviado = arguments.value(ProtocoloReenviado.name);
    options.vezes = wholeNumber(arguments, Execucoes);
    options.lote = wholeNumber(arguments, Lote);
}

void readImprimir(const CliArguments &arguments, CliOptions &options)
{
    const QString verb = QStringLiteral("imprimir");
    noWords(arguments, verb);
    options.kind = MovementKind::Dispensacoes;
    options.period.dataInicial = requiredDate(arguments, De.name, verb);
    options.period.dataFinal = requiredDate(arguments, Ate.name, verb);
    options.pdfPath = arguments.value(Pdf.name);
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
    options.overviewPeriod = situacaoPeriod(arguments.value(Ano.name), arguments.value(MesInicial.name),
                                            arguments.value(MesFinal.name));
    options.semCodigo = arguments.isSet(SemCodigo.name);
    options.json = arguments.isSet(Json.name);
}

void readRegistros(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("registros"));
    options.limpar = arguments.isSet(Limpar.name);
}

// A month option MM/AAAA as its first day; null when the option is not given.
QDate monthOption(const CliArguments &arguments, const CliOption &option)
{
    if (!arguments.isSet(option.name))
        return QDate();
    const std::optional<QDate> month = monthFromText(arguments.value(option.name));
    if (!month)
        usageError(QStringLiteral("--%1 exige um mês MM/AAAA: %2").arg(option.name, arguments.value(option.name)));
    return *month;
}

void readPendencias(const CliArguments &arguments, CliOptions &options)
{
    noWords(arguments, QStringLiteral("pendencias"));
    options.mesInicial = monthOption(arguments, MesInicial);
    options.mesFinal = monthOption(arguments, MesFinal);
    options.todasUnidades = arguments.isSet(TodasUnidades.name);
    options.csvPath = arguments.value(Csv.name);
    if (arguments.isSet(Csv.name) && options.csvPath.isEmpty())
        usageError(QStringLiteral("--csv exige o nome do arquivo"));
    options.json = arguments.isSet(Json.name);
}

QList<MovementKind> transmitKinds(const QString &text)
{
    QList<MovementKind> kinds;
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<MovementKind> known = kindNamed(raw.trimmed());
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
    options.tipos = arguments.isSet(Tipos.name) ? transmitKinds(arguments.value(Tipos.name)) : SyncRequest().kinds;
    const bool period = arguments.isSet(De.name) || arguments.isSet(Ate.name);
    if (arguments.isSet(Dias.name)) {
        if (period)
            usageError(QStringLiteral("Use --dias ou --de e --ate, não os dois"));
        options.dias = wholeNumber(arguments, Dias);
        if (options.dias < 1)
            usageError(QStringLiteral("--dias exige um número positivo"));
    } else if (period) {
        options.period.dataInicial = requiredDate(arguments, De.name, verb);
        options.period.dataFinal = requiredDate(arguments, Ate.name, verb);
    }
    options.vezes = wholeNumber(arguments, Verificacoes);
    options.lote = wholeNumber(arguments, Lote);
    if (options.lote < 1)
        usageError(QStringLiteral("--lote exige um número positivo"));
    options.jsonPath = arguments.value(JsonArquivo.name);
    if (arguments.isSet(JsonArquivo.name) && options.jsonPath.isEmpty())
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
    static const QList<CliVerbSpec> verbs{
        {CliVerb::Listar, QStringLiteral("listar"), ListSearchOptions,
         QStringLiteral("listar estoque --dia DD/MM/AAAA\n"
                        "listar entradas|saidas|dispensacoes --de DD/MM/AAAA --ate DD/MM/AAAA"),
         QStringLiteral("a lista de registros de uma aba"),
         QStringLiteral("listar escreve a lista da aba do tipo (estoque de um dia; entradas, saidas ou dispensacoes\n"
                        "de um período): uma linha com os títulos das colunas e uma por registro."),
         readListar},
        {CliVerb::Protocolos, QStringLiteral("protocolos"), ProtocolFilterOptions,
         QStringLiteral("protocolos [FILTROS]"), QStringLiteral("a lista de protocolos"),
         QStringLiteral("protocolos escreve a lista de protocolos da aba com os filtros; os lotes retidos da unidade\n"
                        "vêm primeiro, e a saída de erros diz o que fazer com cada um."),
         readProtocolos},
        {CliVerb::Processamento, QStringLiteral("processamento"), ProtocolFilterOptions,
         QStringLiteral("processamento PROTOCOLO [FILTROS]"),
         QStringLiteral("verifica o processamento de um protocolo"),
         QStringLiteral("processamento pede ao serviço o resultado do processamento do PROTOCOLO, como o botão da\n"
                        "aba, e escreve as linhas de retorno do serviço e depois a lista de protocolos. Só acha\n"
                        "protocolos que os filtros listam; um protocolo provisório é recusado sem chamar o serviço."),
         readVerificacao},
        {CliVerb::Inconsistencia, QStringLiteral("inconsistencia"), ProtocolFilterOptions,
         QStringLiteral("inconsistencia PROTOCOLO [FILTROS]"),
         QStringLiteral("verifica as inconsistências de um protocolo"),
         QStringLiteral("inconsistencia pede ao serviço as inconsistências do PROTOCOLO \"Finalizado\" ou\n"
                        "\"Inconsistência\", como o botão da aba, e escreve as linhas de retorno do serviço e depois\n"
                        "a lista de protocolos. Só acha protocolos que os filtros listam."),
         readVerificacao},
        {CliVerb::Verificar, QStringLiteral("verificar"), ProtocolFilterOptions + QList<CliOption>{Voltas},
         QStringLiteral("verificar [--vezes N] [FILTROS]"), QStringLiteral("verifica os protocolos da lista"),
         QStringLiteral("verificar percorre a lista de protocolos --vezes vezes, como o botão \"Verificar Todos os\n"
                        "Protocolos\", e escreve as linhas de retorno do serviço e depois a lista de protocolos."),
         readVerificar},
        {CliVerb::Transmitir, QStringLiteral("transmitir"),
         QList<CliOption>{Dia, De, Ate, SituacaoFiltro, SemCodigo, ProtocoloReenviado, Execucoes, Lote},
         QStringLiteral("transmitir estoque --dia DD/MM/AAAA [--vezes N] [--lote N] [--protocolo P]\n"
                        "transmitir entradas|saidas|dispensacoes|sem-cartao --de DD/MM/AAAA --ate DD/MM/AAAA\n"
                        "           [--vezes N] [--lote N] [--protocolo P]"),
         QStringLiteral("transmite os registros de uma aba"),
         QStringLiteral(
             "transmitir repete até --vezes execuções de lotes de até --lote registros, como o botão da\n"
             "aba; com --protocolo P reenvia os registros \"Ok\" do protocolo P. Escreve uma linha por\n"
             "execução e os dados do último protocolo; as mensagens da aba Erros vão para a saída de erros."),
         readTransmitir},
        {CliVerb::Imprimir, QStringLiteral("imprimir"),
         QList<CliOption>{De, Ate, Pdf, SituacaoFiltro, ProtocoloFiltro, SemCodigo},
         QStringLiteral("imprimir --de DD/MM/AAAA --ate DD/MM/AAAA [--pdf ARQUIVO] [--situacao LISTA] [--protocolo P]\n"
                        "         [--sem-codigo]"),
         QStringLiteral("grava a listagem de dispensações em PDF"),
         QStringLiteral("imprimir grava a listagem de dispensações do período em PDF e escreve onde a gravou."),
         readImprimir},
        {CliVerb::Recuperar,
         QStringLiteral("recuperar"),
         {},
         QStringLiteral("recuperar"),
         QStringLiteral("resolve os lotes ainda \"Enviando\""),
         QStringLiteral("recuperar resolve os lotes deste banco ainda \"Enviando\" pela resposta guardada no log de\n"
                        "cada um e escreve uma linha por lote registrado; os lotes \"Sem resposta\" vão para a saída\n"
                        "de erros. Os comandos que gravam (transmitir, processamento, inconsistencia, verificar,\n"
                        "sincronizar) fazem o mesmo ao começar."),
         readRecuperar},
        {CliVerb::Liberar,
         QStringLiteral("liberar"),
         {},
         QStringLiteral("liberar PROTOCOLO"),
         QStringLiteral("libera para reenvio um lote \"Sem resposta\""),
         QStringLiteral("liberar PROTOCOLO libera para reenvio os registros do lote \"Sem resposta\" PROTOCOLO."),
         readLiberar},
        {CliVerb::Situacao, QStringLiteral("situacao"), QList<CliOption>{Ano, MesInicial, MesFinal, SemCodigo, Json},
         QStringLiteral("situacao [--ano AAAA | --de MM/AAAA --ate MM/AAAA] [--sem-codigo] [--json]"),
         QStringLiteral("conta os registros por mês e situação"),
         QStringLiteral("situacao conta os registros de cada tipo por mês e situação (padrão: os últimos 12 meses):\n"
                        "tipo, mes (MM/AAAA), situacao (vazia: nunca enviados) e quantidade, ou um objeto JSON com\n"
                        "--json."),
         readSituacao},
        {CliVerb::Sincronizar, QStringLiteral("sincronizar"),
         QList<CliOption>{Tipos, De, Ate, Dias, Lote, Verificacoes, JsonArquivo},
         QStringLiteral("sincronizar [--tipos LISTA] [--de DD/MM/AAAA --ate DD/MM/AAAA | --dias N]\n"
                        "            [--lote N] [--vezes N] [--json ARQUIVO]"),
         QStringLiteral("envia tudo o que falta e verifica os protocolos"),
         QStringLiteral("sincronizar envia tudo o que falta de cada tipo de --tipos em lotes de --lote registros, e\n"
                        "depois verifica --vezes vezes os protocolos da unidade ainda não finais. Período: --de e\n"
                        "--ate, ou os --dias N dias até ontem, ou (padrão) os meses que têm registros por enviar.\n"
                        "Escreve um resumo; --json grava o mesmo em JSON. Sai com 1 se um envio ou uma verificação\n"
                        "falhou, e também se outra sincronização do mesmo banco e unidade está em andamento."),
         readSincronizar},
        {CliVerb::Registros, QStringLiteral("registros"), QList<CliOption>{Limpar},
         QStringLiteral("registros [--limpar]"), QStringLiteral("mostra os registros do serviço guardados"),
         QStringLiteral("registros mostra quantos registros do serviço a pasta guarda, o tamanho, o mais antigo e o\n"
                        "mais recente, e o que DiasRegistros removeria; --limpar remove. Os comandos que gravam e a\n"
                        "janela removem o mesmo ao começar; os registros de lotes ainda sem resposta ficam."),
         readRegistros},
        {CliVerb::Pendencias, QStringLiteral("pendencias"),
         QList<CliOption>{MesInicial, MesFinal, TodasUnidades, Csv, Json},
         QStringLiteral("pendencias [--de MM/AAAA --ate MM/AAAA] [--todas-unidades] [--csv ARQUIVO] [--json]"),
         QStringLiteral("lista os registros que os envios recusariam"),
         QStringLiteral("pendencias lista, sem enviar nada, os registros por enviar que os envios recusariam,\n"
                        "agrupados pelo que corrigir no cadastro (pessoa, produto, lote, saída, valores ilegíveis),\n"
                        "de todos os meses com registros por enviar (ou de --de a --ate) da unidade (ou de todas,\n"
                        "--todas-unidades), e à parte, como aviso, os CNS que falham no dígito verificador. Escreve\n"
                        "as contagens por grupo e depois uma linha por registro, ou um objeto JSON com --json; --csv\n"
                        "grava a lista em CSV. Sai com 3 quando há registros pendentes (os avisos não contam), 0\n"
                        "quando não há."),
         readPendencias},
    };
    return verbs;
}

const CommonCliOptions &commonOptions()
{
    static const CommonCliOptions options = [] {
        CommonCliOptions common{
            {QStringLiteral("usuario"), QStringLiteral("NOME"), QStringLiteral("operador (obrigatório)")},
            {QStringLiteral("senha"), QStringLiteral("SENHA"),
             QStringLiteral("senha; sem ela, vale a variável TAVRO_SENHA")},
            {QStringLiteral("senha-arquivo"), QStringLiteral("ARQ"),
             QStringLiteral("lê a senha da primeira linha de ARQ, que só o dono pode ler")},
            {QStringLiteral("config"), QStringLiteral("ARQUIVO"), QStringLiteral("config.ini a ler"),
             QStringLiteral("config.ini ao lado do programa; não havendo,\n"
                            "/etc/tavro/config.ini e ~/.config/tavro/config.ini, cujas chaves prevalecem")},
            {QStringLiteral("unidade"), QStringLiteral("CÓDIGO"), QStringLiteral("código da unidade"),
             QStringLiteral("a unidade de CNESFARMACIA")},
            {QStringLiteral("onde"), QString(),
             QStringLiteral("mostra os arquivos de configuração e a pasta de dados")},
            {QStringLiteral("help"), QString(), QStringLiteral("mostra o uso (de um comando, depois dele)")},
            {QStringLiteral("version"), QString(), QStringLiteral("mostra a versão")},
            {}};
        common.all = {common.usuario, common.senha, common.senhaArquivo, common.config,
                      common.unidade, common.onde,  common.help,         common.version};
        return common;
    }();
    return options;
}

} // namespace tavro
