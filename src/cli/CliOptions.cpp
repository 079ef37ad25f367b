#include "cli/CliOptions.h"

#include "cli/CliVerbs.h"

namespace tavro {

namespace {

const QString OptHelp = QStringLiteral("help");
const QString OptVersion = QStringLiteral("version");
const QString OptOnde = QStringLiteral("onde");
const QString OptSenha = QStringLiteral("senha");
const QString OptSenhaArquivo = QStringLiteral("senha-arquivo");

// The options of every verb, before or after it.
const QList<CliOption> &commonOptions()
{
    static const QList<CliOption> options{
        {QStringLiteral("usuario"), QStringLiteral("NOME"), QStringLiteral("operador (obrigatório)")},
        {OptSenha, QStringLiteral("SENHA"), QStringLiteral("senha; sem ela, vale a variável TAVRO_SENHA")},
        {OptSenhaArquivo, QStringLiteral("ARQ"), QStringLiteral("lê a senha da primeira linha de ARQ")},
        {QStringLiteral("config"), QStringLiteral("ARQUIVO"), QStringLiteral("config.ini a ler")},
        {QStringLiteral("unidade"), QStringLiteral("CÓDIGO"), QStringLiteral("código da unidade")},
        {OptOnde, QString(), QStringLiteral("mostra os arquivos de configuração e a pasta de dados")},
        {OptHelp, QString(), QStringLiteral("mostra o uso (de um comando, depois dele)")},
        {OptVersion, QString(), QStringLiteral("mostra a versão")},
    };
    return options;
}

const CliOption *findOption(const QList<CliOption> &options, const QString &name)
{
    for (const CliOption &option : options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

// Some verb's option of that name; when verbs disagree on whether it takes a value (as
// situacao's --json switch and sincronizar's --json file), none: only the verb can tell.
const CliOption *anyVerbOption(const QString &name, bool &known)
{
    const CliOption *found = nullptr;
    known = false;
    for (const CliVerbSpec &verb : cliVerbs()) {
        const CliOption *option = verb.option(name);
        if (!option)
            continue;
        if (known && found && found->takesValue() != option->takesValue())
            return nullptr;
        known = true;
        found = option;
    }
    return found;
}

const CliVerbSpec *findVerb(const QString &name)
{
    for (const CliVerbSpec &verb : cliVerbs()) {
        if (verb.name == name)
            return &verb;
    }
    usageError(QStringLiteral("Comando desconhecido: %1").arg(name));
}

QString optionLines(const QList<CliOption> &options)
{
    QString text;
    for (const CliOption &option : options) {
        const QString head = QStringLiteral("  --") + option.name
            + (option.takesValue() ? QLatin1Char(' ') + option.valueName : QString());
        text += head.leftJustified(22) + QLatin1Char(' ') + option.help + QLatin1Char('\n');
    }
    return text;
}

QString verbUsage(const CliVerbSpec &verb)
{
    QString text = QStringLiteral("Uso:\n");
    const QString program = QStringLiteral("  tavro-cli [opções] ");
    for (const QString &line : verb.usage.split(QLatin1Char('\n')))
        text += (line.startsWith(QLatin1Char(' ')) ? QString(program.size(), QLatin1Char(' ')) : program) + line
            + QLatin1Char('\n');
    if (!verb.options.isEmpty())
        text += QStringLiteral("\nOpções de %1:\n").arg(verb.name) + optionLines(verb.options);
    return text + QStringLiteral("\nOpções comuns:\n") + optionLines(commonOptions());
}

// The options and words as written: the first word is the verb, whose table says which
// options it takes and whether each takes a value. An option of a verb may come before
// the verb when every verb that has it reads it the same way.
struct ReadArguments
{
    const CliVerbSpec *verb = nullptr;
    QHash<QString, QString> common;
    CliArguments verbArguments;
};

ReadArguments readArguments(const QStringList &arguments)
{
    ReadArguments read;
    QList<std::pair<QString, QString>> early; // verb options given before the verb
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument.size() == 1) {
            if (read.verb)
                read.verbArguments.words.append(argument);
            else
                read.verb = findVerb(argument);
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (name == QLatin1String("h"))
            name = OptHelp;
        const CliOption *option = findOption(commonOptions(), name);
        const bool common = option != nullptr;
        bool known = common;
        if (!option && read.verb)
            option = read.verb->option(name);
        else if (!option)
            option = anyVerbOption(name, known);
        if (!option) {
            bool elsewhere = false;
            anyVerbOption(name, elsewhere);
            if (!elsewhere)
                usageError(QStringLiteral("Opção desconhecida: --%1").arg(name));
            if (!read.verb)
                usageError(QStringLiteral("A opção --%1 vem depois do comando").arg(name));
            usageError(QStringLiteral("A opção --%1 não se aplica a %2").arg(name, read.verb->name));
        }
        if (!option->takesValue() && value)
            usageError(QStringLiteral("A opção --%1 não leva valor").arg(name));
        if (option->takesValue() && !value) {
            if (i + 1 == arguments.size())
                usageError(QStringLiteral("Falta o valor da opção --%1 (%2)").arg(name, option->valueName));
            value = arguments.at(++i);
        }
        if (common)
            read.common.insert(name, value.value_or(QString()));
        else if (read.verb)
            read.verbArguments.values.insert(name, value.value_or(QString()));
        else
            early.append({name, value.value_or(QString())});
    }
    if (!read.verb)
        return read;
    for (const auto &[name, value] : early) {
        if (!read.verb->option(name))
            usageError(QStringLiteral("A opção --%1 não se aplica a %2").arg(name, read.verb->name));
        if (!read.verbArguments.isSet(name))
            read.verbArguments.values.insert(name, value);
    }
    return read;
}

} // namespace

CliOptions parseCliOptions(const QStringList &arguments, const QString &environmentPassword)
{
    const ReadArguments read = readArguments(arguments);
    CliOptions options;
    if (read.common.contains(OptHelp)) {
        options.helpText = read.verb ? verbUsage(*read.verb) : cliUsage();
        return options;
    }
    if (read.common.contains(OptVersion)) {
        options.verb = CliVerb::Version;
        return options;
    }
    options.configPath = read.common.value(QStringLiteral("config"));
    if (read.common.contains(OptOnde)) {
        if (read.verb)
            usageError(QStringLiteral("--onde não se combina com um comando"));
        options.verb = CliVerb::Onde;
        return options;
    }
    if (!read.verb)
        usageError(QStringLiteral("Informe um comando"));
    options.verb = read.verb->verb;
    read.verb->read(read.verbArguments, options);

    options.unidade = read.common.value(QStringLiteral("unidade"));
    options.usuario = read.common.value(QStringLiteral("usuario"));
    options.senhaArquivo = read.common.value(OptSenhaArquivo);
    if (read.common.contains(OptSenha) && read.common.contains(OptSenhaArquivo))
        usageError(QStringLiteral("Use --senha ou --senha-arquivo, não os dois"));
    if (read.common.contains(OptSenhaArquivo) && options.senhaArquivo.isEmpty())
        usageError(QStringLiteral("--senha-arquivo exige o nome do arquivo"));
    if (options.senhaArquivo.isEmpty())
        options.senha = read.common.contains(OptSenha) ? read.common.value(OptSenha) : environmentPassword;
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
        "  tavro-cli [COMANDO] --help           o uso de um comando, com as suas opções\n"
        "  tavro-cli --version\n"
        "  tavro-cli [opções] recuperar\n"
        "  tavro-cli [opções] liberar PROTOCOLO\n"
        "  tavro-cli [opções] situacao [--ano AAAA | --de MM/AAAA --ate MM/AAAA] [--sem-codigo] [--json]\n"
        "  tavro-cli [opções] sincronizar [--tipos LISTA] [--de DD/MM/AAAA --ate DD/MM/AAAA | --dias N]\n"
        "                     [--lote N] [--vezes N] [--json ARQUIVO]\n"
        "  tavro-cli [opções] registros [--limpar]\n"
        "  tavro-cli [opções] pendencias [--de MM/AAAA --ate MM/AAAA] [--todas-unidades] [--csv ARQUIVO] [--json]\n"
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
        "--onde mostra os arquivos de configuração lidos, o que a janela grava, a pasta de dados (e por\n"
        "que ela: chave PastaDados, ao lado do programa, compartilhada ou pessoal) e a pasta dos\n"
        "registros do serviço.\n"
        "registros mostra quantos registros do serviço a pasta guarda, o tamanho, o mais antigo e o mais\n"
        "recente, e o que DiasRegistros removeria; --limpar remove. Os comandos que gravam e a janela\n"
        "removem o mesmo ao começar; os registros de lotes ainda sem resposta ficam.\n"
        "recuperar resolve os lotes deste banco ainda \"Enviando\" pela resposta guardada no log de cada\n"
        "um e escreve uma linha por lote registrado; os lotes \"Sem resposta\" vão para a saída de erros.\n"
        "Os comandos que gravam (transmitir, processamento, inconsistencia, verificar, sincronizar) fazem\n"
        "o mesmo ao começar.\n"
        "liberar PROTOCOLO libera para reenvio os registros do lote \"Sem resposta\" PROTOCOLO.\n"
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
        "pendencias lista, sem enviar nada, os registros por enviar que os envios recusariam, agrupados\n"
        "pelo que corrigir no cadastro (pessoa, produto, lote, saída, valores ilegíveis), de todos os\n"
        "meses com registros por enviar (ou de --de a --ate) da unidade (ou de todas, --todas-unidades),\n"
        "e à parte, como aviso, os CNS que falham no dígito verificador. Escreve as contagens por grupo e\n"
        "depois uma linha por registro, ou um objeto JSON com --json; --csv grava a lista em CSV. Sai com\n"
        "3 quando há registros pendentes (os avisos não contam), 0 quando não há.\n"
        "\n"
        "Saída: texto separado por tabulações, a primeira linha com os títulos das colunas.\n"
        "Código de saída: 0 sucesso, 1 falha (também de uma verificação), 2 uso incorreto,\n"
        "3 pendências de cadastro (pendencias).\n");
}

} // namespace tavro
