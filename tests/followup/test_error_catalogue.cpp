#include "followup/ErrorCatalogue.h"

#include <gtest/gtest.h>

using namespace tavro;

TEST(ErrorCatalogue, OrdinalsMapToTheCodesWithTheirGaps)
{
    const std::pair<int, const char *> cases[] = {{0, "E001"}, {1, "E017"}, {5, "E022"}, {6, "E023"}, {7, "E025"},
                                                  {8, "E026"}, {35, "E053"}, {36, ""}, {200, ""}, {-1, ""}};
    for (const auto &[ordinal, code] : cases)
        EXPECT_EQ(retornaerro(static_cast<CodigoInconsistenciaType>(ordinal)), QString::fromUtf8(code)) << ordinal;
}

TEST(ErrorCatalogue, ReceivedCodesReadThroughTheCatalogue)
{
    const std::pair<std::optional<QString>, QString> cases[] = {
        {QStringLiteral("E025"), QStringLiteral("E025")},
        {QStringLiteral("e053"), QStringLiteral("E053")},
        {QString(), QStringLiteral("E001")}, // an empty element, as for any enumeration
        {QStringLiteral("E002"), QStringLiteral("Erro não catalogado: E002")},
        {QStringLiteral("E099"), QStringLiteral("Erro não catalogado: E099")},
        {std::nullopt, QString()},
    };
    for (const auto &[received, shown] : cases)
        EXPECT_EQ(codigoErro(received), shown) << received.value_or(QStringLiteral("(absent)")).toStdString();
    EXPECT_FALSE(isDuplicate(codigoErro(QStringLiteral("E999")), DuplicateMessage));
}

TEST(ErrorCatalogue, DuplicateNeedsTheExactCodeAndMessage)
{
    EXPECT_TRUE(isDuplicate("E025", DuplicateMessage));
    EXPECT_FALSE(isDuplicate("E025", "O registro já está cadastrado na base de dados"));
    EXPECT_FALSE(isDuplicate("E025", DuplicateMessage.toLower()));
    EXPECT_FALSE(isDuplicate("E026", DuplicateMessage));
    EXPECT_FALSE(isDuplicate("", DuplicateMessage));
}
