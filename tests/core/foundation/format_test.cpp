#include "foundation/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct FormatCase
{
    const char *name;
    QString pattern;
    std::vector<FormatArg> args;
    QString expected;
};

class FormatTemplateTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatTemplateTest, Expands)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(formatTemplate(c.pattern, c.args).toStdString(), c.expected.toStdString());
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatTemplateTest,
    ::testing::Values(
        FormatCase{"TextAndInteger", "[drop] id=%@ slot=%d", {QString("app:x"), 3}, "[drop] id=app:x slot=3"},
        FormatCase{"LongModifiers", "%ld %lld %zd", {1, 2, 3}, "1 2 3"},
        FormatCase{"Fixed", "t=%.3f v=%.0f p=%f", {0.12345, 2.5, 1.0}, "t=0.123 v=2 p=1.000000"},
        FormatCase{"NaNAndInfinity", "%.2f %.2f %d", {kNaN, std::numeric_limits<double>::infinity(), kNaN}, "nan inf 0"},
        FormatCase{"PercentEscape", "100%% %@", {QString("done")}, "100% done"},
        FormatCase{"ArgumentsAreData", "%@", {QString("%d %@ %n")}, "%d %@ %n"},
        FormatCase{"MissingArgumentKeptLiterally", "%@ and %d", {QString("a")}, "a and %d"},
        FormatCase{"UnknownConversionKept", "%s %x %", {QString("a")}, "%s %x %"},
        FormatCase{"IntegerAsText", "%@", {42}, "42"},
        FormatCase{"NonAscii", "%d 个应用（%@）", {10, QString("A、B")}, "10 个应用（A、B）"},
        FormatCase{"HugeDoubleToInteger", "%d", {1e300}, "9223372036854775807"}),
    [](const ::testing::TestParamInfo<FormatCase> &info) { return std::string(info.param.name); });

} // namespace
