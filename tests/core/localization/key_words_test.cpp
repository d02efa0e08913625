#include "localization/key_words.h"
#include "localization/l10n.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct KeyWordsCase
{
    const char *name;
    const char *text;
    const char *shown;
};

void PrintTo(const KeyWordsCase &row, std::ostream *out)
{
    *out << row.name;
}

class KeyWordsTest : public ::testing::TestWithParam<KeyWordsCase>
{
};

TEST_P(KeyWordsTest, ShowsTheLinuxWords)
{
    EXPECT_EQ(KeyWords::forDisplay(QString::fromUtf8(GetParam().text)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, KeyWordsTest,
    ::testing::Values(
        KeyWordsCase{"OptionSpace", "⌥ Space", "Alt+Space"},
        KeyWordsCase{"ControlSpace", "⌃ Space", "Ctrl+Space"},
        KeyWordsCase{"CommandShiftSpace", "⌘ ⇧ Space", "Super+Shift+Space"},
        KeyWordsCase{"GlyphsWithoutSpaces", "⌘⇧Space", "Super+Shift+Space"},
        KeyWordsCase{"InAHint", "⌥ Space to open　·　Esc to close", "Alt+Space to open　·　Esc to close"},
        KeyWordsCase{"TranslatedKeyName", "⌥ Leertaste zum Öffnen", "Alt+Leertaste zum Öffnen"},
        KeyWordsCase{"JapaneseWithoutSpace", "⌥スペースで表示", "Alt+スペースで表示"},
        KeyWordsCase{"InsideATooltip", "Tessellon · ⌥ Space opens Launchpad", "Tessellon · Alt+Space opens Launchpad"},
        KeyWordsCase{"GlyphAlone", "⌘", "Super"},
        KeyWordsCase{"GlyphBeforePunctuation", "Hold ⌥, then drag", "Hold Alt, then drag"},
        KeyWordsCase{"GlyphAtTheEnd", "Hold ⌃ ", "Hold Ctrl "},
        KeyWordsCase{"NoGlyph", "F4 / Launchpad key", "F4 / Launchpad key"},
        KeyWordsCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<KeyWordsCase> &info) { return std::string(info.param.name); });

// Every text of every language, once shown, carries no Mac modifier glyph.
TEST(KeyWordsCatalog, NoShownTextKeepsAModifierGlyph)
{
    for (const AppLanguage language : {AppLanguage::zhHans, AppLanguage::en, AppLanguage::fr, AppLanguage::de,
                                       AppLanguage::ja, AppLanguage::ru, AppLanguage::es}) {
        for (const QString &key : L10n::allKeys()) {
            const QString shown = KeyWords::forDisplay(L10n::templateFor(key, language));
            for (const QChar glyph : {QChar(0x2325), QChar(0x2303), QChar(0x21E7), QChar(0x2318)})
                EXPECT_FALSE(shown.contains(glyph)) << shown.toStdString();
        }
    }
}

} // namespace
