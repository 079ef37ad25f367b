#include "cli/CliOptions.h"

#include "cli/SituacaoVerb.h"
#include "common/Error.h"

#include <QDate>

#include <QCommandLineParser>

#include <algorithm>

namespace tavro {

namespace {

const QString OptConfig = QStringLiteral("config");
const QString OptUsuario = QStringLiteral("usuario");
const QString OptSenha = QStringLiteral("senha");
const QString OptUnidade = QStringLiteral("unidade");
const QString OptDia = QStringLiteral("dia");
const QString OptDe = QStringLiteral("de");
const QString OptAte = QStringLiteral("ate");
const QString OptSituacao = QStringLiteral("situacao");
const QString OptProtocolo = QStringLiteral("protocolo");
const QString OptSemCodigo = QStringLiteral("sem-codigo");
const QString OptTodosCnes = QStringLiteral("todos-cnes");
const QString OptTipo = QStringLiteral("tipo");
const QString OptVezes = QStringLiteral("vezes");
const QString OptLote = QStringLiteral("lote");
const QString OptPdf = QStringLiteral("pdf");
const QString OptAno = QStringLiteral("ano");
const QString OptJson = QStringLiteral("json");
const QString OptTipos = QStringLiteral("tipos");
const QString OptDias = QStringLiteral("dias");
// sincronizar's "--json FILE", read under a name of its own: situacao's --json is a switch.
const QString OptJsonArquivo = QStringLiteral("json-arquivo");
const QString OptSenhaArquivo = QStringLiteral("senha-arquivo");
const QString OptHelp = QStringLiteral("help");
const QString OptOnde = QStringLiteral("onde");

[[noreturn]] void usageError(const QString &reason)
{
    throw Error(reason);
}

MovementKind movementKind(const QString &name)
{
    if (name == QLatin1String("estoque"))
        return MovementKind::Estoque;
    if (name == QLatin1String("entradas"))
        return MovementKind::Entradas;
    if (name == QLatin1String("saidas"))
        return MovementKind::Saidas;
    if (name == QLatin1String("dispensacoes"))
        return MovementKind::Dispensacoes;
    usageError(QStringLiteral("Lista desconhecida: %1").arg(name));
}

// An empty text unticks every box, which lists every record whatever its status.
StatusBoxes statusBoxes(const QString &text)
{
    StatusBoxes boxes{false, false, false, false, false};
    const QStringList names = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &raw : names) {
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

// The kind boxes of the protocol tab; an empty text unticks every box, which lists
// protocols of every kind.
void protocolKinds(const QString &text, ProtocolFilter &filter)
{
    filter.estoque = filter.entradas = filter.saidas = filter.dispensacoes = false;
    const QStringList names = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &raw : names) {
        const QString name = raw.trimmed();
        if (name == QLatin1String("estoque"))
            filter.estoque = true;
        else if (name == QLatin1String("entradas"))
            filter.entradas = true;
        else if (name == QLatin1String("saidas"))
            filter.saidas = true;
        else if (name == QLatin1String("dispensacoes"))
            filter.dispensacoes = true;
        else
            usageError(QStringLiteral("Tipo desconhecido em --tipo: %1").arg(name));
    }
}

ProtocolFilter protocolFilter(const QCommandLineParser &parser)
{
    ProtocolFilter filter;
    filter.todosCnes = parser.isSet(OptTodosCnes);
    if (parser.isSet(OptSituacao)) {
        const StatusBoxes boxes = statusBoxes(parser.value(OptSituacao));
        filter.aguardando = boxes.aguardando;
        filter.finalizados = boxes.finalizados;
        filter.inconsistencias = boxes.inconsistencias;
        filter.ok = boxes.ok;
        filter.okRetificado = boxes.okRetificado;
    }
    if (parser.isSet(OptTipo))
        protocolKinds(parser.value(OptTipo), filter);
    return filter;
}

void rejectOptions(const QCommandLineParser &parser, const QStringList &names, const QString &verb)
{
    for (const QString &name : names) {
        if (parser.isSet(name))
            usageError(QStringLiteral("A opção --%1 não se aplica a %2").arg(name, verb));
    }
}

int wholeNumber(const QCommandLineParser &parser, const QString &name, int fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok)
        usageError(QStringLiteral("--%1 exige um número inteiro").arg(name));
    return value;
}

TransmitKind transmitKind(const QString &name)
{
    if (name == QLatin1String("sem-cartao"))
        return TransmitKind::SemCartao;
    switch (movementKind(name)) {
    case MovementKind::Estoque:
        return TransmitKind::Estoque;
    case MovementKind::Entradas:
        return TransmitKind::Entradas;
    case MovementKind::Saidas:
        return TransmitKind::Saidas;
    case MovementKind::Dispensacoes:
        return TransmitKind::Dispensacoes;
    }
    Q_UNREACHABLE();
}

QString required(const QCommandLineParser &parser, const QString &name, const QString &verb)
{
    const QString value = parser.value(name);
    if (value.isEmpty())
        usageError(QStringLiteral("%1 exige --%2").arg(verb, name));
    return value;
}

QList<TransmitKind> transmitKinds(const QString &text)
{
    QList<TransmitKind> kinds;
    for (const QString &raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        const auto known = std::find_if(std::begin(AllTransmitKinds), std::end(AllTransmitKinds),
                                        [&](TransmitKind kind) { return transmitKindName(kind) == name; });
        if (known == std::end(AllTransmitKinds))
            usageError(QStringLiteral("Tipo desconhecido em --tipos: %1").arg(name));
        kinds.append(*known);
    }
    if (kinds.isEmpty())
        usageError(QStringLiteral("--tipos exige ao menos um tipo"));
    return kinds;
}

// sincronizar: the kinds, the period and the sizes.
void readSync(const QCommandLineParser &parser, CliOptions &options)
{
    const QString verb = QStringLiteral("sincronizar");
    rejectOptions(parser, {OptDia, OptSituacao, OptProtocolo, OptSemCodigo, OptTodosCnes, OptTipo, OptPdf}, verb);
    options.tipos = parser.isSet(OptTipos)
        ? transmitKinds(parser.value(OptTipos))
        : QList<TransmitKind>(std::begin(AllTransmitKinds), std::end(AllTransmitKinds));
    if (parser.isSet(OptDias)) {
        if (parser.isSet(OptDe) || parser.isSet(OptAte))
            usageError(QStringLiteral("Use --dias ou --de e --ate, não os dois"));
        options.dias = wholeNumber(parser, OptDias, 0);
        if (options.dias < 1)
            usageError(QStringLiteral("--dias exige um número positivo"));
    } else if (parser.isSet(OptDe) || parser.isSet(OptAte)) {
        options.dataInicial = required(parser, OptDe, verb);
        options.dataFinal = required(parser, OptAte, verb);
    }
    options.vezes = wholeNumber(parser, OptVezes, 3);
    options.lote = wholeNumber(parser, OptLote, 500);
    if (options.lote < 1)
        usageError(QStringLiteral("--lote exige um número positivo"));
    options.jsonPath = parser.value(OptJsonArquivo);
    if (parser.isSet(OptJsonArquivo) && options.jsonPath.isEmpty())
        usageError(QStringLiteral("--json exige o nome do arquivo"));
}

// The list's day or period and its filters, as `listar` reads them for options.kind.
void readListSearch(const QCommandLineParser &parser, CliOptions &options, const QString &what)
{
    if (options.kind == MovementKind::Estoque) {
        rejectOptions(parser, {OptDe, OptAte}, what);
        options.dia = required(parser, OptDia, what);
    } else {
        rejectOptions(parser, {OptDia}, what);
        options.dataInicial = required(parser, OptDe, what);
        options.dataFinal = required(parser, OptAte, what);
    }
    if (parser.isSet(OptSituacao))
        options.status = statusBoxes(parser.value(OptSituacao));
    options.protocolo = parser.value(OptProtocolo);
    options.semCodigo = parser.isSet(OptSemCodigo);
}

// One parser cannot read --json as situacao's switch and as sincronizar's file: under
// sincronizar it is read as OptJsonArquivo.
QStringList withSyncJsonOption(QStringList arguments)
{
    if (!arguments.contains(QLatin1String("sincronizar")))
        return arguments;
    for (QString &argument : arguments) {
        if (argument == QLatin1String("--json") || argument.startsWith(QLatin1String("--json=")))
            argument.replace(0, 6, QStringLiteral("--") + OptJsonArquivo);
    }
    return arguments;
}

} // namespace

