#include "localization/l10n.h"
#include "localization/localization_catalog.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cstdio>
#include <string>

namespace {

const char *const kColumnNames[7] = {"zh-Hans", "en", "fr", "de", "ja", "ru", "es"};

// The conversions (%@, %d) of a text in order. Anything after a percent
// sign other than @ or d is reported as "%<char>" so a stray conversion in a
// translation (or an escaped %%) shows up as a mismatch.
QStringList conversions(const QString &text)
{
    QStringList found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (i + 1 >= text.size()) {
            found.append(QStringLiteral("%<end>"));
            break;
        }
        found.append(QStringLiteral("%") + text[i + 1]);
        ++i;
    }
    return found;
}

QString cell(size_t row, size_t column)
{
    return QString::fromUtf8(LocalizationCatalog::rows().at(row)[column]);
}

// Rows whose blanks or line feeds at either end belong to the text.
bool mayHaveOuterWhitespace(size_t row)
{
    return row == 0 || row == 1 || row == 126;
}

class CatalogRowTest : public ::testing::TestWithParam<int>
{
};

TEST_P(CatalogRowTest, EveryCellIsFilledAndCarriesTheKeysConversionsInOrder)
{
    const size_t row = size_t(GetParam());
    const QString key = cell(row, 0);
    const QStringList expected = conversions(key);
    for (const QString &conversion : expected)
        EXPECT_TRUE(conversion == QStringLiteral("%@") || conversion == QStringLiteral("%d")) << "key " << key.toStdString();

    for (size_t column = 0; column < 7; ++column) {
        const QString text = cell(row, column);
        SCOPED_TRACE(std::string(kColumnNames[column]) + ": " + text.toStdString());
        EXPECT_FALSE(text.isEmpty());
        EXPECT_EQ(conversions(text), expected);
        if (!mayHaveOuterWhitespace(row)) {
            EXPECT_EQ(text, text.trimmed()) << "stray blank or line feed at an end";
        }
        EXPECT_FALSE(text.contains(QLatin1String("\\n"))) << "escaped line feed left in the text";
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    }
}

INSTANTIATE_TEST_SUITE_P(AllRows, CatalogRowTest, ::testing::Range(0, 182),
                         [](const ::testing::TestParamInfo<int> &info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Row%03d", info.param + 1);
                             return std::string(name);
                         });

// Texts that once read wrong to a native speaker: counts that disagreed with
// their noun, French spacing before a colon, Japanese half-width blanks between
// Japanese and Latin text, Spanish tenses of Latin America.
struct PinnedText
{
    const char *name;
    int row; // 1-based, as counted in the catalog
    size_t column;
    const char16_t *text;
};

void PrintTo(const PinnedText &row, std::ostream *out)
{
    *out << row.name;
}

class CatalogPinnedTextTest : public ::testing::TestWithParam<PinnedText>
{
};

TEST_P(CatalogPinnedTextTest, ReadsAsReviewed)
{
    const PinnedText &pinned = GetParam();
    EXPECT_EQ(cell(size_t(pinned.row - 1), pinned.column), QString::fromUtf16(pinned.text));
}

