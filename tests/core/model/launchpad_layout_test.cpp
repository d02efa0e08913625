#include "model/import_summary.h"
#include "model/launchpad_layout.h"
#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

using namespace layout_test;

namespace {

LaunchpadFolder folder(const QString &id, const QString &name, const QStringList &members)
{
    return LaunchpadFolder{id, name, members};
}

// ---------------------------------------------------------------------------
// Derived members

TEST(LaunchpadLayoutTest, EmptinessOfPagesAndEntries)
{
    EXPECT_TRUE(LaunchpadLayout::empty().isEmpty());
    EXPECT_TRUE(LaunchpadLayout::empty().pages.isEmpty());
    EXPECT_TRUE((LaunchpadLayout{{LaunchpadPage{}, LaunchpadPage{}}}).isEmpty());
    EXPECT_FALSE((LaunchpadLayout{{LaunchpadPage{}, LaunchpadPage{{LaunchpadEntry{}}}}}).isEmpty());
    EXPECT_TRUE(LaunchpadPage{}.entries.isEmpty());
}

TEST(LaunchpadLayoutTest, CountsAndIdentifiersInLayoutOrder)
{
    const LaunchpadLayout layout{{
        LaunchpadPage{{LaunchpadEntry::app("a"), LaunchpadEntry::makeFolder(folder("native-1", "F", {"b", "a"}))}},
        LaunchpadPage{{LaunchpadEntry::app("b")}},
    }};
    EXPECT_EQ(layout.allBundleIDs(), (QStringList{"a", "b"}));
    EXPECT_EQ(layout.appCount(), 4);
    EXPECT_EQ(layout.folderCount(), 1);
    EXPECT_EQ(layout.folderNames(), QStringList{"F"});
}

TEST(LaunchpadLayoutTest, EntryWithBothApplicationAndFolder)
{
    const LaunchpadEntry both{QString("x"), folder("f", "", {"y"})};
    EXPECT_TRUE(both.isFolder());
    const LaunchpadLayout layout{{LaunchpadPage{{both, LaunchpadEntry::makeFolder(folder("g", "", {}))}}}};
    EXPECT_EQ(layout.allBundleIDs(), QStringList{"x"});
    EXPECT_EQ(layout.appCount(), 2);
    EXPECT_EQ(layout.folderCount(), 2);
    EXPECT_EQ(layout.folderNames(), (QStringList{"", ""})); // empty names kept
}

TEST(LaunchpadLayoutTest, EmptyIdentifierIsAnIdentifier)
{
    const LaunchpadLayout layout{{LaunchpadPage{{LaunchpadEntry::app(""), LaunchpadEntry::app(""),
                                                 LaunchpadEntry::makeFolder(folder("f", "F", {"", "z"}))}}}};
    EXPECT_EQ(layout.allBundleIDs(), (QStringList{"", "z"}));
    EXPECT_EQ(layout.appCount(), 4);
}

TEST(LaunchpadLayoutTest, Equality)
{
    EXPECT_EQ(LaunchpadEntry::app("a"), (LaunchpadEntry{QString("a"), std::nullopt}));
    EXPECT_NE(LaunchpadEntry::app("a"), LaunchpadEntry{});
    EXPECT_NE(folder("f", "F", {"a", "b"}), folder("f", "F", {"b", "a"}));
}

// ---------------------------------------------------------------------------
// JSON form

std::optional<LaunchpadLayout> decode(const char *json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return LaunchpadLayout::fromJson(document.object());
}

TEST(LaunchpadLayoutJson, DecodesAndEncodesOnlyPresentKeys)
{
    const std::optional<LaunchpadLayout> layout = decode(R"({"pages":[{"entries":[
        {"bundleID":"com.a"},
        {"folder":{"id":"native-7","name":"Games","bundleIDs":["com.b","com.c"]}, "extra":1}
    ]}], "other": true})");
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->pages.size(), 1);
    ASSERT_EQ(layout->pages[0].entries.size(), 2);
    EXPECT_EQ(layout->pages[0].entries[0], LaunchpadEntry::app("com.a"));
    EXPECT_EQ(layout->pages[0].entries[1],
              LaunchpadEntry::makeFolder(folder("native-7", "Games", {"com.b", "com.c"})));

    const QJsonObject encoded = layout->toJson();
    const QJsonArray entries = encoded["pages"].toArray()[0].toObject()["entries"].toArray();
    EXPECT_EQ(entries[0].toObject().keys(), QStringList{"bundleID"});
    EXPECT_EQ(entries[1].toObject().keys(), QStringList{"folder"});
    EXPECT_EQ(entries[1].toObject()["folder"].toObject().keys(), (QStringList{"bundleIDs", "id", "name"}));
    EXPECT_EQ(LaunchpadLayout::fromJson(encoded), layout);
}

