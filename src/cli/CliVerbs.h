#pragma once

#include "cli/CliOptions.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

// One option of a verb and its meaning there; without a value name it is a switch. Its
// default is what the verb reads when the option is not given, as the help text says it.
struct CliOption
{
    QString name;
    QString valueName;
    QString help; // lines after the first are indented under it
    QString defaultValue{};

    bool takesValue() const { return !valueName.isEmpty(); }
    // The default as a whole number: what a number option is read as when not given.
    int defaultNumber() const { return defaultValue.toInt(); }
};

// The words and options one run gave its verb, each option checked against the verb's table.
struct CliArguments
{
    QStringList words; // after the verb
    QHash<QString, QString> values;

    bool isSet(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const { return values.value(name); }
};

// A verb of the command line: its options beyond the common ones, its synopsis (one line per
// form, a line that begins with a space going on with the one before), what it does (one line,
// then what more the help says of it), and how it reads its words and options into CliOptions
// (throwing Error on wrong usage). The usage texts are made from it.
struct CliVerbSpec
{
    CliVerb verb;
    QString name;
    QList<CliOption> options;
    QString usage;
    QString summary;
    QString notes;
    void (*read)(const CliArguments &arguments, CliOptions &options);

    const CliOption *option(const QString &optionName) const;
};

// Every verb, in the order of the usage text.
const QList<CliVerbSpec> &cliVerbs();

// The options of every verb, before or after it.
struct CommonCliOptions
{
    CliOption usuario, senha, senhaArquivo, config, unidade, onde, help, version;
    QList<CliOption> all; // the ones above, in the order of the usage text
};
const CommonCliOptions &commonOptions();

[[noreturn]] void usageError(const QString &reason);

} // namespace tavro