CliOptions parseCliOptions(const QStringList &arguments, const QString &environmentPassword)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {OptConfig, QString(), QStringLiteral("path")},
        {OptUsuario, QString(), QStringLiteral("name")},
        {OptSenha, QString(), QStringLiteral("password")},
        {OptUnidade, QString(), QStringLiteral("code")},
        {OptDia, QString(), QStringLiteral("date")},
        {OptDe, QString(), QStringLiteral("date")},
        {OptAte, QString(), QStringLiteral("date")},
        {OptSituacao, QString(), QStringLiteral("list")},
        {OptProtocolo, QString(), QStringLiteral("protocol")},
        {OptSemCodigo, QString()},
        {OptTodosCnes, QString()},
        {OptTipo, QString(), QStringLiteral("list")},
        {OptVezes, QString(), QStringLiteral("n")},
        {OptLote, QString(), QStringLiteral("n")},
        {OptPdf, QString(), QStringLiteral("file")},
        {OptAno, QString(), QStringLiteral("year")},
        {OptJson, QString()},
        {OptTipos, QString(), QStringLiteral("list")},
        {OptDias, QString(), QStringLiteral("n")},
        {OptJsonArquivo, QString(), QStringLiteral("file")},
        {OptSenhaArquivo, QString(), QStringLiteral("file")},
        {QStringList{OptHelp, QStringLiteral("h")}, QString()},
        {OptOnde, QString()},
    });
    // QCommandLineParser skips the first argument as the program name.
    if (!parser.parse(QStringList{QStringLiteral("tavro-cli")} + withSyncJsonOption(arguments)))
        usageError(parser.errorText());

    CliOptions options;
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(OptHelp))
        return options;
    if (parser.isSet(OptOnde)) {
        if (!words.isEmpty())
            usageError(QStringLiteral("--onde não se combina com um comando"));
        options.verb = CliVerb::Onde;
        options.configPath = parser.value(OptConfig);
        return options;
    }
    if (words.isEmpty())
        usageError(QStringLiteral("Informe um comando"));

    const QString verb = words.first();
    if (verb == QLatin1String("listar")) {
        if (words.size() != 2)
            usageError(QStringLiteral("listar exige uma lista: estoque, entradas, saidas ou dispensacoes"));
        options.verb = CliVerb::Listar;
        options.kind = movementKind(words.at(1));
        const QString what = QStringLiteral("listar ") + words.at(1);
        rejectOptions(parser, {OptTodosCnes, OptTipo, OptVezes, OptLote, OptPdf}, what);
        readListSearch(parser, options, what);
    } else if (verb == QLatin1String("protocolos")) {
        if (words.size() != 1)
            usageError(QStringLiteral("protocolos não aceita argumentos além das opções"));
        options.verb = CliVerb::Protocolos;
        rejectOptions(parser, {OptDia, OptDe, OptAte, OptProtocolo, OptSemCodigo, OptVezes, OptLote, OptPdf}, verb);
        options.protocolFilter = protocolFilter(parser);
    } else if (verb == QLatin1String("processamento") || verb == QLatin1String("inconsistencia")) {
        if (words.size() != 2)
            usageError(QStringLiteral("%1 exige o número do protocolo").arg(verb));
        options.verb = verb == QLatin1String("processamento") ? CliVerb::Processamento : CliVerb::Inconsistencia;
        rejectOptions(parser, {OptDia, OptDe, OptAte, OptProtocolo, OptSemCodigo, OptVezes}, verb);
        options.protocolo = words.at(1);
        options.protocolFilter = protocolFilter(parser);
    } else if (verb == QLatin1String("verificar")) {
        if (words.size() != 1)
            usageError(QStringLiteral("verificar não aceita argumentos além das opções"));
        options.verb = CliVerb::Verificar;
        rejectOptions(parser, {OptDia, OptDe, OptAte, OptProtocolo, OptSemCodigo, OptLote, OptPdf}, verb);
        options.protocolFilter = protocolFilter(parser);
        options.vezes = wholeNumber(parser, OptVezes, options.vezes);
    } else if (verb == QLatin1String("transmitir")) {
        if (words.size() != 2)
            usageError(QStringLiteral("transmitir exige: estoque, entradas, saidas, dispensacoes ou sem-cartao"));
        options.verb = CliVerb::Transmitir;
        options.transmitKind = transmitKind(words.at(1));
        options.kind = options.transmitKind == TransmitKind::SemCartao ? MovementKind::Dispensacoes
                                                                       : movementKind(words.at(1));
        const QString what = QStringLiteral("transmitir ") + words.at(1);
        rejectOptions(parser, {OptTodosCnes, OptTipo, OptPdf}, what);
        readListSearch(parser, options, what);
        options.vezes = wholeNumber(parser, OptVezes, 10);
        options.lote = wholeNumber(parser, OptLote, 500);
    } else if (verb == QLatin1String("imprimir")) {
        if (words.size() != 1)
            usageError(QStringLiteral("imprimir não aceita argumentos além das opções"));
        options.verb = CliVerb::Imprimir;
        options.kind = MovementKind::Dispensacoes;
        rejectOptions(parser, {OptTodosCnes, OptTipo, OptVezes, OptLote, OptDia}, verb);
        options.dataInicial = required(parser, OptDe, verb);
        options.dataFinal = required(parser, OptAte, verb);
        options.pdfPath = parser.value(OptPdf);
        if (parser.isSet(OptSituacao))
            options.status = statusBoxes(parser.value(OptSituacao));
        options.protocolo = parser.value(OptProtocolo);
        options.semCodigo = parser.isSet(OptSemCodigo);
    } else if (verb == QLatin1String("recuperar")) {
        if (words.size() != 1)
            usageError(QStringLiteral("recuperar não aceita argumentos além das opções"));
        options.verb = CliVerb::Recuperar;
        rejectOptions(parser,
                      {OptDia, OptDe, OptAte, OptSituacao, OptProtocolo, OptSemCodigo, OptTodosCnes, OptTipo, OptVezes,
                       OptLote, OptPdf},
                      verb);
    } else if (verb == QLatin1String("situacao")) {
        if (words.size() != 1)
            usageError(QStringLiteral("situacao não aceita argumentos além das opções"));
        options.verb = CliVerb::Situacao;
        rejectOptions(parser, {OptDia, OptSituacao, OptProtocolo, OptTodosCnes, OptTipo, OptVezes, OptLote, OptPdf},
                      verb);
        options.overviewPeriod = situacaoPeriod(parser.value(OptAno), parser.value(OptDe), parser.value(OptAte),
                                                QDate::currentDate());
        options.semCodigo = parser.isSet(OptSemCodigo);
        options.json = parser.isSet(OptJson);
    } else if (verb == QLatin1String("sincronizar")) {
        if (words.size() != 1)
            usageError(QStringLiteral("sincronizar não aceita argumentos além das opções"));
        options.verb = CliVerb::Sincronizar;
        readSync(parser, options);
    } else {
        usageError(QStringLiteral("Comando desconhecido: %1").arg(verb));
    }
    if (options.verb != CliVerb::Situacao)
        rejectOptions(parser, {OptAno, OptJson}, verb);
    if (options.verb != CliVerb::Sincronizar)
        rejectOptions(parser, {OptTipos, OptDias, OptJsonArquivo}, verb);

    options.configPath = parser.value(OptConfig);
    options.unidade = parser.value(OptUnidade);
    options.usuario = parser.value(OptUsuario);
    options.senhaArquivo = parser.value(OptSenhaArquivo);
    if (parser.isSet(OptSenha) && parser.isSet(OptSenhaArquivo))
        usageError(QStringLiteral("Use --senha ou --senha-arquivo, não os dois"));
    if (parser.isSet(OptSenhaArquivo) && options.senhaArquivo.isEmpty())
        usageError(QStringLiteral("--senha-arquivo exige o nome do arquivo"));
    if (options.senhaArquivo.isEmpty())
        options.senha = parser.isSet(OptSenha) ? parser.value(OptSenha) : environmentPassword;
    if (options.usuario.isEmpty())
        usageError(QStringLiteral("Informe o usuário com --usuario"));
    if (options.senha.isEmpty() && options.senhaArquivo.isEmpty())
        usageError(QStringLiteral("Informe a senha na variável TAVRO_SENHA, com --senha ou com --senha-arquivo"));
    return options;
}