TEST(LaunchpadLayoutJson, EmptyLayoutWritesPages)
{
    EXPECT_EQ(QJsonDocument(LaunchpadLayout::empty().toJson()).toJson(QJsonDocument::Compact), QByteArray(R"({"pages":[]})"));
    EXPECT_EQ(QJsonDocument(LaunchpadPage{}.toJson()).toJson(QJsonDocument::Compact), QByteArray(R"({"entries":[]})"));
    EXPECT_EQ(QJsonDocument(LaunchpadEntry{}.toJson()).toJson(QJsonDocument::Compact), QByteArray("{}"));
}

struct DecodeCase
{
    const char *name;
    const char *json;
    bool decodes;
};

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    *os << c.name;
}


class LaunchpadDecodeTest : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(LaunchpadDecodeTest, Decodes)
{
    EXPECT_EQ(decode(GetParam().json).has_value(), GetParam().decodes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchpadDecodeTest,
    ::testing::Values(
        DecodeCase{"NoPages", R"({})", false},
        DecodeCase{"PagesNotArray", R"({"pages":{}})", false},
        DecodeCase{"EmptyPages", R"({"pages":[]})", true},
        DecodeCase{"PageWithoutEntries", R"({"pages":[{"entries":[]},{}]})", false},
        DecodeCase{"PageNotObject", R"({"pages":[[]]})", false},
        DecodeCase{"EntryWithNeither", R"({"pages":[{"entries":[{}]}]})", true},
        DecodeCase{"NullsAreAbsent", R"({"pages":[{"entries":[{"bundleID":null,"folder":null}]}]})", true},
        DecodeCase{"BundleIDNumber", R"({"pages":[{"entries":[{"bundleID":5}]}]})", false},
        DecodeCase{"FolderWithoutName", R"({"pages":[{"entries":[{"folder":{"id":"f","bundleIDs":[]}}]}]})", false},
        DecodeCase{"FolderWithoutID", R"({"pages":[{"entries":[{"folder":{"name":"f","bundleIDs":[]}}]}]})", false},
        DecodeCase{"FolderWithoutMembers", R"({"pages":[{"entries":[{"folder":{"id":"f","name":"f"}}]}]})", false},
        DecodeCase{"MemberNotString", R"({"pages":[{"entries":[{"folder":{"id":"f","name":"f","bundleIDs":[1]}}]}]})",
                   false},
        DecodeCase{"FolderNotObject", R"({"pages":[{"entries":[{"folder":"f"}]}]})", false},
        DecodeCase{"EntryNotObject", R"({"pages":[{"entries":["com.a"]}]})", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LaunchpadLayoutJson, NotAnObject)
{
    EXPECT_FALSE(LaunchpadLayout::fromJson(QJsonValue(3)));
    EXPECT_FALSE(LaunchpadLayout::fromJson(QJsonValue()));
}

// ---------------------------------------------------------------------------
// ImportSummary

TEST(ImportSummaryTest, DefaultsAndEquality)
{
    const ImportSummary summary;
    EXPECT_EQ(summary, (ImportSummary{0, 0, {}, 0}));
    EXPECT_NE(summary, (ImportSummary{0, 0, {"A"}, 0}));
}

struct StatusCase
{
    const char *name;
    ImportSummary summary;
    QString english;
    QString chinese;
};

void PrintTo(const StatusCase &c, std::ostream *os)
{
    *os << c.name;
}


class StatusTextTest : public ::testing::TestWithParam<StatusCase>
{
};

TEST_P(StatusTextTest, ReadsInTheCurrentLanguage)
{
    const StatusCase &c = GetParam();
    EXPECT_EQ(str(c.summary.statusText()), str(c.chinese)); // the default language
    const ScopedLanguage english(AppLanguage::en);
    EXPECT_EQ(str(c.summary.statusText()), str(c.english));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusTextTest,
    ::testing::Values(
        StatusCase{"FourNamesSuffix", ImportSummary{2, 4, {"A", "B", "C", "D"}, 10},
                   "10 apps · 4 groups (A, B, C \u2026)", "10 个应用 · 4 个分组（A、B、C 等）"},
        StatusCase{"ThreeNames", ImportSummary{2, 3, {"A", "B", "C"}, 10}, "10 apps · 3 groups (A, B, C)",
                   "10 个应用 · 3 个分组（A、B、C）"},
        StatusCase{"CountBeyondNames", ImportSummary{1, 2, {"A"}, 3}, "3 apps · 2 groups (A \u2026)",
                   "3 个应用 · 2 个分组（A 等）"},
        StatusCase{"NoNames", ImportSummary{1, 2, {}, 10}, "10 apps · 2 groups", "10 个应用 · 2 个分组"},
        StatusCase{"Default", ImportSummary{}, "0 apps · 0 groups", "0 个应用 · 0 个分组"},
        StatusCase{"NamesAreData", ImportSummary{1, 1, {"%d %@"}, 1}, "1 apps · 1 groups (%d %@)",
                   "1 个应用 · 1 个分组（%d %@）"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
