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

TEST(ErrorCatalogue, DuplicateNeedsTheExactCodeAndMessage)
{
    EXPECT_TRUE(isDuplicate("E025", DuplicateMessage));
    EXPECT_FALSE(isDuplicate("E025", "O registro já está cadastrado na base de dados"));
    EXPECT_FALSE(isDuplicate("E025", DuplicateMessage.toLower()));
    EXPECT_FALSE(isDuplicate("E026", DuplicateMessage));
    EXPECT_FALSE(isDuplicate("", DuplicateMessage));
}
