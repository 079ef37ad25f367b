#include "cli/CliOptions.h"

#include "cli/CliHelp.h"
#include "cli/CliVerbs.h"

namespace tavro {

namespace {

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
            name = commonOptions().help.name;
        const CliOption *option = findOption(commonOptions().all, name);
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
    const CommonCliOptions &common = commonOptions();
    const ReadArguments read = readArguments(arguments);
    CliOptions options;
    if (read.common.contains(common.help.name)) {
        options.helpText = read.verb ? verbUsage(*read.verb) : cliUsage();
        return options;
    }
    if (read.common.contains(common.version.name)) {
        options.verb = CliVerb::Version;
        return options;
    }
    options.configPath = read.common.value(common.config.name);
    if (read.common.contains(common.onde.name)) {
        if (read.verb)
            usageError(QStringLiteral("--onde não se combina com um comando"));
        options.verb = CliVerb::Onde;
        return options;
    }
    if (!read.verb)
        usageError(QStringLiteral("Informe um comando"));
    options.verb = read.verb->verb;
    read.verb->read(read.verbArguments, options);

    options.unidade = read.common.value(common.unidade.name);
    options.usuario = read.common.value(common.usuario.name);
    options.senhaArquivo = read.common.value(common.senhaArquivo.name);
    const bool senha = read.common.contains(common.senha.name);
    if (senha && read.common.contains(common.senhaArquivo.name))
        usageError(QStringLiteral("Use --senha ou --senha-arquivo, não os dois"));
    if (read.common.contains(common.senhaArquivo.name) && options.senhaArquivo.isEmpty())
        usageError(QStringLiteral("--senha-arquivo exige o nome do arquivo"));
    if (options.senhaArquivo.isEmpty())
        options.senha = senha ? read.common.value(common.senha.name) : environmentPassword;
    if (options.usuario.isEmpty())
        usageError(QStringLiteral("Informe o usuário com --usuario"));
    if (options.senha.isEmpty() && options.senhaArquivo.isEmpty())
        usageError(QStringLiteral("Informe a senha na variável TAVRO_SENHA, com --senha ou com --senha-arquivo"));
    return options;
}

} // namespace tavro
