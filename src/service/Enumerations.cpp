#include "service/Enumerations.h"

namespace tavro {

template <>
const QStringList &literalsOf<idOrigem>()
{
    static const QStringList literals{QStringLiteral("M"), QStringLiteral("E")};
    return literals;
}

template <>
const QStringList &literalsOf<coTipoEstabelecimento>()
{
    static const QStringList literals{QStringLiteral("A"), QStringLiteral("R"), QStringLiteral("F")};
    return literals;
}

template <>
const QStringList &literalsOf<idIdentificacao>()
{
    static const QStringList literals{QStringLiteral("CNES"), QStringLiteral("CNPJ")};
    return literals;
}

template <>
const QStringList &literalsOf<situacao>()
{
    static const QStringList literals{QStringLiteral("S"), QStringLiteral("N")};
    return literals;
}

template <>
const QStringList &literalsOf<situacaoProcessamento>()
{
    static const QStringList literals{QStringLiteral("AGUARDANDO"), QStringLiteral("FINALIZADO"),
                                      QStringLiteral("AGUARDANDO_REPROCESSAMENTO")};
    return literals;
}

template <>
const QStringList &literalsOf<SimNaoEnumType>()
{
    static const QStringList literals{QStringLiteral("S"), QStringLiteral("N")};
    return literals;
}

template <>
const QStringList &literalsOf<CodigoInconsistenciaType>()
{
    static const QStringList literals = [] {
        QStringList codes{QStringLiteral("E001"), QStringLiteral("E017"), QStringLiteral("E018"),
                          QStringLiteral("E019"), QStringLiteral("E020"), QStringLiteral("E022"),
                          QStringLiteral("E023")};
        for (int code = 25; code <= 53; ++code)
            codes << QStringLiteral("E0%1").arg(code);
        return codes;
    }();
    return literals;
}

} // namespace tavro