INSTANTIATE_TEST_SUITE_P(
    Corrected, CatalogPinnedTextTest,
    ::testing::Values(
        // A no-break space before ":", the count after its label.
        PinnedText{"FrenchLeftoversRemovedCount", 140, 2, u"R\u00e9sidus supprim\u00e9s\u00a0: %d/%d."},
        // A narrow no-break space before ";" and the typographic apostrophe.
        PinnedText{"FrenchEventTapsStatus", 89, 2,
                   u"Canaux d\u2019entr\u00e9e redemand\u00e9s au serveur X\u00a0: %@."},
        PinnedText{"JapaneseOpenItemsWithoutBlanks", 104, 4, u"%d\u500b\u306e\u9805\u76ee\u3092\u958b\u304f"},
        PinnedText{"JapaneseShowInFileManagerWithoutBlanks", 106, 4,
                   u"%d\u500b\u306e\u9805\u76ee\u3092\u30d5\u30a1\u30a4\u30eb\u30de\u30cd\u30fc\u30b8\u30e3\u3067\u8868\u793a"},
        // A symbol argument stands in corner brackets.
        PinnedText{"JapaneseHotCornerBracketsItsArgument", 76, 4,
                   u"\u30db\u30c3\u30c8\u30b3\u30fc\u30ca\u30fc\u3092\u300c%@\u300d\u306b\u8a2d\u5b9a\u3057\u307e\u3057\u305f"},
        // One text for every count: the number follows its label.
        PinnedText{"RussianAppsMovedCount", 139, 5,
                   u"\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u0439 \u043f\u0435\u0440\u0435\u043c\u0435\u0449\u0435\u043d\u043e "
                   u"\u0432 \u041a\u043e\u0440\u0437\u0438\u043d\u0443: %d/%d."},
        PinnedText{"RussianLeftoversCheckboxCount", 134, 5,
                   u"\u0427\u0438\u0441\u0442\u043e\u0435 \u0443\u0434\u0430\u043b\u0435\u043d\u0438\u0435: \u0442\u0430\u043a\u0436\u0435 "
                   u"\u0443\u0434\u0430\u043b\u0438\u0442\u044c \u043e\u0441\u0442\u0430\u0442\u043a\u0438 (%d) \u2014 "
                   u"\u043d\u0430\u0441\u0442\u0440\u043e\u0439\u043a\u0438, \u043a\u044d\u0448\u0438, "
                   u"\u043a\u043e\u043d\u0442\u0435\u0439\u043d\u0435\u0440\u044b\u2026"},
        PinnedText{"GermanAppsAndGroupsCount", 162, 3, u"Apps: %d \u00b7 Gruppen: %d"},
        PinnedText{"SpanishPresentPerfect", 93, 6,
                   u"No se han encontrado datos de disposici\u00f3n de otros lanzadores en este Mac."},
        PinnedText{"EnglishAboutCountsAfterLabels", 164, 1,
                   u"A full-screen app launcher with pages, folders, search and layout import.\n\nApps: %d \u00b7 Pages: %d"}),
    [](const ::testing::TestParamInfo<PinnedText> &info) { return std::string(info.param.name); });

// French puts a no-break space before ":" and inside guillemets, a narrow one
// before ";", "?" and "!", and writes the typographic apostrophe. Rows given
// word for word by the catalog's source keep their plain blanks.
TEST(LocalizationCatalog, FrenchTextsUseNoBreakSpacesAndTypographicApostrophes)
{
    const QSet<int> givenWordForWord = {1, 3, 97, 99, 127, 166, 167};
    for (size_t row = 0; row < LocalizationCatalog::rows().size(); ++row) {
        if (givenWordForWord.contains(int(row + 1)))
            continue;
        const QString text = cell(row, 2);
        for (const char *mark : {" :", " ;", " ?", " !", "\u00ab ", " \u00bb", "'"})
            EXPECT_FALSE(text.contains(QString::fromUtf8(mark)))
                << "row " << row + 1 << ": " << text.toStdString();
    }
}

// The hot key is an X11 key grab here; no language may name the macOS
// interface that other desktops use for it.
TEST(LocalizationCatalog, NoTextNamesTheMacHotKeyInterface)
{
    for (size_t row = 0; row < LocalizationCatalog::rows().size(); ++row) {
        for (size_t column = 0; column < 7; ++column)
            EXPECT_FALSE(cell(row, column).contains(QLatin1String("Carbon")))
                << "row " << row + 1 << " " << kColumnNames[column] << ": " << cell(row, column).toStdString();
    }
}

TEST(LocalizationCatalog, HasAllRowsWithDistinctKeys)
{
    const auto &rows = LocalizationCatalog::rows();
    ASSERT_EQ(rows.size(), 182u);
    QSet<QString> keys;
    for (size_t i = 0; i < rows.size(); ++i)
        keys.insert(cell(i, 0));
    EXPECT_EQ(keys.size(), 182);

    const QStringList allKeys = L10n::allKeys();
    ASSERT_EQ(allKeys.size(), 182);
    EXPECT_EQ(allKeys.first(), QStringLiteral(" 等"));
    EXPECT_EQ(allKeys.last(), QStringLiteral("无法在文件管理器中显示“%@”。"));
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(allKeys.at(qsizetype(i)), cell(i, 0));
}

