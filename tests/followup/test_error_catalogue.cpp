#include "followup/ErrorCatalogue.h"

#include <gtest/gtest.h>

using namespace tavro;

TEST(ErrorCatalogue, OrdinalsMapToTheCodesWithTheirGaps)
{
    const char *const codes[] = {"E001", "E017", "E018", "E019", "E020", "E022", "E023", "E025", "E026",
                                 "E027", "E028", "E029", "E030", "E031", "E032", "E033", "E034", "E035",
                                 "E036", "E037", "E038", "E039", "E040", "E041", "E042", "E043", "E044",
                                 "E045", "E046", "E047", "E048", "E049", "E050", "E051", "E052", "E053"};
    for (int ordinal = 0; ordinal < 36; ++ordinal) {
        EXPECT_EQ(retornaerro(static_cast<CodigoInconsistenciaType>(ordinal)), QString::fromUtf8(codes[ordinal]))
            << ordinal;
    }
    for (const int ordinal : {36, 200, -1})
        EXPECT_EQ(retornaerro(static_cast<CodigoInconsistenciaType>(ordinal)), QString()) << ordinal;
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
    const QString message = QStringLiteral("O registro já está cadastrado na base de dados definitiva");
    EXPECT_TRUE(isDuplicate(QStringLiteral("E025"), message));
    EXPECT_FALSE(isDuplicate(QStringLiteral("E025"), QStringLiteral("O registro já está cadastrado na base de dados")));
    EXPECT_FALSE(isDuplicate(QStringLiteral("E025"), message.toLower()));
    EXPECT_FALSE(isDuplicate(QStringLiteral("E025"), message + QLatin1Char(' ')));
    EXPECT_FALSE(isDuplicate(QStringLiteral("E026"), message));
    EXPECT_FALSE(isDuplicate(QString(), message));
}
