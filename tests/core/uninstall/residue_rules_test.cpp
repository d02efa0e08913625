#include "uninstall/residue_rules.h"

#include <gtest/gtest.h>

namespace {

struct PrivacyRow
{
    const char *label;
    const char *name;
    bool isProtected;
};

class PrivacyProtection : public testing::TestWithParam<PrivacyRow>
{
};

TEST_P(PrivacyProtection, FollowsNamesCompactFormsAndVendorKeywords)
{
    EXPECT_EQ(ResidueRules::isPrivacyProtected(QString::fromUtf8(GetParam().name)), GetParam().isProtected);
}

INSTANTIATE_TEST_SUITE_P(Names, PrivacyProtection,
                         testing::Values(PrivacyRow{"camel_case", "AddressBook", true},
                                         PrivacyRow{"with_space", "Address Book", true},
                                         PrivacyRow{"with_underscore", "address_book", true},
                                         PrivacyRow{"hyphen_compacted", "Call-History_DB", true},
                                         PrivacyRow{"tcc_by_name", "com.apple.TCC", true},
                                         PrivacyRow{"vendor_keyword", "com.apple.Safari", true},
                                         PrivacyRow{"group_vendor_keyword", "group.com.apple.notes.shared", true},
                                         PrivacyRow{"hyphen_not_compacted_for_keywords", "com.apple.call-history", false},
                                         PrivacyRow{"keyword_inside_word", "com.apple.email.helper", true},
                                         PrivacyRow{"no_vendor_prefix", "mailchimp", false},
                                         PrivacyRow{"no_whole_name", "Photos Library Helper", false},
                                         PrivacyRow{"whitespace_only", "  \n ", false}),
                         [](const testing::TestParamInfo<PrivacyRow> &info) { return std::string(info.param.label); });

TEST(ResidueRules, EveryRuleFolderIsScannedAndStemsDropOneKnownEnding)
{
    ASSERT_EQ(ResidueRules::rules().size(), 15);
    for (const ResidueRules::Rule &rule : ResidueRules::rules())
        EXPECT_FALSE(ResidueRules::isPrivacyProtected(rule.directory.section(QLatin1Char('/'), -1))) << rule.directory.toStdString();
    EXPECT_EQ(ResidueRules::stem(QStringLiteral("com.example.editor.plist")), QStringLiteral("com.example.editor"));
    EXPECT_EQ(ResidueRules::stem(QStringLiteral("x.log.txt")), QStringLiteral("x.log"));
    EXPECT_EQ(ResidueRules::stem(QStringLiteral("folder")), QStringLiteral("folder"));
    EXPECT_EQ(ResidueRules::genericNames().size(), 59);
}

} // namespace