TEST(LocalizationCatalog, ConversionCountsOverAllKeys)
{
    int keysWithText = 0, textOccurrences = 0, keysWithInteger = 0, integerOccurrences = 0;
    for (const QString &key : L10n::allKeys()) {
        const QStringList found = conversions(key);
        const int texts = int(found.count(QStringLiteral("%@")));
        const int integers = int(found.count(QStringLiteral("%d")));
        EXPECT_EQ(texts + integers, found.size()) << key.toStdString();
        keysWithText += texts > 0;
        textOccurrences += texts;
        keysWithInteger += integers > 0;
        integerOccurrences += integers;
    }
    EXPECT_EQ(keysWithText, 17);
    EXPECT_EQ(textOccurrences, 20);
    EXPECT_EQ(keysWithInteger, 13);
    EXPECT_EQ(integerOccurrences, 18);

    EXPECT_EQ(conversions(cell(162, 0)), (QStringList{"%d", "%d", "%@", "%@"}));
    EXPECT_EQ(cell(162, 0), QStringLiteral("%d 个应用 · %d 个分组（%@%@）"));
}

TEST(LocalizationCatalog, SystemNameStandsUnchangedInItsRows)
{
    for (int number : {18, 119, 120, 121}) {
        for (size_t column = 0; column < 7; ++column)
            EXPECT_TRUE(cell(size_t(number - 1), column).contains(QLatin1String("Tessellon")))
                << "row " << number << " " << kColumnNames[column];
    }
}

TEST(LocalizationCatalog, RunningNoteStartsWithTwoLineFeedsEverywhere)
{
    for (size_t column = 0; column < 7; ++column) {
        const QString text = cell(126, column);
        EXPECT_TRUE(text.startsWith(QLatin1String("\n\n"))) << kColumnNames[column];
        EXPECT_EQ(text.mid(2), text.mid(2).trimmed()) << kColumnNames[column];
    }
}

TEST(LocalizationCatalog, ListFragmentsKeepTheirBlanks)
{
    // The cut-off marker and the joiner are glued to names without any other
    // separator, so their blanks are part of the text.
    EXPECT_EQ(cell(0, 1), QStringLiteral(" \u2026"));
    EXPECT_EQ(cell(0, 4), QStringLiteral(" など"));
    EXPECT_EQ(cell(0, 5), QStringLiteral(" и др."));
    for (size_t column : {1, 2, 3, 5, 6})
        EXPECT_EQ(cell(1, column), QStringLiteral(", ")) << kColumnNames[column];
    EXPECT_EQ(cell(1, 4), QStringLiteral("、"));
    // "OK" in Russian is written in Cyrillic letters.
    EXPECT_EQ(cell(2, 5), QString::fromUtf16(u"\u041E\u041A"));
    // The hint bar separates its parts by ideographic spaces around a middle
    // dot; the part with the hot key comes before these.
    EXPECT_EQ(cell(9, 0).count(QStringLiteral("\u3000·\u3000")), 2);
    EXPECT_EQ(cell(9, 1).count(QStringLiteral("\u3000·\u3000")), 2);
}

// This desktop has a file manager, not a Finder, and the hint line offers no
// drag to a Dock, in any language.
TEST(LocalizationCatalog, TextsNameTheDesktopsFileManagerAndTheHintNoDock)
{
    for (size_t row = 0; row < LocalizationCatalog::rows().size(); ++row) {
        for (size_t column = 0; column < 7; ++column)
            EXPECT_FALSE(cell(row, column).contains(QLatin1String("Finder")))
                << "row " << row + 1 << " " << kColumnNames[column];
    }
    for (size_t column = 0; column < 7; ++column)
        EXPECT_FALSE(cell(9, column).contains(QLatin1String("Dock"))) << kColumnNames[column];
}

TEST(LocalizationCatalog, TablesHoldEveryRowForTranslatedLanguagesOnly)
{
    for (AppLanguage language : {AppLanguage::en, AppLanguage::fr, AppLanguage::de, AppLanguage::ja,
                                 AppLanguage::ru, AppLanguage::es})
        EXPECT_EQ(L10n::table(language).size(), 182) << language.rawValue().toStdString();
    EXPECT_TRUE(L10n::table(AppLanguage::zhHans).isEmpty());
    EXPECT_TRUE(L10n::table(AppLanguage::system).isEmpty());

    // Column p + 1 feeds the table of the p-th translated language.
    EXPECT_EQ(L10n::table(AppLanguage::es).value(QStringLiteral("取消")), QStringLiteral("Cancelar"));
    EXPECT_EQ(L10n::table(AppLanguage::ja).value(QStringLiteral("、")), QStringLiteral("、"));
    EXPECT_EQ(L10n::table(AppLanguage::de).value(QStringLiteral("跟随系统")), QStringLiteral("Systemeinstellung"));
    EXPECT_EQ(L10n::table(AppLanguage::ru).value(QStringLiteral("好")), QString::fromUtf16(u"\u041E\u041A"));
}

} // namespace
