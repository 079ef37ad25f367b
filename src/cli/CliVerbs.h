#pragma once

#include "cli/CliOptions.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

// One option of a verb and its meaning there; without a value name it is a switch.
struct CliOption
{
    QString name;
    QString valueName;
    QString help;

    bool takesValue() const { return !valueName.isEmpty(); }
};

// The words and options one run gave its verb, each option checked against the verb's table.
struct CliArguments
{
    QStringList words; // after the verb
    QHash<QString, QString> values;

    bool isSet(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const { return values.value(name); }
};

// A verb of the command line: its options beyond the common ones, its synopsis, and how
// it reads its words and options into CliOptions (throwing Error on wrong usage).
struct CliVerbSpec
{
    CliVerb verb;
    QString name;
    QList<CliOption> options;
    QString usage;
    void (*read)(const CliArguments &arguments, CliOptions &options);

    const CliOption *option(const QString &optionName) const;
};

// Every verb, in the order of the usage text.
const QList<CliVerbSpec> &cliVerbs();

[[noreturn]] void usageError(const QString &reason);

} // namespace tavro
