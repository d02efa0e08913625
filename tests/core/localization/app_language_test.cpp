#include "localization/app_language.h"

#include <gtest/gtest.h>

#include <QProcessEnvironment>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string describe(std::optional<AppLanguage> language)
{
    return language ? language->rawValue().toStdString() : std::string("<none>");
}

TEST(AppLanguage, CasesAndRawValuesInDeclarationOrder)
{
    const QList<AppLanguage> cases = AppLanguage::allCases();
    const QStringList raw = {"system", "zh-Hans", "en", "fr", "de", "ja", "ru", "es"};
    ASSERT_EQ(cases.size(), raw.size());
    for (qsizetype i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].rawValue(), raw[i]);
        EXPECT_EQ(AppLanguage::fromRawValue(raw[i]), cases[i]);
        EXPECT_EQ(cases[i].isConcrete(), i != 0);
    }
    EXPECT_EQ(cases.first(), AppLanguage::system);
    EXPECT_EQ(cases.last(), AppLanguage::es);
}

TEST(AppLanguage, RawValuesAreExactAndCaseSensitive)
{
    for (const char *text : {"zh-hans", "EN", "auto", "", " en", "en ", "zh_Hans", "System", "en-GB"})
        EXPECT_EQ(describe(AppLanguage::fromRawValue(QString::fromUtf8(text))), "<none>") << text;
    // What the lenient reader accepts for some of them.
    EXPECT_EQ(describe(AppLanguage::parse(QStringLiteral("zh-hans"))), "zh-Hans");
    EXPECT_EQ(describe(AppLanguage::parse(QStringLiteral("EN"))), "en");
    EXPECT_EQ(describe(AppLanguage::parse(QStringLiteral("auto"))), "system");
}

struct ParseCase
{
    const char *name;
    std::optional<QString> text;
    std::optional<AppLanguage> expected;
};

class AppLanguageParseTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(AppLanguageParseTest, Reads)
{
    const ParseCase &c = GetParam();
    EXPECT_EQ(describe(AppLanguage::parse(c.text)), describe(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Values, AppLanguageParseTest,
    ::testing::Values(
        ParseCase{"Region", QStringLiteral("en-GB"), AppLanguage::en},
        ParseCase{"UpperCaseWithUnderscore", QStringLiteral("EN_us"), AppLanguage::en},
        ParseCase{"Bare", QStringLiteral("en"), AppLanguage::en},
        ParseCase{"NumericRegion", QStringLiteral("es-419"), AppLanguage::es},
        ParseCase{"Auto", QStringLiteral("Auto"), AppLanguage::system},
        ParseCase{"SystemWord", QStringLiteral("SYSTEM"), AppLanguage::system},
        ParseCase{"ChineseBare", QStringLiteral("zh"), AppLanguage::zhHans},
        ParseCase{"TraditionalTaiwan", QStringLiteral("zh-Hant-TW"), AppLanguage::zhHans},
        ParseCase{"HongKongUnderscore", QStringLiteral("zh_HK"), AppLanguage::zhHans},
        ParseCase{"LocaleStyle", QStringLiteral("de_AT"), AppLanguage::de},
        ParseCase{"Japanese", QStringLiteral("ja-JP"), AppLanguage::ja},
        ParseCase{"Russian", QStringLiteral("ru"), AppLanguage::ru},
        ParseCase{"TrimmedBlanksAndLineBreak", QStringLiteral("  fr-CA\n"), AppLanguage::fr},
        ParseCase{"TrimmedTab", QStringLiteral("\tsystem "), AppLanguage::system},
        ParseCase{"Portuguese", QStringLiteral("pt-BR"), std::nullopt},
        ParseCase{"EnglishWord", QStringLiteral("english"), std::nullopt},
        ParseCase{"PrefixWithoutDash", QStringLiteral("enx"), std::nullopt},
        ParseCase{"InnerBlank", QStringLiteral("e n"), std::nullopt},
        ParseCase{"Empty", QString(), std::nullopt},
        ParseCase{"BlanksOnly", QStringLiteral("   "), std::nullopt},
        ParseCase{"NoText", std::nullopt, std::nullopt}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

struct ResolveCase
{
    const char *name;
    QStringList preferred;
    AppLanguage expected;
};

class AppLanguageResolveTest : public ::testing::TestWithParam<ResolveCase>
{
};

TEST_P(AppLanguageResolveTest, PicksFirstConcreteMatch)
{
    const ResolveCase &c = GetParam();
    const AppLanguage resolved = AppLanguage::resolve(c.preferred);
    EXPECT_TRUE(resolved.isConcrete());
    EXPECT_EQ(resolved.rawValue().toStdString(), c.expected.rawValue().toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AppLanguageResolveTest,
    ::testing::Values(
        ResolveCase{"SkipsUnknown", {"pt-BR", "de-AT"}, AppLanguage::de},
        ResolveCase{"UnknownOnlyFallsBackToEnglish", {"pt-BR"}, AppLanguage::en},
        ResolveCase{"TraditionalChinese", {"zh-Hant-HK"}, AppLanguage::zhHans},
        ResolveCase{"EmptyList", {}, AppLanguage::en},
        ResolveCase{"SkipsSystemAndAuto", {"system", "auto", "fr"}, AppLanguage::fr},
        ResolveCase{"OnlySystemWords", {"system", "Auto"}, AppLanguage::en},
        ResolveCase{"FirstConcreteWins", {"ja_JP", "ru"}, AppLanguage::ja},
        ResolveCase{"EntriesAreNotTrimmed", {" fr", "es"}, AppLanguage::es}),
    [](const ::testing::TestParamInfo<ResolveCase> &info) { return std::string(info.param.name); });

struct LocaleCase
{
    const char *name;
    std::vector<std::pair<const char *, const char *>> environment;
    QStringList preferred;
    AppLanguage resolved;
};

class PreferredLanguagesTest : public ::testing::TestWithParam<LocaleCase>
{
};

TEST_P(PreferredLanguagesTest, FollowsGettextPrecedence)
{
    const LocaleCase &c = GetParam();
    QProcessEnvironment environment;
    for (const auto &[name, value] : c.environment)
        environment.insert(QString::fromLatin1(name), QString::fromUtf8(value));
    const QStringList preferred = AppLanguage::preferredLanguages(environment);
    EXPECT_EQ(preferred, c.preferred);
    EXPECT_EQ(AppLanguage::resolve(preferred).rawValue().toStdString(), c.resolved.rawValue().toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Environments, PreferredLanguagesTest,
    ::testing::Values(
        LocaleCase{"Nothing", {}, {}, AppLanguage::en},
        LocaleCase{"CodesetAndModifierStripped", {{"LANG", "de_AT.UTF-8@euro"}}, {"de_AT"}, AppLanguage::de},
        LocaleCase{"CLocale", {{"LANG", "C"}}, {}, AppLanguage::en},
        LocaleCase{"PosixLocale", {{"LANG", "POSIX"}}, {}, AppLanguage::en},
        LocaleCase{"CUtf8Locale", {{"LANG", "C.UTF-8"}}, {}, AppLanguage::en},
        LocaleCase{"LanguageListFirst", {{"LANGUAGE", "pt_BR:fr_CA"}, {"LANG", "en_US.UTF-8"}}, {"pt_BR", "fr_CA", "en_US"}, AppLanguage::fr},
        LocaleCase{"LanguageListIgnoredUnderC", {{"LANGUAGE", "fr"}, {"LANG", "C"}}, {}, AppLanguage::en},
        LocaleCase{"LanguageListIgnoredWithoutLocale", {{"LANGUAGE", "fr"}}, {}, AppLanguage::en},
        LocaleCase{"LanguageListEmptyEntries", {{"LANGUAGE", ":de::ja.UTF-8:"}, {"LANG", "en_US"}}, {"de", "ja", "en_US"}, AppLanguage::de},
        LocaleCase{"LcAllWins", {{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "ru_RU"}, {"LANG", "de_DE"}}, {"ja_JP"}, AppLanguage::ja},
        LocaleCase{"LcAllCWinsOverLanguage", {{"LC_ALL", "C"}, {"LANGUAGE", "de"}, {"LANG", "de_DE"}}, {}, AppLanguage::en},
        LocaleCase{"LcMessagesBeforeLang", {{"LC_MESSAGES", "ru_RU.KOI8-R"}, {"LANG", "de_DE"}}, {"ru_RU"}, AppLanguage::ru},
        LocaleCase{"EmptyLcAllCountsAsUnset", {{"LC_ALL", ""}, {"LC_MESSAGES", "es_ES"}, {"LANG", "de_DE"}}, {"es_ES"}, AppLanguage::es},
        LocaleCase{"UnsupportedLocaleFallsBack", {{"LANG", "pt_BR.UTF-8"}}, {"pt_BR"}, AppLanguage::en},
        LocaleCase{"ChineseLocale", {{"LANG", "zh_TW.Big5"}}, {"zh_TW"}, AppLanguage::zhHans}),
    [](const ::testing::TestParamInfo<LocaleCase> &info) { return std::string(info.param.name); });

} // namespace
