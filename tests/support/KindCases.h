#pragma once

#include "lists/ListKinds.h"
#include "transmission/TransmissionKind.h"
#include "transmission/TransmissionKinds.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace tavro::test {

// The five kinds a transmission suite runs each case over: the list a kind sends from, the send
// that sends it, its transmitter and the table its records live in.
struct KindCase
{
    std::string id; // the case's name in a parameterised test's name
    QString name;   // as a failure names it
    MovementKind list;
    TransmitKind kind;
    std::function<std::unique_ptr<TransmissionKind>()> make;
    QString table;
};

const QList<KindCase> &kindCases();
// The case whose id is `id` ("Estoque", "Entrada", "Saida", "Dispensacao", "DispensacaoSemCartao").
const KindCase &kindCase(std::string_view id);

inline void PrintTo(const KindCase &kind, std::ostream *os)
{
    *os << kind.id;
}

} // namespace tavro::test
