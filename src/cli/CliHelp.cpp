#include "cli/CliHelp.h"

#include "cli/CliVerbs.h"

namespace tavro {

namespace {

const QString Program = QStringLiteral("  tavro-cli [opções] ");
// Where the meaning of an option begins on its line.
constexpr int HelpColumn = 23;

QString defaultText(const CliOption &option)
{
    if (option.defaultValue.isEmpty())
        return QString();
    bool number = false;
    option.defaultValue.toInt(&number);
    return number ? QStringLiteral(" (padrão %1)").arg(option.defaultValue)
                  : QStringLiteral(" (padrão: %1)").arg(option.defaultValue);
}

QString optionLines(const QList<CliOption> &options)
{
    QString text;
    for (const CliOption &option : options) {
        const QString head = QStringLiteral("  --") + option.name
            + (option.takesValue() ? QLatin1Char(' ') + option.valueName : QString());
        const QStringList lines = QString(option.help + defaultText(option)).split(QLatin1Char('\n'));
        text += head.leftJustified(HelpColumn - 1) + QLatin1Char(' ') + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(HelpColumn, QLatin1Char(' ')) + lines.at(i) + QLatin1Char('\n');
    }
    return text;
}

QString commonPart()
{
    return QStringLiteral("Opções comuns:\n") + optionLines(commonOptions().all);
}

// A verb's synopsis, what it does and its options.
QString verbPart(const CliVerbSpec &verb)
{
    QString text;
    for (const QString &line : verb.usage.split(QLatin1Char('\n')))
        text += (line.startsWith(QLatin1Char(' ')) ? QString(Program.size(), QLatin1Char(' ')) : Program) + line
            + QLatin1Char('\n');
    text += QLatin1Char('\n') + verb.notes + QLatin1Char('\n');
    if (!verb.options.isEmpty())
        text += QStringLiteral("\nOpções de %1:\n").arg(verb.name) + optionLines(verb.options);
    return text;
}

} // namespace

QString cliUsage()
{
    QString text = QStringLiteral("Uso:\n"
                                  "  tavro-cli [opções] COMANDO [opções do comando]\n"
                                  "  tavro-cli [COMANDO] --help           o uso de um comando, com as suas opções\n"
                                  "  tavro-cli [--config ARQUIVO] --onde\n"
                                  "  tavro-cli --version\n"
                                  "\n"
                                  "Comandos:\n");
    for (const CliVerbSpec &verb : cliVerbs())
        text += QStringLiteral("  ") + verb.name.leftJustified(HelpColumn - 3) + QLatin1Char(' ') + verb.summary
            + QLatin1Char('\n');
    text += QLatin1Char('\n') + commonPart();
    for (const CliVerbSpec &verb : cliVerbs())
        text += QLatin1Char('\n') + verbPart(verb);
    return text
        + QStringLiteral(
               "\n"
               "--onde mostra os arquivos de configuração lidos, o que a janela grava, a pasta de dados (e por\n"
               "que ela: chave PastaDados, ao lado do programa, compartilhada ou pessoal) e a pasta dos\n"
               "registros do serviço.\n"
               "Ctrl+C para transmitir e verificar depois do lote ou da verificação em curso; um segundo\n"
               "Ctrl+C encerra na hora. Num terminal, o andamento aparece na saída de erros.\n"
               "\n"
               "Saída: texto separado por tabulações, a primeira linha com os títulos das colunas.\n"
               "Código de saída: 0 sucesso, 1 falha (também de uma verificação), 2 uso incorreto,\n"
               "3 pendências de cadastro (pendencias).\n");
}

QString verbUsage(const CliVerbSpec &verb)
{
    return QStringLiteral("Uso:\n") + verbPart(verb) + QLatin1Char('\n') + commonPart();
}

} // namespace tavro
