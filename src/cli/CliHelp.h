#pragma once

#include <QString>

namespace tavro {

struct CliVerbSpec;

// The usage texts, made from the table of verbs and options: the general one names every
// verb and option, and each verb's own is its part of the general one with the common options.
QString cliUsage();
QString verbUsage(const CliVerbSpec &verb);

} // namespace tavro
