#pragma once

#include <QStringList>

namespace tavro {

// The service's enumerations. The C++ enumerators follow the literals, in the service's
// order: the first is the default of an unassigned field. The text of a value on the wire
// is `literalsOf<E>()[ordinal]`.
enum class idOrigem { M, E };
enum class coTipoEstabelecimento { A, R, F };
enum class idIdentificacao { CNES, CNPJ };
enum class situacao { S, N };
enum class situacaoProcessamento { AGUARDANDO, FINALIZADO, AGUARDANDO_REPROCESSAMENTO };
enum class SimNaoEnumType { S, N };
// The gaps (E002 to E016, E021, E024) are not codes of the catalogue.
enum class CodigoInconsistenciaType {
    E001,
    E017,
    E018,
    E019,
    E020,
    E022,
    E023,
    E025,
    E026,
    E027,
    E028,
    E029,
    E030,
    E031,
    E032,
    E033,
    E034,
    E035,
    E036,
    E037,
    E038,
    E039,
    E040,
    E041,
    E042,
    E043,
    E044,
    E045,
    E046,
    E047,
    E048,
    E049,
    E050,
    E051,
    E052,
    E053,
};

template <class E>
const QStringList &literalsOf();

template <>
const QStringList &literalsOf<idOrigem>();
template <>
const QStringList &literalsOf<coTipoEstabelecimento>();
template <>
const QStringList &literalsOf<idIdentificacao>();
template <>
const QStringList &literalsOf<situacao>();
template <>
const QStringList &literalsOf<situacaoProcessamento>();
template <>
const QStringList &literalsOf<SimNaoEnumType>();
template <>
const QStringList &literalsOf<CodigoInconsistenciaType>();

// The wire text of an enumeration value.
template <class E>
QString literal(E value)
{
    return literalsOf<E>().at(static_cast<int>(value));
}

} // namespace tavro
