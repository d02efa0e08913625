#include "policy/uninstall_eligibility.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const AppItem kUserApp("com.example.notes", "Notes", "/Applications/Notes.app");
const AppItem kSystemApp("com.apple.Safari", "Safari", "/System/Applications/Safari.app", true);

TEST(UninstallEligibilityTest, SingleEntries)
{
    EXPECT_TRUE(UninstallEligibility::canUninstall(false, kUserApp));
    EXPECT_FALSE(UninstallEligibility::canUninstall(false, kSystemApp));
    EXPECT_FALSE(UninstallEligibility::canUninstall(false, std::nullopt)) << "unknown application";
    EXPECT_FALSE(UninstallEligibility::canUninstall(true, kUserApp)) << "a folder is never uninstalled";
}

struct SelectionCase
{
    const char *name;
    QList<std::optional<AppItem>> apps;
    bool expected;
};

class UninstallEligibilitySelectionTest : public ::testing::TestWithParam<SelectionCase>
{
};

TEST_P(UninstallEligibilitySelectionTest, AllMustQualify)
{
    EXPECT_EQ(UninstallEligibility::canUninstallAll(GetParam().apps), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UninstallEligibilitySelectionTest,
    ::testing::Values(SelectionCase{"Empty", {}, false},
                      SelectionCase{"OneUserApp", {kUserApp}, true},
                      SelectionCase{"OneSystemApp", {kSystemApp}, false},
                      SelectionCase{"TwoUserApps", {kUserApp, AppItem("", "Tool", "/Applications/Tool.app")}, true},
                      SelectionCase{"OneMissing", {kUserApp, std::nullopt}, false},
                      SelectionCase{"MixedWithSystem", {kUserApp, kSystemApp}, false}),
    [](const ::testing::TestParamInfo<SelectionCase> &info) { return std::string(info.param.name); });

} // namespace
