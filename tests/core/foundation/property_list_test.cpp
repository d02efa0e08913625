#include "foundation/property_list.h"

#include <QDateTime>
#include <QList>

#include <functional>

#include <gtest/gtest.h>

namespace {

QVariantMap sample()
{
    return QVariantMap{
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.Notes")},
        {QStringLiteral("count"), qint64(-3)},
        {QStringLiteral("ratio"), 0.5},
        {QStringLiteral("flag"), true},
        {QStringLiteral("blob"), QByteArray("\x00\x01\xff", 3)},
        {QStringLiteral("list"), QVariantList{QStringLiteral("é"), qint64(7)}},
        {QStringLiteral("nested"), QVariantMap{{QStringLiteral("k"), QStringLiteral("v")}}},
    };
}

} // namespace

TEST(PropertyList, RoundTripsXmlAndBinary)
{
    for (const QByteArray &bytes : {PropertyList::toXml(sample()), PropertyList::toBinary(sample())}) {
        const std::optional<QVariant> parsed = PropertyList::parse(bytes);
        ASSERT_TRUE(parsed.has_value());
        const QVariantMap map = parsed->toMap();
        EXPECT_EQ(map.value("CFBundleIdentifier").toString(), QStringLiteral("com.example.Notes"));
        EXPECT_EQ(map.value("count").toLongLong(), -3);
        EXPECT_DOUBLE_EQ(map.value("ratio").toDouble(), 0.5);
        EXPECT_TRUE(map.value("flag").toBool());
        EXPECT_EQ(map.value("blob").toByteArray(), QByteArray("\x00\x01\xff", 3));
        EXPECT_EQ(map.value("list").toList().value(0).toString(), QStringLiteral("é"));
        EXPECT_EQ(map.value("nested").toMap().value("k").toString(), QStringLiteral("v"));
    }
}

TEST(PropertyList, RejectsMalformedInput)
{
    EXPECT_FALSE(PropertyList::parse(QByteArray()).has_value());
    EXPECT_FALSE(PropertyList::parse("<?xml version=\"1.0\"?><plist><dict><key>a</key>").has_value());
    EXPECT_FALSE(PropertyList::parse(QByteArray("bplist00\x01\x02", 10)).has_value());
    EXPECT_FALSE(PropertyList::parseFile(QStringLiteral("/nonexistent/Info.plist")).has_value());
}

namespace {

// A binary list of `count` objects, each built by `object` from its index;
// 4-byte offsets and references, object 0 at the top.
QByteArray binaryList(int count, const std::function<QByteArray(int index)> &object)
{
    QByteArray bytes("bplist00");
    QList<quint32> offsets;
    for (int i = 0; i < count; ++i) {
        offsets.append(quint32(bytes.size()));
        bytes += object(i);
    }
    const quint64 table = quint64(bytes.size());
    const auto bigEndian = [](quint64 value, int size) {
        QByteArray out;
        for (int i = size - 1; i >= 0; --i)
            out.append(char((value >> (8 * i)) & 0xFF));
        return out;
    };
    for (quint32 offset : offsets)
        bytes += bigEndian(offset, 4);
    bytes += QByteArray(6, '\0');
    bytes += char(4);
    bytes += char(4);
    bytes += bigEndian(quint64(count), 8) + bigEndian(0, 8) + bigEndian(table, 8);
    return bytes;
}

QByteArray ref(int index)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((index >> shift) & 0xFF));
    return out;
}

// Containers `depth` deep, each holding the next; the last is empty.
QByteArray nestedBinary(int depth, char marker)
{
    return binaryList(depth, [depth, marker](int i) {
        if (i == depth - 1)
            return QByteArray(1, char(marker & 0xF0));
        if ((marker & 0xF0) == char(0xD0)) // one key (the string object below) and one value
            return QByteArray(1, char(0xD1)) + ref(depth - 1) + ref(i + 1);
        return QByteArray(1, char(0xA1)) + ref(i + 1);
    });
}

QByteArray nestedXml(int depth)
{
    QByteArray bytes("<?xml version=\"1.0\"?>\n<!-- <array> in a comment -->\n<plist version=\"1.0\">");
    for (int i = 0; i < depth; ++i)
        bytes += "<array>";
    bytes += "<string>com.deep</string>";
    for (int i = 0; i < depth; ++i)
        bytes += "</array>";
    return bytes + "</plist>";
}

struct HostileCase
{
    const char *name;
    std::function<QByteArray()> bytes;
    const char *reason;
};

class PropertyListHostileTest : public ::testing::TestWithParam<HostileCase>
{
};

} // namespace

// Before the parser sees them: no stack overflow, no exponential copying.
TEST_P(PropertyListHostileTest, IsRefusedWithItsReason)
{
    const QByteArray bytes = GetParam().bytes();
    QString error;
    EXPECT_FALSE(PropertyList::parse(bytes, &error).has_value());
    EXPECT_TRUE(error.contains(QString::fromLatin1(GetParam().reason))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyListHostileTest,
    ::testing::Values(
        HostileCase{"BinaryArrays100000Deep", [] { return nestedBinary(100000, char(0xA0)); }, "nested deeper"},
        HostileCase{"BinaryArrays75000Deep", [] { return nestedBinary(75000, char(0xA0)); }, "nested deeper"},
        HostileCase{"BinaryArraysJustTooDeep",
                    [] { return nestedBinary(PropertyList::kMaxDepth + 2, char(0xA0)); }, "nested deeper"},
        HostileCase{"BinaryDictionaries100000Deep", [] { return nestedBinary(100000, char(0xD0)); }, "nested deeper"},
        HostileCase{"XmlArrays100000Deep", [] { return nestedXml(100000); }, "nested deeper"},
        HostileCase{"BinaryArrayHoldingItself",
                    [] { return binaryList(1, [](int) { return QByteArray(1, char(0xA1)) + ref(0); }); },
                    "nested deeper"},
        // Each array holds the next one twice: 2^80 copies once unfolded.
        HostileCase{"BinarySharedArraysUnfoldingExponentially",
                    [] {
                        return binaryList(80, [](int i) {
                            return i == 79 ? QByteArray(1, char(0xA0)) : QByteArray(1, char(0xA2)) + ref(i + 1) + ref(i + 1);
                        });
                    },
                    "references"},
        HostileCase{"BinaryReferenceOutOfRange",
                    [] { return binaryList(1, [](int) { return QByteArray(1, char(0xA1)) + ref(7); }); },
                    "malformed"}),
    [](const ::testing::TestParamInfo<HostileCase> &info) { return std::string(info.param.name); });

TEST(PropertyList, NestingWithinTheLimitStillParses)
{
    const std::optional<QVariant> xml = PropertyList::parse(nestedXml(200));
    ASSERT_TRUE(xml.has_value());
    EXPECT_EQ(xml->typeId(), QMetaType::QVariantList);

    // Built by the writer itself, as a bundle's Info.plist would be.
    QVariant value = QVariantMap{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.deep")}};
    for (int i = 0; i < 200; ++i)
        value = QVariantList{value};
    const std::optional<QVariant> binary = PropertyList::parse(PropertyList::toBinary(value));
    ASSERT_TRUE(binary.has_value());
    QVariant inner = *binary;
    for (int i = 0; i < 200; ++i)
        inner = inner.toList().value(0);
    EXPECT_EQ(inner.toMap().value(QStringLiteral("CFBundleIdentifier")), QStringLiteral("com.deep"));
}
