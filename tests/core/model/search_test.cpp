#include "model/launcher_layout.h"
#include "model/search.h"
#include "model/search_index.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <ostream>

#include <optional>

namespace {

QStringList names(const QList<AppItem> &apps)
{
    QStringList out;
    for (const AppItem &app : apps)
        out.append(app.name);
    return out;
}

AppItem app(const QString &bundleID, const QString &name, const QString &fileName)
{
    return AppItem(bundleID, name, QStringLiteral("/Applications/") + fileName);
}

// ---------------------------------------------------------------------------

struct NormalizeCase
{
    const char *name;
    QString input;
    QString expected;
};

// Failure messages name the row instead of dumping its bytes.
void PrintTo(const NormalizeCase &c, std::ostream *os)
{
    *os << c.name;
}

class NormalizedTest : public ::testing::TestWithParam<NormalizeCase>
{
};

TEST_P(NormalizedTest, TrimsLowercasesAndDropsSpaces)
{
    const NormalizeCase &c = GetParam();
    EXPECT_EQ(Search::normalized(c.input), c.expected) << Search::normalized(c.input).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizedTest,
    ::testing::Values(
        NormalizeCase{"Empty", "", ""},
        NormalizeCase{"SpacesEverywhere", "  Visual Studio  Code ", "visualstudiocode"},
        NormalizeCase{"NewlinesAndTabsAtEnds", "\n\tSafari\r\n", "safari"},
        NormalizeCase{"InnerTabStays", "a\tB", "a\tb"},
        NormalizeCase{"InnerNoBreakSpaceStays", QString::fromUtf8("A\u00a0B"), QString::fromUtf8("a\u00a0b")},
        NormalizeCase{"NoBreakSpaceAtEndsTrimmed", QString::fromUtf8("\u00a0\u3000Notes\u2029"), "notes"},
        NormalizeCase{"UnicodeLowercase", QString::fromUtf8("ÉCOLE ΣΟΦΊΑ"), QString::fromUtf8("écoleσοφία")},
        // Locale-free: the dotted capital I keeps its dot as a combining mark.
        NormalizeCase{"DottedCapitalI", QString::fromUtf8("İ"), QString::fromUtf8("i\u0307")},
        NormalizeCase{"WhitespaceOnly", " \t \n ", ""}),
    [](const ::testing::TestParamInfo<NormalizeCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

struct ScoreCase
{
    const char *name;
    AppItem app;
    QString query;
    std::optional<int> expected;
    QHash<QString, QString> overrides = {};
};

// Failure messages name the row instead of dumping its bytes.
void PrintTo(const ScoreCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScoreTest : public ::testing::TestWithParam<ScoreCase>
{
};

TEST_P(ScoreTest, Tier)
{
    const ScoreCase &c = GetParam();
    const std::optional<int> score = Search::score(c.app, c.query, c.overrides);
    EXPECT_EQ(score, c.expected) << "got " << (score ? std::to_string(*score) : std::string("none"));
    EXPECT_EQ(Search::matches(c.app, c.query, c.overrides), c.expected.has_value());
}

// The same rows through a key made once, as the launcher searches.
TEST_P(ScoreTest, SameThroughAPreparedKey)
{
    const ScoreCase &c = GetParam();
    const SearchIndex index({c.app}, c.overrides);
    const std::optional<int> score = index.score(c.app.stableID(), Search::query(c.query));
    EXPECT_EQ(score, c.expected) << "got " << (score ? std::to_string(*score) : std::string("none"));
}

const AppItem kSafari = app("com.apple.Safari", "Safari", "Safari.app");
const AppItem kNotes = app("com.apple.Notes", "Notes", "Notes.app");
const AppItem kCode = app("com.microsoft.VSCode", "Visual Studio Code", "Visual Studio Code.app");
const AppItem kLong = app("com.example.long", QString(250, QLatin1Char('a')), "Long.app");

INSTANTIATE_TEST_SUITE_P(
    Tiers, ScoreTest,
    ::testing::Values(
        ScoreCase{"EmptyQuery", kSafari, "", 0},
        ScoreCase{"WhitespaceOnlyQuery", kSafari, "  \t\n ", 0},
        ScoreCase{"ExactName", kSafari, "Safari", 1000},
        ScoreCase{"ExactNameTypedWithSpaces", kSafari, " s a f a r i ", 1000},
        ScoreCase{"ExactNameInNoBreakSpaces", kSafari, QString::fromUtf8("\u00a0SAFARI\u00a0"), 1000},
        ScoreCase{"ExactFileNameWithAppEnding", app("com.x.web", "Web", "Browser.app"), "browser.app", 1000},
        // The file name keeps ".app", so its bare name is only a prefix; the
        // penalty is the display name's length (3), not the file name's.
        ScoreCase{"BareFileNameIsPrefix", app("com.x.web", "Web", "Browser.app"), "browser", 797},
        ScoreCase{"PrefixOfFiveCharacterName", kNotes, "not", 795},
        ScoreCase{"PrefixOfLongNameCapsAt600", kLong, "aa", 600},
        ScoreCase{"SubstringOfFiveCharacterName", kNotes, "ote", 395},
        ScoreCase{"SubstringOfLongNameCapsAt300", app("com.x", QString(250, QLatin1Char('b')) + "c", "L.app"), "bc", 300},
        ScoreCase{"SubstringOfFileName", app("com.x.y", "Web", "SuperBrowser.app"), "browser", 397},
        ScoreCase{"Initials", kCode, "vsc", 600},
        ScoreCase{"InitialsPrefix", kCode, "vs", 600},
        ScoreCase{"InitialsTypedWithSpaces", kCode, "v s c", 600},
        ScoreCase{"InitialsAcrossHyphensAndDots", app("com.x.fbb", "Foo-Bar.Baz", "F.app"), "fb", 600},
        ScoreCase{"InitialsNotInOrder", kCode, "cv", std::nullopt},
        // "pp" is also a substring of "poppop"; the initials tier comes first.
        ScoreCase{"InitialsBeforeSubstring", app("com.x.tt", "Pop Pop", "T.app"), "pp", 600},
        ScoreCase{"OneWordHasNoInitials", app("com.x.p", "PhotoShop", "P.app"), "ps", std::nullopt},
        ScoreCase{"BundleIdentifierOnly", kSafari, "apple", 100},
        ScoreCase{"BundleIdentifierCaseFolded", kCode, "MICROSOFT", 100},
        ScoreCase{"NoMatch", kSafari, "zzz", std::nullopt},
        ScoreCase{"InnerTabDoesNotMatchSpace", kCode, "visual\tstudio", std::nullopt},
        // A rename replaces the scanned name; the file name still counts.
        ScoreCase{"RenamedFoundByNewName", kCode, "editor", 1000, {{"com.microsoft.VSCode", "Editor"}}},
        ScoreCase{"RenamedOldNameViaFileName", kCode, "visual", 794, {{"com.microsoft.VSCode", "Editor"}}},
        ScoreCase{"RenamedOldNameGone", app("com.x.b1", "Foo", "Bar.app"), "foo", std::nullopt, {{"com.x.b1", "Baz"}}},
        ScoreCase{"RenamedUnderPath", app("com.x.bar", "Foo", "Bar.app"), "qux", 1000, {{"/Applications/Bar.app", "Qux"}}},
        ScoreCase{"EmptyRenameCountsAsNone", kNotes, "notes", 1000, {{"com.apple.Notes", ""}}},
        // Scripts without spaces: the name is one word.
        ScoreCase{"CJKPrefix", app("com.x.wx", "微信读书", "WeRead.app"), "微信", 796},
        ScoreCase{"CJKOneWordNoInitials", app("com.x.wx", "微信读书", "WeRead.app"), "微读", std::nullopt},
        ScoreCase{"CJKInitialsWithSpace", app("com.x.wy", "网易 云音乐", "Music.app"), "网云", 600},
        ScoreCase{"CJKSubstring", app("com.x.wx", "微信读书", "WeRead.app"), "读书", 396},
        // Composed and decomposed accents are the same character.
        ScoreCase{"DecomposedNameComposedQuery", app("com.x.c", QString::fromUtf8("Cafe\u0301"), "C.app"),
                  QString::fromUtf8("CAFÉ"), 1000},
        ScoreCase{"ComposedNameDecomposedQuery", app("com.x.c", QString::fromUtf8("Café Noir"), "C.app"),
                  QString::fromUtf8("cafe\u0301"), 792},
        // A base letter is not its accented character.
        ScoreCase{"BaseLetterDoesNotMatchAccented", app("com.x.c", QString::fromUtf8("Café"), "C.app"), "cafe",
                  std::nullopt},
        ScoreCase{"BaseLetterNotAPrefixOfUncomposable", app("com.x.q", QString::fromUtf8("Xa\u0331b"), "Q.app"), "xa",
                  std::nullopt},
        // Length counts characters: X, a-with-macron-below, b, c, d.
        ScoreCase{"LengthCountsCharacters", app("com.x.q", QString::fromUtf8("Xa\u0331bcd"), "Q.app"), "x", 795},
        ScoreCase{"CombiningMarkStaysInItsWord", app("com.x.q", QString::fromUtf8("Xa\u0331b Tool"), "Q.app"), "xt", 600},
        ScoreCase{"EmojiPrefix", app("com.x.s", QString::fromUtf8("😀 Smile"), "S.app"), QString::fromUtf8("😀"), 794},
        ScoreCase{"EmojiNameSubstring", app("com.x.s", QString::fromUtf8("😀 Smile"), "S.app"), "smile", 394},
        ScoreCase{"SkinToneBelongsToTheEmoji", app("com.x.t", QString::fromUtf8("👍🏽 Thumbs"), "T.app"),
                  QString::fromUtf8("👍"), std::nullopt},
        // Initials on the path for text beyond Latin: a symbol is no word, so
        // a name of one word after it has no initials and is only a substring.
        ScoreCase{"EmojiThenOneWordHasNoInitials", app("com.x.s", QString::fromUtf8("😀Smile"), "Grin.app"), "s", 394},
        ScoreCase{"SymbolThenOneWordHasNoInitials", app("com.x.s", QString::fromUtf8("★Smile"), "Glyph.app"), "s", 394},
        ScoreCase{"EmojiThenTwoWordsHasInitials", app("com.x.s", QString::fromUtf8("😀Smile Maker"), "Grin.app"), "sm",
                  600},
        // A variation selector belongs to the emoji it follows: it makes no
        // word of its own, neither a first one nor a second.
        ScoreCase{"EmojiWithVariationSelectorStartsNoWord",
                  app("com.x.h", QString::fromUtf8("❤️ Smile Maker"), "H.app"), "sm", 600},
        ScoreCase{"EmojiWithVariationSelectorThenOneWordHasNoInitials",
                  app("com.x.h", QString::fromUtf8("❤️ Smile"), "H.app"), "s", 394},
        ScoreCase{"FamilyEmojiCountsAsOne", app("com.x.f", QString::fromUtf8("👨‍👩‍👧Home"), "H.app"), "home", 395},
        ScoreCase{"FlagsDoNotMatchAcrossPairs", app("com.x.g", QString::fromUtf8("🇺🇸🇫🇷"), "G.app"),
                  QString::fromUtf8("🇸🇫"), std::nullopt}),
    [](const ::testing::TestParamInfo<ScoreCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST(SearchRankedTest, EmptyQueryListsEveryAppByName)
{
    const QList<AppItem> apps = {app("b", "beta", "b.app"), app("c", "Charlie", "c.app"), app("a", "Alpha", "a.app"),
                                 app("d", "alpha2", "d.app")};
    EXPECT_EQ(names(Search::ranked(apps, "")), (QStringList{"Alpha", "alpha2", "beta", "Charlie"}));
    EXPECT_EQ(names(Search::ranked(apps, "   ")), (QStringList{"Alpha", "alpha2", "beta", "Charlie"}));
}

TEST(SearchRankedTest, BestTierFirstAndNonMatchesDropped)
{
    const QList<AppItem> apps = {
        app("com.x.bundlehit", "Zebra", "Zebra.app"),            // bundle identifier only
        app("com.x.sub", "Quick Time Player", "QT.app"),         // substring: 400 - 15
        app("com.x.tm", "Time Machine", "TM.app"),               // prefix: 800 - 11
        app("com.x.exact", "Time", "Time.app"),                  // exact
        app("com.x.none", "Nothing", "Nothing.app"),             // no match
        app("com.x.init", "Tiny Image Manager Extra", "TIM.app"), // initials
    };
    EXPECT_EQ(names(Search::ranked(apps, "Time")),
              (QStringList{"Time", "Time Machine", "Tiny Image Manager Extra", "Quick Time Player"}));
    EXPECT_EQ(names(Search::ranked(apps, "bundlehit")), QStringList{"Zebra"});
}

TEST(SearchRankedTest, EqualScoresOrderedByOwnNameNotDisplayName)
{
    // Same length names, same substring tier; the renames would order them the
    // other way round.
    const AppItem first = app("com.x.one", "Apple Tool", "One.app");
    const AppItem second = app("com.x.two", "Berry Tool", "Two.app");
    const QHash<QString, QString> overrides = {{"com.x.one", "Zeta Tools"}, {"com.x.two", "Acme Tools"}};
    EXPECT_EQ(names(Search::ranked({second, first}, "tool", overrides)), (QStringList{"Apple Tool", "Berry Tool"}));
}

TEST(SearchRankedTest, NameOrderFollowsTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QList<AppItem> apps = {app("z", "Zoo", "z.app"), app("b", "banane", "b.app"), app("a", "Äpfel", "a.app"),
                                 app("c", "Apfel", "c.app")};
    const QStringList ordered = names(Search::ranked(apps, ""));
    QLocale::setDefault(previous);
    EXPECT_EQ(ordered, (QStringList{"Apfel", "Äpfel", "banane", "Zoo"}));
}

// ---------------------------------------------------------------------------

TEST(SearchIndexTest, RenameRemakesOnlyThatKey)
{
    const AppItem safari = app("com.apple.Safari", "Safari", "Safari.app");
    const AppItem notes = app("com.apple.Notes", "Notes", "Notes.app");
    LauncherLayout layout;
    SearchIndex index({safari, notes}, layout.nameOverrides);
    const Search::Key *notesKey = index.key(notes.stableID());
    ASSERT_NE(notesKey, nullptr);
    EXPECT_EQ(index.score(safari.stableID(), Search::query("browser")), std::nullopt);
    EXPECT_EQ(index.score(safari.stableID(), Search::query("saf")), 800 - 6);

    layout.renameApp(safari.stableID(), "Web Browser");
    index.setOverrides(layout.nameOverrides);
    EXPECT_EQ(index.score(safari.stableID(), Search::query("browser")), 400 - 10);
    EXPECT_EQ(index.score(safari.stableID(), Search::query("wb")), 600);
    // Still a prefix of the file name, now penalised by the new name's length.
    EXPECT_EQ(index.score(safari.stableID(), Search::query("saf")), 800 - 10);
    EXPECT_EQ(names(index.ranked("web")), QStringList{"Safari"});
    EXPECT_EQ(index.key(notes.stableID()), notesKey);
    EXPECT_EQ(index.key(notes.stableID())->displayName, "Notes");

    layout.renameApp(safari.stableID(), "  ");
    index.setOverrides(layout.nameOverrides);
    EXPECT_EQ(index.score(safari.stableID(), Search::query("browser")), std::nullopt);
    EXPECT_EQ(index.score("com.unknown", Search::query("saf")), std::nullopt);
}

TEST(SearchIndexTest, RankedAsWithoutAnIndex)
{
    const QList<AppItem> apps = {
        app("com.x.bundlehit", "Zebra", "Zebra.app"),
        app("com.x.sub", "Quick Time Player", "QT.app"),
        app("com.x.tm", "Time Machine", "TM.app"),
        app("com.x.exact", "Time", "Time.app"),
        app("com.x.cafe", QString::fromUtf8("Cafe\u0301 Ti\u0301me"), "Cafe.app"),
        app("com.x.init", "Tiny Image Manager Extra", "TIM.app"),
    };
    const QHash<QString, QString> overrides = {{"com.x.tm", "Timer Mate"}};
    const SearchIndex index(apps, overrides);
    for (const char *typed : {"", "time", "tim", "t", "café", "cafe", "bundlehit", "x", "tm", "nothing"}) {
        const QString query = QString::fromUtf8(typed);
        EXPECT_EQ(names(index.ranked(query)), names(Search::ranked(apps, query, overrides))) << typed;
    }
}

TEST(SearchIndexTest, NameOrderFollowsALocaleChange)
{
    const QList<AppItem> apps = {app("z", "Zoo", "z.app"), app("b", "banane", "b.app"), app("a", "Äpfel", "a.app"),
                                 app("c", "Apfel", "c.app")};
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    const SearchIndex index(apps, {});
    const QStringList before = names(index.ranked(""));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList german = names(index.ranked(""));
    QLocale::setDefault(previous);
    EXPECT_EQ(german, (QStringList{"Apfel", "Äpfel", "banane", "Zoo"}));
    EXPECT_NE(before, german);
}

} // namespace
