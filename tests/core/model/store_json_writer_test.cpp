#include "model/json_writer.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::string compactString(const QString &text, JsonWriter::Slashes slashes)
{
    JsonWriter writer(JsonWriter::Style::compact, slashes);
    writer.writeString(text);
    return writer.take().toStdString();
}

struct EscapeCase
{
    const char *name;
    QString text;
    std::string escapedSlashes;
    std::string plainSlashes;
};

class JsonWriterEscapeTest : public ::testing::TestWithParam<EscapeCase>
{
};

TEST_P(JsonWriterEscapeTest, WritesString)
{
    const EscapeCase &c = GetParam();
    EXPECT_EQ(compactString(c.text, JsonWriter::Slashes::escaped), c.escapedSlashes);
    EXPECT_EQ(compactString(c.text, JsonWriter::Slashes::plain), c.plainSlashes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonWriterEscapeTest,
    ::testing::Values(
        EscapeCase{"Plain", "com.apple.Safari", "\"com.apple.Safari\"", "\"com.apple.Safari\""},
        EscapeCase{"Slashes", "/Applications/X.app", R"("\/Applications\/X.app")", R"("/Applications/X.app")"},
        EscapeCase{"QuoteAndBackslash", "a\"b\\c", R"("a\"b\\c")", R"("a\"b\\c")"},
        EscapeCase{"ShortEscapes", "\b\f\n\r\t", R"("\b\f\n\r\t")", R"("\b\f\n\r\t")"},
        EscapeCase{"OtherControlsLowerCaseHex", QString(QChar(0x01)) + QChar(0x1f) + QChar(0x0b),
                   R"("\u0001\u001f\u000b")", R"("\u0001\u001f\u000b")"},
        EscapeCase{"NulCharacter", QString(QChar(0)), R"("\u0000")", R"("\u0000")"},
        EscapeCase{"DeleteIsNotEscaped", QString(QChar(0x7f)), "\"\x7f\"", "\"\x7f\""},
        EscapeCase{"NonAsciiAsUtf8", QString::fromUtf8("文件夹 é 😀"), "\"文件夹 é 😀\"", "\"文件夹 é 😀\""},
        EscapeCase{"LineSeparatorUnescaped", QString(QChar(0x2028)), "\"\xe2\x80\xa8\"", "\"\xe2\x80\xa8\""},
        EscapeCase{"Empty", "", "\"\"", "\"\""}),
    [](const ::testing::TestParamInfo<EscapeCase> &info) { return std::string(info.param.name); });

TEST(JsonWriterTest, PrettyLayoutOfNestedAndEmptyContainers)
{
    JsonWriter writer(JsonWriter::Style::pretty, JsonWriter::Slashes::plain);
    writer.beginObject();
    writer.key(u"a");
    writer.beginArray();
    writer.writeInteger(1);
    writer.beginArray();
    writer.endArray();
    writer.beginObject();
    writer.endObject();
    writer.endArray();
    writer.key(u"b");
    writer.beginObject();
    writer.key(u"c");
    writer.writeBool(true);
    writer.key(u"d");
    writer.writeNull();
    writer.endObject();
    writer.endObject();
    EXPECT_EQ(writer.take().toStdString(),
              "{\n"
              "  \"a\" : [\n"
              "    1,\n"
              "    [\n"
              "\n"
              "    ],\n"
              "    {\n"
              "\n"
              "    }\n"
              "  ],\n"
              "  \"b\" : {\n"
              "    \"c\" : true,\n"
              "    \"d\" : null\n"
              "  }\n"
              "}");
}

TEST(JsonWriterTest, EmptyTopLevelContainers)
{
    JsonWriter pretty(JsonWriter::Style::pretty);
    pretty.beginArray();
    pretty.endArray();
    EXPECT_EQ(pretty.take().toStdString(), "[\n\n]");

    JsonWriter compact;
    compact.beginObject();
    compact.key(u"k");
    compact.beginArray();
    compact.endArray();
    compact.endObject();
    EXPECT_EQ(compact.take().toStdString(), R"({"k":[]})");
}

TEST(JsonWriterTest, DoublesReadBackExactlyAndNonFiniteBecomesNull)
{
    JsonWriter writer;
    writer.beginArray();
    writer.writeDouble(0.34);
    writer.writeDouble(1.0);
    writer.writeDouble(-0.0);
    writer.writeDouble(1e21);
    writer.writeDouble(0.1 + 0.2);
    writer.writeDouble(std::numeric_limits<double>::quiet_NaN());
    writer.writeDouble(-std::numeric_limits<double>::infinity());
    writer.endArray();
    EXPECT_EQ(writer.take().toStdString(), "[0.34,1.0,-0.0,1e+21,0.30000000000000004,null,null]");
}

TEST(JsonWriterTest, VariantMapsAreWrittenWithSortedKeys)
{
    QVariantMap map{{"b", 2}, {"a", QVariantList{QString("x"), true}}, {"c", QVariantMap{}}};
    JsonWriter writer;
    writer.writeVariant(map);
    EXPECT_EQ(writer.take().toStdString(), R"({"a":["x",true],"b":2,"c":{}})");
}

struct KeyOrderCase
{
    const char *name;
    QStringList input;
    QStringList expected;
};

class JsonWriterKeyOrderTest : public ::testing::TestWithParam<KeyOrderCase>
{
};

TEST_P(JsonWriterKeyOrderTest, Sorts)
{
    const KeyOrderCase &c = GetParam();
    EXPECT_EQ(JsonWriter::sortedKeys(c.input).join(u'|').toStdString(), c.expected.join(u'|').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonWriterKeyOrderTest,
    ::testing::Values(
        KeyOrderCase{"LayoutMembers", {"pages", "nameOverrides", "hiddenIDs", "customSources"},
                     {"customSources", "hiddenIDs", "nameOverrides", "pages"}},
        KeyOrderCase{"EntryMembers", {"id", "folder", "appID"}, {"appID", "folder", "id"}},
        KeyOrderCase{"CaseInsensitive", {"b", "B2", "a", "C"}, {"a", "b", "B2", "C"}},
        KeyOrderCase{"NumbersByValue", {"item10", "item9", "item09", "item1"}, {"item1", "item09", "item9", "item10"}},
        KeyOrderCase{"CaseTieBrokenDeterministically", {"a", "A"}, {"A", "a"}},
        KeyOrderCase{"Paths", {"/b/x.app", "/a/y.app", "com.z"}, {"/a/y.app", "/b/x.app", "com.z"}}),
    [](const ::testing::TestParamInfo<KeyOrderCase> &info) { return std::string(info.param.name); });

} // namespace
