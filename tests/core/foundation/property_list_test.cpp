#include "foundation/property_list.h"

#include <QDateTime>

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