QString cliUsage()
{
    return QStringLiteral(
        "Uso:\n"
        "  tavro-cli [opções] listar estoque --dia DD/MM/AAAA\n"
        "  tavro-cli [opções] listar entradas|saidas|dispensacoes --de DD/MM/AAAA --ate DD/MM/AAAA\n"
        "  tavro-cli [opções] protocolos [FILTROS]\n"
        "  tavro-cli [opções] processamento PROTOCOLO [FILTROS]\n"
        "  tavro-cli [opções] inconsistencia PROTOCOLO [FILTROS]\n"
        "  tavro-cli [opções] verificar [--vezes N] [FILTROS]\n"
        "  tavro-cli [opções] transmitir estoque --dia DD/MM/AAAA [--vezes N] [--lote N] [--protocolo P]\n"
        "  tavro-cli [opções] transmitir entradas|saidas|dispensacoes|sem-cartao --de DD/MM/AAAA --ate DD/MM/AAAA\n"
        "                     [--vezes N] [--lote N] [--protocolo P]\n"
        "  tavro-cli [opções] imprimir --de DD/MM/AAAA --ate DD/MM/AAAA [--pdf ARQUIVO] [opções de listar]\n"
        "  tavro-cli [--config ARQUIVO] --onde\n"
        "  tavro-cli [opções] recuperar\n"
        "  tavro-cli [opções] situacao [--ano AAAA | --de MM/AAAA --ate MM/AAAA] [--sem-codigo] [--json]\n"
        "  tavro-cli [opções] sincronizar [--tipos LISTA] [--de DD/MM/AAAA --ate DD/MM/AAAA | --dias N]\n"
        "                     [--lote N] [--vezes N] [--json ARQUIVO]\n"
        "\n"
        "Opções comuns:\n"
        "  --usuario NOME       operador (obrigatório)\n"
        "  --senha SENHA        senha; sem ela, vale a variável TAVRO_SENHA\n"
        "  --senha-arquivo ARQ  lê a senha da primeira linha de ARQ, que só o dono pode ler\n"
        "  --config ARQUIVO     config.ini a ler (padrão: config.ini ao lado do programa; não havendo,\n"
        "                       /etc/tavro/config.ini e ~/.config/tavro/config.ini, cujas chaves prevalecem)\n"
        "  --unidade CÓDIGO     código da unidade (padrão: a unidade de CNESFARMACIA)\n"
        "\n"
        "Opções de listar:\n"
        "  --situacao LISTA     aguardando,finalizados,inconsistencias,ok,okretificado (padrão: todas)\n"
        "  --protocolo P        só os registros do protocolo P\n"
        "  --sem-codigo         inclui produtos sem código\n"
        "\n"
        "Filtros da lista de protocolos (processamento e inconsistencia só acham protocolos listados):\n"
        "  --todos-cnes         protocolos de todos os CNES, não só os da unidade\n"
        "  --situacao LISTA     aguardando,finalizados,inconsistencias,ok,okretificado (padrão: todas)\n"
        "  --tipo LISTA         estoque,entradas,saidas,dispensacoes (padrão: todos)\n"
        "\n"
        "processamento e inconsistencia verificam um protocolo; verificar percorre a lista N vezes\n"
        "(padrão 1). Escrevem as linhas de retorno do serviço e depois a lista de protocolos.\n"
        "\n"
        "transmitir repete até N vezes (padrão 10) lotes de até --lote registros (padrão 500), como o\n"
        "botão da aba; com --protocolo P reenvia os registros \"Ok\" do protocolo P. Escreve uma linha por\n"
        "execução e os dados do último protocolo; as mensagens da aba Erros vão para a saída de erros.\n"
        "Ctrl+C para transmitir e verificar depois do lote ou da verificação em curso; um segundo\n"
        "Ctrl+C encerra na hora. Num terminal, o andamento aparece na saída de erros.\n"
        "imprimir grava a listagem de dispensações do período em PDF (padrão: na pasta de documentos,\n"
        "Dispensacoes_CNES_INICIO_a_FIM.pdf) e escreve onde a gravou.\n"
        "--onde mostra os arquivos de configuração lidos, o que a janela grava e a pasta dos registros\n"
        "do serviço.\n"
        "recuperar registra os protocolos aceitos pelo serviço que ficaram só nos logs da pasta Tavro (uma\n"
        "execução interrompida antes de gravar) e escreve uma linha por protocolo recuperado; os comandos\n"
        "que gravam (transmitir, processamento, inconsistencia, verificar) fazem o mesmo ao começar.\n"
        "situacao conta os registros de cada tipo por mês e situação (padrão: os últimos 12 meses):\n"
        "tipo, mes (MM/AAAA), situacao (vazia: nunca enviados) e quantidade, ou um objeto JSON com --json.\n"
        "\n"
        "sincronizar envia tudo o que falta de cada tipo (--tipos, padrão:\n"
        "estoque,entradas,saidas,dispensacoes,sem-cartao) em lotes de --lote registros, e depois verifica\n"
        "--vezes vezes (padrão 3) os protocolos da unidade ainda não finais. Período: --de e --ate, ou os\n"
        "--dias N dias até ontem, ou (padrão) os meses que têm registros por enviar. Escreve um resumo;\n"
        "--json grava o mesmo em JSON. Sai com 1 se um envio ou uma verificação falhou, e também se outra\n"
        "sincronização do mesmo banco e unidade está em andamento.\n"
        "\n"
        "Saída: texto separado por tabulações, a primeira linha com os títulos das colunas.\n"
        "Código de saída: 0 sucesso, 1 falha (também de uma verificação), 2 uso incorreto.\n");
}

} // namespace tavro
