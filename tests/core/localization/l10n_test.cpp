#include "localization/l10n.h"

#include <gtest/gtest.h>

TEST(L10n, LooksUpTranslations)
{
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(L("取消"), QStringLiteral("取消"));
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(L("取消"), QStringLiteral("Cancel"));
    L10n::setForTesting(AppLanguage::zhHans);
}
